#pragma once
#include "model/CRecordList.h"
#include <string>
#include <string_view>
#include <vector>

class CContactRecord;

// The five scopes of Find Contact, as the find dialog's radio buttons number them.
enum SearchScope : int {
    SCOPE_NAMES = 0,         // last name, first name
    SCOPE_ITEMS = 1,         // items 1 to 7
    SCOPE_ADDRESS = 2,       // address, city, state, zip, country
    SCOPE_ALL_BUT_NOTES = 3, // all of the above, title, other reference, other information
    SCOPE_ALL = 4,           // scope 3, then the notes
};
inline constexpr int kSearchScopeCount = 5;

// ASCII lower case: A to Z become a to z, every other byte stays.
std::string LowerAscii(std::string_view text);

// The fields a scope looks at, in the order they are looked at. Empty for a scope
// outside 0 to 4.
std::vector<const CRecordText*> SearchFields(const CContactRecord& record, int scope);

// The first field of the scope that contains the text as one run of characters, both
// decoded and compared ignoring case in every script and ignoring accents (combining
// marks), so "zoe" finds "Zoë" and "łukasz" finds "Łukasz"; null when none does. An empty
// field never contains anything, and an empty text (or one of marks only) is never found.
const CRecordText* FindInRecord(const CContactRecord& record, std::string_view text, int scope);

// Whether the record contains the text in the scope, looking at its fields as FindInRecord
// does and then at what it has beyond them, as the detail pane shows it: the names scope
// looks at the nickname, the items scope at further phones, e-mails, chat names and web
// pages, the address scope at further addresses, the two widest scopes at every line (a
// kept note only where the notes are looked at); a date is found as shown and as written.
bool RecordContains(const CContactRecord& record, std::string_view text, int scope);

// Every record that contains the text in the scope (RecordContains), in record-list order.
std::vector<CContactRecord*> SearchRecords(const CRecordList& records, std::string_view text,
                                           int scope);
