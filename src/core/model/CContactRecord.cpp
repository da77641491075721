#include "model/CContactRecord.h"
#include "model/CArchive.h"
#include "model/CRecordExtras.h"
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>
#include <type_traits>

// A field finds its record by stepping back over the fields before it, so the fields must
// open the record, one byte each, in their index order.
static_assert(std::is_standard_layout_v<CContactRecord>);
static_assert(sizeof(CRecordText) == 1);
static_assert(offsetof(CContactRecord, m_strFirstName) == 0);
static_assert(offsetof(CContactRecord, m_strItem) == 4);
static_assert(offsetof(CContactRecord, m_strAddress) == 11);
static_assert(offsetof(CContactRecord, m_strOtherInfo) == 16);
static_assert(offsetof(CContactRecord, m_strNotes) == CRecordTextBlock::kFields - 1);
// ... and in the order of their description, which finds a field by its position.
static_assert(offsetof(CContactRecord, m_strFirstName) ==
              static_cast<std::size_t>(RecordField::FirstName));
static_assert(offsetof(CContactRecord, m_strLastName) ==
              static_cast<std::size_t>(RecordField::LastName));
static_assert(offsetof(CContactRecord, m_strTitle) == static_cast<std::size_t>(RecordField::Title));
static_assert(offsetof(CContactRecord, m_strOtherRef) ==
              static_cast<std::size_t>(RecordField::OtherRef));
static_assert(offsetof(CContactRecord, m_strItem) == static_cast<std::size_t>(RecordField::Item1));
static_assert(offsetof(CContactRecord, m_strAddress) ==
              static_cast<std::size_t>(RecordField::Address));
static_assert(offsetof(CContactRecord, m_strCity) == static_cast<std::size_t>(RecordField::City));
static_assert(offsetof(CContactRecord, m_strState) == static_cast<std::size_t>(RecordField::State));
static_assert(offsetof(CContactRecord, m_strZip) == static_cast<std::size_t>(RecordField::Zip));
static_assert(offsetof(CContactRecord, m_strCountry) ==
              static_cast<std::size_t>(RecordField::Country));
static_assert(offsetof(CContactRecord, m_strOtherInfo) ==
              static_cast<std::size_t>(RecordField::OtherInfo1));
static_assert(offsetof(CContactRecord, m_strNotes) == static_cast<std::size_t>(RecordField::Notes));

// ---- CRecordText

CRecordText& CRecordText::Assign(std::string_view text) {
    Owner().m_textBlock.Splice(m_nIndex, 0, size(), text);
    return *this;
}

CRecordText& CRecordText::append(std::string_view text) {
    Owner().m_textBlock.Splice(m_nIndex, size(), 0, text);
    return *this;
}

void CRecordText::swap(CRecordText& other) {
    if (&other == this)
        return;
    std::string mine = str();
    *this = other.view();
    other = mine;
}

std::ostream& operator<<(std::ostream& os, const CRecordText& text) {
    return os << text.view();
}

// ---- CRecordTextBlock

namespace {

template <class End> std::size_t ReadEnd(const char* block, int field) {
    End end = 0;
    std::memcpy(&end, block + 4 + sizeof(End) * static_cast<std::size_t>(field), sizeof end);
    return end;
}

// Moves the ends of the fields from `from` on by the bytes a splice added and removed.
template <class End> void ShiftEnds(char* block, int from, std::size_t added, std::size_t removed) {
    for (int f = from; f < CRecordTextBlock::kFields; ++f) {
        const auto end = static_cast<End>(ReadEnd<End>(block, f) + added - removed);
        std::memcpy(block + 4 + sizeof(End) * static_cast<std::size_t>(f), &end, sizeof end);
    }
}

} // namespace

std::uint32_t CRecordTextBlock::Capacity() const {
    std::uint32_t capacity = 0;
    std::memcpy(&capacity, m_pBlock, sizeof capacity);
    return capacity;
}

// The width of the ends follows from the capacity: a block with room for no more than 64 KiB
// cannot hold an end past it.
bool CRecordTextBlock::Wide() const {
    return Capacity() > kMaxNarrow;
}

