#include "edit/RecordSearch.h"
#include "model/CContactRecord.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include "model/UnicodeText.h"
#include "view/ExtraLines.h"

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

std::vector<const CRecordText*> SearchFields(const CContactRecord& r, int scope) {
    std::vector<const CRecordText*> fields;
    const auto names = [&] {
        fields.push_back(&r.m_strLastName);
        fields.push_back(&r.m_strFirstName);
    };
    const auto items = [&] {
        for (const auto& item : r.m_strItem)
            fields.push_back(&item);
    };
    const auto address = [&] {
        for (const CRecordText* f :
             {&r.m_strAddress, &r.m_strCity, &r.m_strState, &r.m_strZip, &r.m_strCountry})
            fields.push_back(f);
    };
    switch (scope) {
    case SCOPE_NAMES:
        names();
        break;
    case SCOPE_ITEMS:
        items();
        break;
    case SCOPE_ADDRESS:
        address();
        break;
    case SCOPE_ALL_BUT_NOTES:
    case SCOPE_ALL:
        names();
        items();
        address();
        fields.push_back(&r.m_strTitle);
        fields.push_back(&r.m_strOtherRef);
        for (const auto& info : r.m_strOtherInfo)
            fields.push_back(&info);
        if (scope == SCOPE_ALL)
            fields.push_back(&r.m_strNotes);
        break;
    default:
        break;
    }
    return fields;
}

namespace {

bool IsAscii(std::string_view text) noexcept {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The find string, ready to be looked for: its search key, and the same as bytes when
// the key is plain ASCII (then an ASCII field is searched without being decoded).
struct Needle {
    explicit Needle(std::string_view text) : key(kb::SearchKey(text)) {
        ascii = true;
        for (char32_t c : key)
            ascii = ascii && c < 0x80;
        if (ascii)
            for (char32_t c : key)
                narrow += static_cast<char>(c);
    }
    std::u32string key;
    std::string narrow;
    bool ascii = false;
};

bool Contains(const std::string& field, const Needle& needle) {
    if (field.empty())
        return false;
    if (IsAscii(field))
        return needle.ascii && LowerAscii(field).find(needle.narrow) != std::string::npos;
    return kb::SearchKey(field).find(needle.key) != std::u32string::npos;
}

const CRecordText* FindNeedle(const CContactRecord& record, const Needle& needle, int scope) {
    if (needle.key.empty())
        return nullptr;
    for (const CRecordText* field : SearchFields(record, scope)) {
        if (Contains(*field, needle))
            return field;
    }
    return nullptr;
}

bool InScope(const ExtraLine& line, const VCardProperty& p, int scope) {
    switch (scope) {
    case SCOPE_NAMES:
        return p.name == "NICKNAME";
    case SCOPE_ITEMS:
        return line.kind == ExtraKind::Item || p.name == "URL";
    case SCOPE_ADDRESS:
        return line.kind == ExtraKind::Address;
    case SCOPE_ALL_BUT_NOTES:
        return line.kind != ExtraKind::Note;
    case SCOPE_ALL:
        return true;
    default:
        return false;
    }
}

bool ExtrasContain(const CContactRecord& record, const Needle& needle, int scope) {
    const CRecordExtras* extras = record.Extras();
    if (!extras || needle.key.empty())
        return false;
    for (const ExtraLine& line : ExtraLines(extras)) {
        const VCardProperty& p = extras->properties[line.property];
        if (!InScope(line, p, scope))
            continue;
        if (Contains(line.value, needle))
            return true;
        if (line.kind == ExtraKind::Date && Contains(p.Text(), needle))
            return true;
    }
    return false;
}

} // namespace

bool RecordContains(const CContactRecord& record, std::string_view text, int scope) {
    const Needle needle(text);
    return FindNeedle(record, needle, scope) || ExtrasContain(record, needle, scope);
}

const CRecordText* FindInRecord(const CContactRecord& record, std::string_view text, int scope) {
    return FindNeedle(record, Needle(text), scope);
}

std::vector<CContactRecord*> SearchRecords(const CRecordList& records, std::string_view text,
                                           int scope) {
    const Needle needle(text);
    std::vector<CContactRecord*> hits;
    for (const auto& r : records)
        if (FindNeedle(*r, needle, scope) || ExtrasContain(*r, needle, scope))
            hits.push_back(r.get());
    return hits;
}
