#pragma once
#include <string>
#include <string_view>

namespace kb {

// Stored text is bytes: UTF-8 when written by this program, Windows-1252 when written on
// the older platform. These decode it the way the window shows it.
bool IsValidUtf8(std::string_view bytes) noexcept;
// Valid UTF-8 as it is; anything else read as Windows-1252 (the five bytes that code page
// leaves undefined become the C1 control of the same value) and returned as UTF-8.
std::string DecodeToUtf8(std::string_view bytes);
// Bytes read as Windows-1252 whatever they are (a file that names its charset), as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
// Appends the UTF-8 form of one code point (surrogates and values beyond U+10FFFF become
// U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace kb
