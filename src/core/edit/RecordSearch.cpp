#include "edit/RecordSearch.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

std::vector<const std::string*> SearchFields(const CContactRecord& r, int scope) {
    std::vector<const std::string*> fields;
    const auto names = [&] {
        fields.push_back(&r.m_strLastName);
        fields.push_back(&r.m_strFirstName);
    };
    const auto items = [&] {
        for (const auto& item : r.m_strItem)
            fields.push_back(&item);
    };
    const auto address = [&] {
        for (const std::string* f :
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

const std::string* FindLowered(const CContactRecord& record, const std::string& lowered,
                               int scope) {
    if (lowered.empty())
        return nullptr;
    for (const std::string* field : SearchFields(record, scope)) {
        if (!field->empty() && LowerAscii(*field).find(lowered) != std::string::npos)
            return field;
    }
    return nullptr;
}

} // namespace

const std::string* FindInRecord(const CContactRecord& record, std::string_view text, int scope) {
    return FindLowered(record, LowerAscii(text), scope);
}

std::vector<CContactRecord*> SearchRecords(const CRecordList& records, std::string_view text,
                                           int scope) {
    const std::string lowered = LowerAscii(text);
    std::vector<CContactRecord*> hits;
    for (const auto& r : records)
        if (FindLowered(*r, lowered, scope))
            hits.push_back(r.get());
    return hits;
}
