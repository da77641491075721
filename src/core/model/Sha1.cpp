#include "model/Sha1.h"
#include <cstring>

namespace kb {

namespace {

std::uint32_t Rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

void Compress(std::uint32_t h[5], const std::uint8_t* block) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t* o = block + i * 4;
        w[i] = (std::uint32_t{o[0]} << 24) | (std::uint32_t{o[1]} << 16) |
               (std::uint32_t{o[2]} << 8) | std::uint32_t{o[3]};
    }
    for (int i = 16; i < 80; ++i)
        w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    // The four kinds of rounds, each in a loop of its own so that no round asks which it is.
    auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t word) {
        const std::uint32_t t = Rotl(a, 5) + f + e + k + word;
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    };
    for (int i = 0; i < 20; ++i)
        round((b & c) | (~b & d), 0x5A827999u, w[i]);
    for (int i = 20; i < 40; ++i)
        round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
    for (int i = 40; i < 60; ++i)
        round((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[i]);
    for (int i = 60; i < 80; ++i)
        round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

} // namespace

std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
    std::uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t whole = bytes.size() / 64 * 64;
    for (std::size_t block = 0; block < whole; block += 64)
        Compress(h, data + block);
    // The rest, the 0x80 mark, zeros and the length in bits: one block or two.
    std::uint8_t tail[128] = {};
    const std::size_t rest = bytes.size() - whole;
    if (rest != 0)
        std::memcpy(tail, data + whole, rest);
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8u;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 1 - static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bits >> (i * 8));
    for (std::size_t block = 0; block < tailSize; block += 64)
        Compress(h, tail + block);

    std::array<std::uint8_t, 20> out{};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j)
            out[static_cast<std::size_t>(i * 4 + j)] =
                static_cast<std::uint8_t>(h[i] >> (24 - j * 8));
    }
    return out;
}

} // namespace kb
