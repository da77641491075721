#pragma once
#include "model/RecordFields.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

class CArchive;
class CContactRecord;
class CRecordExtras;

// Item label codes: a list position in the editor's label choices is the code.
enum ItemLabel : std::uint8_t {
    LABEL_HOME = 0,
    LABEL_WORK = 1,
    LABEL_MOBILE = 2,
    LABEL_PAGER = 3,
    LABEL_FAX = 4,
    LABEL_EMAIL = 5,
    LABEL_OTHER = 6,
    LABEL_NONE = 255,
};

// One text field of a contact record. It reads like a std::string_view and is assigned like a
// std::string, but its bytes live in the record's single block of text: a book of many
// records then costs one allocation per record for all its text rather than a string object
// per field.
//
// A view taken of one field stays valid only until any text field of the same record is
// written: writing a field moves the others' bytes.
class CRecordText {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    // A field lives only inside its record: copy the text, not the field.
    CRecordText(const CRecordText&) = delete;
    CRecordText& operator=(const CRecordText& other) { return Assign(other.view()); }
    CRecordText& operator=(std::string_view text) { return Assign(text); }
    CRecordText& operator=(const std::string& text) { return Assign(text); }
    CRecordText& operator=(const char* text) { return Assign(text); }
    CRecordText& operator+=(std::string_view text) { return append(text); }
    CRecordText& operator+=(char c) { return append(std::string_view(&c, 1)); }
    void push_back(char c) { append(std::string_view(&c, 1)); }
    CRecordText& append(std::size_t count, char c) { return append(std::string(count, c)); }

    CRecordText& assign(std::string_view text) { return Assign(text); }
    CRecordText& append(std::string_view text);
    void clear() { Assign({}); }
    // Exchanges the texts of two fields (of the same record or of two).
    void swap(CRecordText& other);

    std::string_view view() const;
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
    std::string str() const { return std::string(view()); }

    bool empty() const { return size() == 0; }
    std::size_t size() const;
    std::size_t length() const { return size(); }
    const char* data() const { return view().data(); }
    const char* begin() const { return view().data(); }
    const char* end() const {
        const std::string_view v = view();
        return v.data() + v.size();
    }
    char operator[](std::size_t i) const { return view()[i]; }
    char front() const { return view().front(); }
    char back() const { return view().back(); }
    std::size_t find(std::string_view s, std::size_t pos = 0) const { return view().find(s, pos); }
    std::size_t find(char c, std::size_t pos = 0) const { return view().find(c, pos); }
    std::size_t rfind(char c, std::size_t pos = npos) const { return view().rfind(c, pos); }
    std::string substr(std::size_t pos, std::size_t n = npos) const {
        return std::string(view().substr(pos, n));
    }
    bool starts_with(std::string_view s) const { return view().starts_with(s); }
    bool ends_with(std::string_view s) const { return view().ends_with(s); }

    friend bool operator==(const CRecordText& a, const CRecordText& b) {
        return a.view() == b.view();
    }
    friend bool operator==(const CRecordText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const CRecordText& a, const char* b) {
        return a.view() == std::string_view(b);
    }
    friend auto operator<=>(const CRecordText& a, std::string_view b) { return a.view() <=> b; }

    friend std::string operator+(const CRecordText& a, std::string_view b) {
        return Concat(a.view(), b);
    }
    friend std::string operator+(std::string_view a, const CRecordText& b) {
        return Concat(a, b.view());
    }
    friend std::string operator+(const CRecordText& a, const CRecordText& b) {
        return Concat(a.view(), b.view());
    }

private:
    friend class CContactRecord;
    // Only a record makes its fields, which learn their place from it.
    CRecordText() = default;
    CRecordText& Assign(std::string_view text);
    static std::string Concat(std::string_view a, std::string_view b) {
        std::string joined;
        joined.reserve(a.size() + b.size());
        joined.append(a).append(b);
        return joined;
    }
    const CContactRecord& Owner() const;
    CContactRecord& Owner();

    // The field's position in its record, which also finds the record (see Owner).
    std::uint8_t m_nIndex = 0;
};

std::ostream& operator<<(std::ostream& os, const CRecordText& text);

// The one block of text of a record: a header of field ends followed by the fields' bytes,
// back to back in field order. No block means every field is empty. A block keeps kSlack zero
// bytes past its text, so that the text may be copied sixteen bytes at a time without a copy
// of the odd rest. Only the record and its fields reach into it.
class CRecordTextBlock {
public:
    static constexpr int kFields = static_cast<int>(kTextFieldCount);
    static constexpr std::size_t kSlack = 16;
    // Copies a text of a block (or of Texts()) to `to`, sixteen bytes at a time: it reads
    // on into the block's slack, and writes up to fifteen bytes past the text, for which
    // `to` must have room.
    static void CopyOut(char* to, std::string_view text) {
        static_assert(kSlack >= 16);
        for (std::size_t i = 0; i < text.size(); i += 16)
            std::memcpy(to + i, text.data() + i, 16);
    }

private:
    friend class CContactRecord;
    friend class CRecordText;

