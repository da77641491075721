#pragma once
#include <string>
#include <string_view>

class CContactRecord;

// How the program names a contact: the last name, ", " and the first name, or the
// last name alone when there is no first name. The contact list, the name label and
// the caption show it, and list entries are traced back to records by it.
std::string DisplayName(const CContactRecord& record);

// DisplayName(record) equals text ignoring case, without building the name.
bool DisplayNameEquals(const CContactRecord& record, std::string_view text) noexcept;

// The letter a record is filed under in the main list: 0 for A to 25 for Z, from the
// first character of its last name in either case; -1 when the last name is empty or
// does not begin with a letter A to Z.
int LetterIndexOf(const CContactRecord& record) noexcept;
