#include "edit/EditRules.h"
#include "edit/FilingRule.h"
#include "model/CCategoryFilter.h"
#include "model/NoCase.h"
#include "view/ContactListing.h"

std::uint16_t NewRecordCategory(const CCategoryFilter& shown) {
    return shown.IsAll() ? 0 : shown.Index();
}

std::size_t RefileEditedRecord(CRecordList& records, CContactRecord& record,
                               std::string_view oldLastName) {
    std::size_t position = records.size();
    if (!FindRecord(records, &record, &position))
        return records.size();
    if (kb::EqualsNoCase(record.m_strLastName, oldLastName) && !HasTwin(records, record))
        return position;
    std::unique_ptr<CContactRecord> owned = std::move(records[position]);
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(position));
    return FileRecord(records, std::move(owned));
}
