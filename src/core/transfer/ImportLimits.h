#pragma once
// How much of a file an import takes in one piece. A value longer than kMaxValueBytes is
// cut to that length at a character boundary and counted in the finish message; a line of
// delimited text or a card longer than kMaxLineBytes is refused with its line, so that a
// damaged or hostile file cannot take the memory of the machine.
#include <cstddef>
#include <string_view>

namespace transfer {

inline constexpr std::size_t kMaxValueBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

// The longest start of value of at most max bytes that does not end inside a UTF-8
// sequence (a sequence has at most three bytes after its first).
inline std::string_view CutAtCharacter(std::string_view value, std::size_t max) {
    if (value.size() <= max)
        return value;
    std::size_t n = max;
    for (int k = 0; k < 3 && n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80; ++k)
        --n;
    return value.substr(0, n);
}

} // namespace transfer