std::size_t CRecordTextBlock::End(int field) const {
    return Wide() ? ReadEnd<std::uint32_t>(m_pBlock, field)
                  : ReadEnd<std::uint16_t>(m_pBlock, field);
}

void CRecordTextBlock::SetEnds(const std::size_t* ends) {
    const bool wide = Wide();
    for (int f = 0; f < kFields; ++f) {
        if (wide) {
            const auto end = static_cast<std::uint32_t>(ends[f]);
            std::memcpy(m_pBlock + 4 + 4 * f, &end, sizeof end);
        } else {
            const auto end = static_cast<std::uint16_t>(ends[f]);
            std::memcpy(m_pBlock + 4 + 2 * f, &end, sizeof end);
        }
    }
}

char* CRecordTextBlock::Allocate(std::size_t capacity) {
    if (capacity > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a contact record holds more than 4 GB of text");
    const std::size_t size = HeaderSize(capacity > kMaxNarrow) + capacity;
    auto* block = static_cast<char*>(std::malloc(size + kSlack));
    if (block == nullptr)
        throw std::bad_alloc();
    std::memset(block + size, 0, kSlack);
    const auto stored = static_cast<std::uint32_t>(capacity);
    std::memcpy(block, &stored, sizeof stored);
    return block;
}

CRecordTextBlock::CRecordTextBlock(const CRecordTextBlock& other) {
    const std::size_t used = other.Used();
    if (used == 0)
        return;
    std::array<std::size_t, kFields> ends{};
    for (int f = 0; f < kFields; ++f)
        ends[static_cast<std::size_t>(f)] = other.End(f);
    m_pBlock = Allocate(used);
    SetEnds(ends.data());
    std::memcpy(Text(), other.Text(), used);
}

CRecordTextBlock& CRecordTextBlock::operator=(const CRecordTextBlock& other) {
    if (&other != this)
        *this = CRecordTextBlock(other);
    return *this;
}

CRecordTextBlock& CRecordTextBlock::operator=(CRecordTextBlock&& other) noexcept {
    if (&other != this) {
        std::free(m_pBlock);
        m_pBlock = other.m_pBlock;
        other.m_pBlock = nullptr;
    }
    return *this;
}

CRecordTextBlock::~CRecordTextBlock() {
    std::free(m_pBlock);
}

std::size_t CRecordTextBlock::Used() const {
    return m_pBlock == nullptr ? 0 : End(kFields - 1);
}

void CRecordTextBlock::Splice(int field, std::size_t pos, std::size_t count,
                              std::string_view text) {
    const std::size_t used = Used();
    if (m_pBlock != nullptr && !text.empty() && text.data() >= Text() &&
        text.data() < Text() + used) {
        // The new text is part of this block and may move under the splice: copy it first.
        const std::string copy(text);
        Splice(field, pos, count, copy);
        return;
    }
    if (text.empty() && (count == 0 || m_pBlock == nullptr))
        return; // nothing changes
    const std::size_t newUsed = used - count + text.size();
    if (m_pBlock != nullptr && newUsed <= Capacity()) {
        // The usual case: the block has room; only the bytes after the field move.
        const bool wide = Wide();
        const std::size_t begin = (field == 0 ? 0 : End(field - 1)) + pos;
        const std::size_t tail = begin + count; // first byte kept after the replaced ones
        char* bytes = Text();
        if (tail != begin + text.size())
            std::memmove(bytes + begin + text.size(), bytes + tail, used - tail);
        if (!text.empty())
            std::memcpy(bytes + begin, text.data(), text.size());
        if (wide)
            ShiftEnds<std::uint32_t>(m_pBlock, field, text.size(), count);
        else
            ShiftEnds<std::uint16_t>(m_pBlock, field, text.size(), count);
        return;
    }

    // A new block: the ends may change width with it.
    std::array<std::size_t, kFields> ends{};
    if (m_pBlock != nullptr) {
        for (int f = 0; f < kFields; ++f)
            ends[static_cast<std::size_t>(f)] = End(f);
    }
    const std::size_t begin = (field == 0 ? 0 : ends[static_cast<std::size_t>(field) - 1]) + pos;
    const std::size_t tail = begin + count;
    for (int f = field; f < kFields; ++f)
        ends[static_cast<std::size_t>(f)] = ends[static_cast<std::size_t>(f)] - count + text.size();
    // A first block has room for a typical record's fields, written one by one. Then grow by
    // half again, so that a field appended to piece by piece costs linear time; but not past
    // 64 KiB for text that fits in it, which keeps the ends narrow.
    std::size_t capacity = m_pBlock == nullptr
                               ? std::max<std::size_t>(newUsed, 96)
                               : std::max<std::size_t>(newUsed, std::size_t{Capacity()} * 3 / 2);
    if (newUsed <= kMaxNarrow)
        capacity = std::min(capacity, kMaxNarrow);
    char* grown = Allocate(capacity);
    char* to = grown + HeaderSize(capacity > kMaxNarrow);
    if (m_pBlock != nullptr) {
        std::memcpy(to, Text(), begin);
        std::memcpy(to + begin + text.size(), Text() + tail, used - tail);
    }
    if (!text.empty())
        std::memcpy(to + begin, text.data(), text.size());
    std::free(m_pBlock);
    m_pBlock = grown;
    SetEnds(ends.data());
}

namespace {

// A copy of a short text (most of a record's are) without a call, reading and writing only
// its own bytes: two overlapping moves of the widest size that fits.
inline void CopyShort(char* to, const char* from, std::size_t n) {
    if (n >= 16) {
        for (std::size_t i = 0; i + 16 < n; i += 16)
            std::memcpy(to + i, from + i, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

} // namespace

void CRecordTextBlock::SetAll(const std::array<std::string_view, kFields>& texts) {
    std::array<std::size_t, kFields> ends{};
    std::size_t total = 0;
    for (std::size_t f = 0; f < texts.size(); ++f)
        ends[f] = total += texts[f].size();
    // The texts may lie in the block being replaced: it goes only once they are copied.
    char* block = total == 0 ? nullptr : Allocate(total);
    char* to = block == nullptr ? nullptr : block + HeaderSize(total > kMaxNarrow);
    std::size_t at = 0;
    for (const std::string_view text : texts) {
        CopyShort(to + at, text.data(), text.size());
        at += text.size();
    }
    std::free(m_pBlock);
    m_pBlock = block;
    if (block != nullptr)
        SetEnds(ends.data());
}

// ---- CContactRecord

void CContactRecord::NumberFields() {
    auto* first = reinterpret_cast<CRecordText*>(this);
    for (int f = 0; f < CRecordTextBlock::kFields; ++f)
        first[f].m_nIndex = static_cast<std::uint8_t>(f);
}

CContactRecord::CContactRecord() {
    NumberFields();
    m_nItemLabel.fill(LABEL_NONE);
}

CContactRecord::CContactRecord(const CContactRecord& other)
    : m_nCategory(other.m_nCategory), m_nDefaultItem(other.m_nDefaultItem),
      m_nItemLabel(other.m_nItemLabel), m_textBlock(other.m_textBlock) {
    NumberFields();
    SetExtras(other.Extras());
}

CContactRecord::~CContactRecord() = default;

void CExtrasHandle::Reset(CRecordExtras* p) noexcept {
    const std::unique_ptr<CRecordExtras> old(m_p);
    m_p = p;
}

CRecordExtras& CContactRecord::EditExtras() {
    if (!m_pExtras)
        m_pExtras = std::make_unique<CRecordExtras>();
    return *m_pExtras;
}

void CContactRecord::SetExtras(const CRecordExtras* extras) {
    if (extras == nullptr || extras->Empty())
        m_pExtras.reset();
    else if (extras != m_pExtras.get())
        m_pExtras = std::make_unique<CRecordExtras>(*extras);
}

void CContactRecord::DropEmptyExtras() {
    if (m_pExtras && m_pExtras->Empty())
        m_pExtras.reset();
}

CContactRecord::CContactRecord(CContactRecord&& other) noexcept
    : m_nCategory(other.m_nCategory), m_nDefaultItem(other.m_nDefaultItem),
      m_nItemLabel(other.m_nItemLabel), m_textBlock(std::move(other.m_textBlock)),
      m_pExtras(std::move(other.m_pExtras)) {
    NumberFields();
}

CContactRecord& CContactRecord::operator=(const CContactRecord& other) {
    m_nCategory = other.m_nCategory;
    m_nDefaultItem = other.m_nDefaultItem;
    m_nItemLabel = other.m_nItemLabel;
    m_textBlock = other.m_textBlock;
    SetExtras(other.Extras());
    return *this;
}

CContactRecord& CContactRecord::operator=(CContactRecord&& other) noexcept {
    m_nCategory = other.m_nCategory;
    m_nDefaultItem = other.m_nDefaultItem;
    m_nItemLabel = other.m_nItemLabel;
    m_textBlock = std::move(other.m_textBlock);
    m_pExtras = std::move(other.m_pExtras);
    return *this;
}

bool CContactRecord::operator==(const CContactRecord& other) const {
    if (m_nCategory != other.m_nCategory || m_nDefaultItem != other.m_nDefaultItem ||
        m_nItemLabel != other.m_nItemLabel)
        return false;
    if (Texts() != other.Texts())
        return false;
    if (!m_pExtras || !other.m_pExtras)
        return !m_pExtras && !other.m_pExtras;
    return *m_pExtras == *other.m_pExtras;
}

std::string_view CContactRecord::GetItemByLabel(std::uint8_t label) const {
    if (label == LABEL_NONE)
        return {};
    for (int i = 0; i < kItemCount; ++i) {
        if (m_nItemLabel[i] == label)
            return m_strItem[i];
    }
    return {};
}

namespace {

// The width of a number field in the data file, in bytes.
constexpr std::size_t FileBytes(RecordField f) {
    return InfoOf(f).kind == FieldKind::Category ? 2 : 1;
}

} // namespace

bool CContactRecord::WriteInOneGo(
    CArchive& ar, const std::array<std::string_view, kTextFieldCount>& texts) const {
    // The usual record: every text shorter than 255 bytes (one length byte each), and
    // room for all of it in the archive's buffer, with 16 bytes to spare for the copies.
    std::size_t size = 16;
    ForEachField<kFileOrder>([&size](auto f) {
        if constexpr (!IsText(f))
            size += FileBytes(f);
    });
    for (const std::string_view text : texts) {
        if (text.size() >= 0xFF)
            return false;
        size += 1 + text.size();
    }
    char* out = ar.Claim(size);
    if (out == nullptr)
        return false;
    ForEachField<kFileOrder>([&](auto f) {
        if constexpr (IsText(f)) {
            const std::string_view text = texts[static_cast<std::size_t>(f())];
            *out++ = static_cast<char>(text.size());
            CRecordTextBlock::CopyOut(out, text);
            out += text.size();
        } else {
            const unsigned value = Number(f);
            *out++ = static_cast<char>(value & 0xFF);
            if constexpr (FileBytes(f) == 2)
                *out++ = static_cast<char>(value >> 8);
        }
    });
    ar.Claimed(out);
    return true;
}

void CContactRecord::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        const auto texts = Texts();
        if (WriteInOneGo(ar, texts))
            return;
        ForEachField<kFileOrder>([&](auto f) {
            if constexpr (IsText(f))
                ar.WriteString(texts[static_cast<std::size_t>(f())]);
            else if constexpr (FileBytes(f) == 2)
                ar.WriteWord(static_cast<std::uint16_t>(Number(f)));
            else
                ar.WriteByte(static_cast<std::uint8_t>(Number(f)));
        });
        return;
    }
    // Every text is read first, then the record's block is made once at its exact size. The
    // scratch strings keep their storage from one record to the next.
    thread_local std::array<std::string, kTextFieldCount> scratch;
    ForEachField<kFileOrder>([&](auto f) {
        if constexpr (IsText(f))
            ar.ReadString(scratch[static_cast<std::size_t>(f())]);
        else if constexpr (FileBytes(f) == 2)
            SetNumber(f, ar.ReadWord());
        else
            SetNumber(f, ar.ReadByte());
    });
    std::array<std::string_view, kTextFieldCount> views;
    for (std::size_t f = 0; f < views.size(); ++f)
        views[f] = scratch[f];
    m_textBlock.SetAll(views);
}
