#include "model/PercentCoding.h"
#include <charconv>

std::optional<std::string> PercentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        unsigned v = 0;
        if (i + 3 > s.size() ||
            std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16).ptr != s.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(v);
        i += 2;
    }
    return out;
}
