#pragma once
#include <optional>
#include <string>
#include <string_view>

class CContactRecord;

// How the program names a contact: the last name, ", " and the first name, or the
// last name alone when there is no first name. The contact list, the name label and
// the caption show it, and list entries are traced back to records by it.
std::string DisplayName(const CContactRecord& record);

// The display name as the user reads it: each name decoded on its own, as UTF-8.
std::string DecodedDisplayName(const CContactRecord& record);

// DisplayName(record) equals text ignoring case, without building the name.
bool DisplayNameEquals(const CContactRecord& record, std::string_view text) noexcept;

// The main list's letter tabs: A to Z, then "#".
inline constexpr int kLetterCount = 27;
inline constexpr int kOtherLetter = 26; // the "#" tab

// The letter tab a last name belongs to: 0 for A to 25 for Z when its first character
// (decoded) is a Latin letter A to Z in either case, with or without a diacritic (Å, Ø, Ł,
// ß and É go to A, O, L, S and E); kOtherLetter for every other first character (other
// scripts, digits, punctuation) and for an empty name.
int LetterIndexOf(std::string_view lastName);
int LetterIndexOf(const CContactRecord& record);
// The tab a key typed in the main list goes to: for one typed letter (of any script) or
// "#", the tab of the names that begin with it ("é" goes to E, "Ж" to "#"); nothing for
// any other text.
std::optional<int> LetterIndexOfKey(std::string_view typed);
// The text of tab k: "A" to "Z", "#".
std::string LetterText(int k);
