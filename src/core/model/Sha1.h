#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace kb {

// SHA-1 of bytes, for name-based (version 5) UUIDs; not for anything secret. Uses the
// processor's SHA instructions where it has them.
std::array<std::uint8_t, 20> Sha1(std::string_view bytes);
// The same digest, always from the plain code: what the fast path is checked against.
std::array<std::uint8_t, 20> Sha1Portable(std::string_view bytes);
// True when Sha1 runs on the processor's SHA instructions.
bool Sha1IsAccelerated();

} // namespace kb