    CRecordTextBlock() = default;
    CRecordTextBlock(const CRecordTextBlock& other);
    CRecordTextBlock(CRecordTextBlock&& other) noexcept : m_pBlock(other.m_pBlock) {
        other.m_pBlock = nullptr;
    }
    CRecordTextBlock& operator=(const CRecordTextBlock& other);
    CRecordTextBlock& operator=(CRecordTextBlock&& other) noexcept;
    ~CRecordTextBlock();

    std::string_view Get(int field) const {
        // Like an empty std::string's, an empty field's data is never null: callers pass
        // it to memcpy and the like.
        if (m_pBlock == nullptr)
            return {"", 0};
        std::uint32_t capacity = 0;
        std::memcpy(&capacity, m_pBlock, sizeof capacity);
        const auto f = static_cast<std::size_t>(field);
        return capacity > kMaxNarrow ? Field<std::uint32_t>(f) : Field<std::uint16_t>(f);
    }
    // Every field at once, in index order.
    std::array<std::string_view, kFields> GetAll() const {
        std::array<std::string_view, kFields> texts;
        if (m_pBlock == nullptr) {
            texts.fill(std::string_view("", 0));
            return texts;
        }
        std::uint32_t capacity = 0;
        std::memcpy(&capacity, m_pBlock, sizeof capacity);
        if (capacity > kMaxNarrow)
            Fields<std::uint32_t>(texts);
        else
            Fields<std::uint16_t>(texts);
        return texts;
    }
    // Replaces count bytes at pos of the field by text (which may lie in this block).
    void Splice(int field, std::size_t pos, std::size_t count, std::string_view text);
    // Sets every field at once, in one allocation of exactly the size needed.
    void SetAll(const std::array<std::string_view, kFields>& texts);
    // Bytes of text the fields hold together.
    std::size_t Used() const;
    // Where the text lives, for __builtin_prefetch (null when every field is empty).
    const void* Address() const { return m_pBlock; }

    // The block opens with its capacity, then the 21 field ends (one past each field's last byte,
    // from the text's start): 16 bits each while the text stays under 64 KiB, as nearly every
    // record's does, else 32 bits.
    static constexpr std::size_t kMaxNarrow = 0xFFFF;
    static constexpr std::size_t HeaderSize(bool wide) { return 4 + (wide ? 4 : 2) * kFields; }
    template <class End> std::string_view Field(std::size_t f) const {
        End begin = 0, end = 0;
        if (f != 0)
            std::memcpy(&begin, m_pBlock + 4 + sizeof(End) * (f - 1), sizeof begin);
        std::memcpy(&end, m_pBlock + 4 + sizeof(End) * f, sizeof end);
        return {m_pBlock + 4 + sizeof(End) * kFields + begin, std::size_t{end} - begin};
    }
    template <class End> void Fields(std::array<std::string_view, kFields>& texts) const {
        End ends[kFields];
        std::memcpy(ends, m_pBlock + 4, sizeof ends);
        const char* text = m_pBlock + 4 + sizeof ends;
        std::size_t begin = 0;
        for (std::size_t f = 0; f < kFields; ++f) {
            texts[f] = std::string_view(text + begin, std::size_t{ends[f]} - begin);
            begin = ends[f];
        }
    }
    std::uint32_t Capacity() const;
    bool Wide() const;
    std::size_t End(int field) const;
    char* Text() const { return m_pBlock + HeaderSize(Wide()); }
    // A block with room for capacity bytes of text; its ends are still to be set.
    static char* Allocate(std::size_t capacity);
    void SetEnds(const std::size_t* ends);

    char* m_pBlock = nullptr;
};

// Owns a record's extras. It holds a plain pointer, not a std::unique_ptr, which is not of
// standard layout with every compiler's library: a field finds its record by the record's
// standard layout.
class CExtrasHandle {
public:
    CExtrasHandle() = default;
    CExtrasHandle(const CExtrasHandle&) = delete;
    CExtrasHandle& operator=(const CExtrasHandle&) = delete;
    CExtrasHandle(CExtrasHandle&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    CExtrasHandle& operator=(CExtrasHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.m_p);
            other.m_p = nullptr;
        }
        return *this;
    }
    CExtrasHandle& operator=(std::unique_ptr<CRecordExtras> extras) noexcept {
        Reset(extras.release());
        return *this;
    }
    ~CExtrasHandle() { Reset(nullptr); }

    CRecordExtras* get() const { return m_p; }
    void reset() { Reset(nullptr); }
    explicit operator bool() const { return m_p != nullptr; }
    CRecordExtras& operator*() const { return *m_p; }
    CRecordExtras* operator->() const { return m_p; }

private:
    // Takes p and frees what was held before.
    void Reset(CRecordExtras* p) noexcept;

    CRecordExtras* m_p = nullptr;
};

// One contact. Text is kept as the bytes the data file holds; multi-line
// values keep CR LF line ends.
class CContactRecord {
public:
    static constexpr int kItemCount = 7;
    static constexpr int kOtherInfoCount = 4;
    static constexpr std::uint16_t kDefaultCategory = 1;

