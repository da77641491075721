#pragma once
#include "model/CRecordList.h"
#include "view/DisplayName.h"
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CCategoryList;
class CContactRecord;

// One entry of the main contact list.
struct CContactListEntry {
    CContactRecord* record = nullptr;
    std::string displayName; // column 0
    std::string itemText;    // column 1: the default item's text
};

// What the main list shows for a category filter choice and a letter.
struct CContactListing {
    // The entries of the letter, ascending by display name ignoring case; entries
    // whose names compare equal keep the record list's order.
    std::vector<CContactListEntry> entries;
    // How many records the category holds, whatever their letter.
    int categoryRecordCount = 0;
};

// The entries for filter choice filterText (see CCategoryFilter::FromChoice) and letter (0 = A ..
// 25 = Z, 26 = "#"), in one walk of the record list.
CContactListing ListContacts(const CRecordList& records, const CCategoryList& categories,
                             std::string_view filterText, int letter);

// Which letters hold at least one record of the chosen category.
std::array<bool, kLetterCount> MarkLetterFlags(const CRecordList& records,
                                               const CCategoryList& categories,
                                               std::string_view filterText);

// The first record in record-list order whose display name equals text ignoring
// case, with its position; null when none does.
CContactRecord* FindByDisplayName(const CRecordList& records, std::string_view text,
                                  std::size_t* position = nullptr);

// The record itself when it is still in the list (rows and commands hold records by
// identity, and a record may have left the book since), with its position; null when not.
CContactRecord* FindRecord(const CRecordList& records, const CContactRecord* record,
                           std::size_t* position = nullptr);

// Every record whose display name, decoded as the window shows it, equals text (decoded
// too) ignoring case, in record-list order: how the command line names a record.
std::vector<CContactRecord*> FindAllByDisplayName(const CRecordList& records,
                                                  std::string_view text);
