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
inline char FoldAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace kb