    CContactRecord();
    CContactRecord(const CContactRecord& other);
    CContactRecord(CContactRecord&& other) noexcept;
    CContactRecord& operator=(const CContactRecord& other);
    CContactRecord& operator=(CContactRecord&& other) noexcept;
    ~CContactRecord();

    // The text of the first item (1 to 7) whose label equals the code; empty when none does.
    // A label of 255 is never found.
    std::string_view GetItemByLabel(std::uint8_t label) const;

    // A text field by its description (IsText(f) must hold).
    CRecordText& Text(RecordField f) {
        return reinterpret_cast<CRecordText*>(this)[static_cast<std::size_t>(f)];
    }
    const CRecordText& Text(RecordField f) const {
        return reinterpret_cast<const CRecordText*>(this)[static_cast<std::size_t>(f)];
    }
    // A number field by its description (category, default item or an item's label).
    unsigned Number(RecordField f) const {
        switch (InfoOf(f).kind) {
        case FieldKind::Category:
            return m_nCategory;
        case FieldKind::DefaultItem:
            return m_nDefaultItem;
        case FieldKind::ItemLabel:
            return m_nItemLabel[InfoOf(f).slot];
        default:
            return 0;
        }
    }
    // Sets a number field; the value is cut to the field's width, as the data file holds it.
    void SetNumber(RecordField f, unsigned value) {
        switch (InfoOf(f).kind) {
        case FieldKind::Category:
            m_nCategory = static_cast<std::uint16_t>(value);
            break;
        case FieldKind::DefaultItem:
            m_nDefaultItem = static_cast<std::uint8_t>(value);
            break;
        case FieldKind::ItemLabel:
            m_nItemLabel[InfoOf(f).slot] = static_cast<std::uint8_t>(value);
            break;
        default:
            break;
        }
    }

    // The text of every field, in the order the fields open the record (RecordField order).
    std::array<std::string_view, kTextFieldCount> Texts() const { return m_textBlock.GetAll(); }
    // Sets every text field at once, in one allocation of exactly the size needed.
    void SetTexts(const std::array<std::string_view, kTextFieldCount>& texts) {
        m_textBlock.SetAll(texts);
    }

    // Where the record's text lives, for a pass over many records to fetch ahead.
    const void* TextAddress() const { return m_textBlock.Address(); }

    // What the contact has beyond its fields (see CRecordExtras); null when nothing, as for
    // nearly every record, which then pays one pointer for it.
    const CRecordExtras* Extras() const { return m_pExtras.get(); }
    // The extras to change, made empty when the record has none.
    CRecordExtras& EditExtras();
    void SetExtras(const CRecordExtras* extras);
    // Forgets the extras when they hold nothing (so that the record costs nothing again).
    void DropEmptyExtras();

    // Writes the record's fields to the data file or reads them from it (never the extras:
    // the data file holds only the fields).
    void Serialize(CArchive& ar);

    bool operator==(const CContactRecord& other) const;

    // The text fields come first, one byte each, in this order: a field finds its record from
    // its own position.
    CRecordText m_strFirstName;
    CRecordText m_strLastName;
    CRecordText m_strTitle;
    CRecordText m_strOtherRef;
    std::array<CRecordText, kItemCount> m_strItem{};
    CRecordText m_strAddress;
    CRecordText m_strCity;
    CRecordText m_strState;
    CRecordText m_strZip;
    CRecordText m_strCountry;
    std::array<CRecordText, kOtherInfoCount> m_strOtherInfo{};
    CRecordText m_strNotes;

    std::uint16_t m_nCategory = kDefaultCategory;
    std::uint8_t m_nDefaultItem = 0;
    std::array<std::uint8_t, kItemCount> m_nItemLabel;

    // The bytes of every text field above, reached only through the fields and Texts(). It
    // stands with the public members, as m_pExtras does, because the record's layout must stay
    // standard; its type opens itself to the record and its fields alone.
    CRecordTextBlock m_textBlock;

    // Reach it through Extras(); it stands with the public members because a field finds its
    // record by the record's layout, which must stay standard.
    CExtrasHandle m_pExtras;

private:
    void NumberFields();
    // Writes the record straight into the archive's buffer when it fits; false when not
    // (nothing is written then).
    bool WriteInOneGo(CArchive& ar,
                      const std::array<std::string_view, kTextFieldCount>& texts) const;
};

inline const CContactRecord& CRecordText::Owner() const {
    return *reinterpret_cast<const CContactRecord*>(reinterpret_cast<const char*>(this) - m_nIndex);
}
inline CContactRecord& CRecordText::Owner() {
    return *reinterpret_cast<CContactRecord*>(reinterpret_cast<char*>(this) - m_nIndex);
}
inline std::string_view CRecordText::view() const {
    return Owner().m_textBlock.Get(m_nIndex);
}
inline std::size_t CRecordText::size() const {
    return view().size();
}
