#include "model/UnicodeText.h"
#include "model/TextDecode.h"
#include "model/UnicodeTables.h"
#include <algorithm>

namespace kb {

namespace {

// Reads one code point of valid UTF-8 at i and moves i past it.
char32_t NextUtf8(std::string_view s, std::size_t& i) noexcept {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    char32_t cp = c;
    if (c >= 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else if (c >= 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xC0) {
        len = 2;
        cp = c & 0x1F;
    }
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

template <typename Range>
const Range* FindRange(const Range* table, std::size_t count, char32_t cp) noexcept {
    const Range* end = table + count;
    const Range* it =
        std::upper_bound(table, end, cp, [](char32_t v, const Range& r) { return v < r.first; });
    if (it == table)
        return nullptr;
    --it;
    return cp <= it->last ? it : nullptr;
}

} // namespace

std::u32string DecodeToCodePoints(std::string_view bytes) {
    const std::string decoded = DecodeToUtf8(bytes);
    std::u32string out;
    out.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size();)
        out += NextUtf8(decoded, i);
    return out;
}

char32_t FirstCodePoint(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    std::size_t i = 0;
    if (IsValidUtf8(bytes))
        return NextUtf8(bytes, i);
    // Not UTF-8: the whole text is Windows-1252, one byte a character.
    const std::string first = DecodeToUtf8(bytes.substr(0, 1));
    return NextUtf8(first, i);
}

bool IsLetter(char32_t cp) noexcept {
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z');
    return FindRange(unicode::kLetters, unicode::kLetterRangeCount, cp) != nullptr;
}

int BaseLetterIndex(char32_t cp) noexcept {
    if (cp >= 'A' && cp <= 'Z')
        return static_cast<int>(cp - 'A');
    if (cp >= 'a' && cp <= 'z')
        return static_cast<int>(cp - 'a');
    if (cp < 0x80)
        return -1;
    const auto* r = FindRange(unicode::kBaseLetters, unicode::kBaseLetterRangeCount, cp);
    return r ? r->letter : -1;
}

void AppendSearchKey(std::u32string& out, char32_t cp) {
    if (cp < 0x80) {
        out += (cp >= 'A' && cp <= 'Z') ? cp - 'A' + 'a' : cp;
        return;
    }
    const auto* r = FindRange(unicode::kKeyRuns, unicode::kKeyRunCount, cp);
    if (!r || (cp - r->first) % r->stride != 0) {
        out += cp;
        return;
    }
    switch (r->kind) {
    case 0:
        out += static_cast<char32_t>(static_cast<std::int64_t>(cp) + r->value);
        break;
    case 1:
        out += static_cast<char32_t>(r->value);
        break;
    default:
        out += unicode::kKeyExpansions[r->value];
        break;
    }
}

std::u32string SearchKey(std::string_view bytes) {
    std::u32string key;
    const std::u32string cps = DecodeToCodePoints(bytes);
    key.reserve(cps.size());
    for (char32_t cp : cps)
        AppendSearchKey(key, cp);
    return key;
}

} // namespace kb
