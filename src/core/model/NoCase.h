#pragma once
#include <string_view>

namespace kb {

// The one case-insensitive comparison of the program: byte by byte, bytes taken as
// unsigned, ASCII A-Z folded to a-z and nothing else; a prefix sorts first.
// Returns <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b) noexcept;
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;
// True when text begins with prefix, compared as CompareNoCase does.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept;
// EqualsNoCase on the texts as the user reads them: stored bytes that are not UTF-8 are
// Windows-1252 and are decoded first, so a category stored as "Caf\xE9" equals a typed
// "Caf\xC3\xA9". Every comparison of stored text with text the user sees or types uses it.
bool EqualsNoCaseDecoded(std::string_view a, std::string_view b);
// CompareNoCase on the texts as the user reads them, decoded as EqualsNoCaseDecoded does:
// the order of names the user sees in a sorted list.
int CompareNoCaseDecoded(std::string_view a, std::string_view b);
inline char FoldAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace kb
