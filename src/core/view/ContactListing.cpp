#include "view/ContactListing.h"
#include "model/CCategoryFilter.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "view/DetailText.h"
#include "view/DisplayName.h"
#include <algorithm>

CContactListing ListContacts(const CRecordList& records, const CCategoryList& categories,
                             std::string_view filterText, int letter) {
    CContactListing listing;
    if (records.empty())
        return listing;
    const auto filter = CCategoryFilter::FromChoice(categories, filterText);
    for (const auto& record : records) {
        if (!filter.Includes(*record))
            continue;
        ++listing.categoryRecordCount;
        if (LetterIndexOf(*record) == letter)
            listing.entries.push_back(
                {record.get(), DisplayName(*record), DefaultItemText(*record)});
    }
    std::stable_sort(listing.entries.begin(), listing.entries.end(),
                     [](const CContactListEntry& a, const CContactListEntry& b) {
                         return kb::CompareNoCase(a.displayName, b.displayName) < 0;
                     });
    return listing;
}

std::array<bool, kLetterCount> MarkLetterFlags(const CRecordList& records,
                                               const CCategoryList& categories,
                                               std::string_view filterText) {
    std::array<bool, kLetterCount> flags{};
    if (records.empty())
        return flags;
    const auto filter = CCategoryFilter::FromChoice(categories, filterText);
    for (const auto& record : records) {
        if (!filter.Includes(*record))
            continue;
        const int letter = LetterIndexOf(*record);
        if (letter >= 0)
            flags[static_cast<std::size_t>(letter)] = true;
    }
    return flags;
}

CContactRecord* FindByDisplayName(const CRecordList& records, std::string_view text,
                                  std::size_t* position) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (DisplayNameEquals(*records[i], text)) {
            if (position)
                *position = i;
            return records[i].get();
        }
    }
    return nullptr;
}

CContactRecord* FindRecord(const CRecordList& records, const CContactRecord* record,
                           std::size_t* position) {
    if (!record)
        return nullptr;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].get() == record) {
            if (position)
                *position = i;
            return records[i].get();
        }
    }
    return nullptr;
}

std::vector<CContactRecord*> FindAllByDisplayName(const CRecordList& records,
                                                  std::string_view text) {
    const std::string wanted = kb::DecodeToUtf8(text);
    std::vector<CContactRecord*> found;
    for (const auto& r : records)
        if (kb::EqualsNoCase(DecodedDisplayName(*r), wanted))
            found.push_back(r.get());
    return found;
}
