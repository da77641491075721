#include "model/Sha1.h"
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define KB_SHA1_X86 1
#endif

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

#ifdef KB_SHA1_X86
#define KB_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// Rounds 4i to 4i+3 on the SHA extensions. The words are kept in reverse lane order, as
// the instructions want them; w holds the last four groups of words, group i at i % 4.
template <int I>
KB_SHA_TARGET inline void FourRounds(__m128i& abcd, __m128i& before, __m128i (&w)[4]) {
    if constexpr (I >= 4)
        w[I % 4] = _mm_sha1msg2_epu32(
            _mm_xor_si128(_mm_sha1msg1_epu32(w[I % 4], w[(I + 1) % 4]), w[(I + 2) % 4]),
            w[(I + 3) % 4]);
    const __m128i e = _mm_sha1nexte_epu32(before, w[I % 4]);
    before = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e, I / 5);
    if constexpr (I < 19)
        FourRounds<I + 1>(abcd, before, w);
}

KB_SHA_TARGET void CompressSha(std::uint32_t h[5], const std::uint8_t* block) {
    const __m128i reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
    const __m128i abcdStart = abcd;
    const __m128i eStart = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
    __m128i w[4];
    for (int i = 0; i < 4; ++i)
        w[i] = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i)), reverse);
    // Rounds 0-3 take e itself; every later group takes it from the state before.
    __m128i before = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, _mm_add_epi32(eStart, w[0]), 0);
    FourRounds<1>(abcd, before, w);
    const __m128i e = _mm_sha1nexte_epu32(before, eStart);
    abcd = _mm_shuffle_epi32(_mm_add_epi32(abcd, abcdStart), 0x1B);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), abcd);
    h[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}

bool HasShaExtensions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool sse41 = (c & (1u << 19)) != 0, ssse3 = (c & (1u << 9)) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return sse41 && ssse3 && (b & (1u << 29)) != 0;
}
#endif

using CompressFn = void (*)(std::uint32_t[5], const std::uint8_t*);

CompressFn Fastest() {
#ifdef KB_SHA1_X86
    static const CompressFn chosen = HasShaExtensions() ? CompressSha : Compress;
    return chosen;
#else
    return Compress;
#endif
}

std::array<std::uint8_t, 20> Digest(std::string_view bytes, CompressFn compress) {
    std::uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t whole = bytes.size() / 64 * 64;
    for (std::size_t block = 0; block < whole; block += 64)
        compress(h, data + block);
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
        compress(h, tail + block);

    std::array<std::uint8_t, 20> out{};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j)
            out[static_cast<std::size_t>(i * 4 + j)] =
                static_cast<std::uint8_t>(h[i] >> (24 - j * 8));
    }
    return out;
}

} // namespace

std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
    return Digest(bytes, Fastest());
}

std::array<std::uint8_t, 20> Sha1Portable(std::string_view bytes) {
    return Digest(bytes, Compress);
}

bool Sha1IsAccelerated() {
    return Fastest() != Compress;
}

} // namespace kb
