#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <cstdint>
#include <cstring>
#include <string>

namespace kb {

int CompareNoCase(std::string_view a, std::string_view b) noexcept {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    size_t i = 0;
    // Bytes that are the same fold the same: a common beginning is passed over eight at a time.
    for (std::uint64_t wa, wb; i + 8 <= n; i += 8) {
        std::memcpy(&wa, a.data() + i, 8);
        std::memcpy(&wb, b.data() + i, 8);
        if (wa != wb)
            break;
    }
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto cb = static_cast<unsigned char>(FoldAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
    return text.size() >= prefix.size() &&
           CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool EqualsNoCaseDecoded(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && IsValidUtf8(a) && IsValidUtf8(b))
        return EqualsNoCase(a, b);
    return CompareNoCaseDecoded(a, b) == 0;
}

int CompareNoCaseDecoded(std::string_view a, std::string_view b) {
    const bool utf8a = IsValidUtf8(a);
    const bool utf8b = IsValidUtf8(b);
    if (utf8a && utf8b)
        return CompareNoCase(a, b);
    return CompareNoCase(utf8a ? std::string(a) : DecodeToUtf8(a),
                         utf8b ? std::string(b) : DecodeToUtf8(b));
}

} // namespace kb
