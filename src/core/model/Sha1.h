#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace kb {

// SHA-1 of bytes, for name-based (version 5) UUIDs; not for anything secret.
std::array<std::uint8_t, 20> Sha1(std::string_view bytes);

} // namespace kb
