#pragma once
#include <string>
#include <string_view>

// Unicode questions about stored text, which is decoded first (UTF-8 when valid, else
// Windows-1252, as everywhere in the program).
namespace kb {

// The decoded text as code points.
std::u32string DecodeToCodePoints(std::string_view bytes);
// The first decoded code point; 0 for empty text.
char32_t FirstCodePoint(std::string_view bytes);

// Any Unicode letter (general categories Lu, Ll, Lt, Lm, Lo).
bool IsLetter(char32_t cp) noexcept;
// 0 = A .. 25 = Z for a Latin letter A to Z, with or without a diacritic (Å, Ø, Ł, ß, É);
// -1 for everything else.
int BaseLetterIndex(char32_t cp) noexcept;

// What Find compares: the decoded text, case-folded in every script and without its
// combining marks, so that "zoe" finds "Zoë" and "łukasz" finds "Łukasz".
std::u32string SearchKey(std::string_view bytes);
void AppendSearchKey(std::u32string& out, char32_t cp);

} // namespace kb
