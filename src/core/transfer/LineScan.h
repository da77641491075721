#pragma once
// The next line end in a run of bytes, for the readers of line-based text (vCard files are
// read line by line, twice: counted, then parsed). Looks at 16 bytes at a time where the
// processor allows, and says on the way whether the line holds only ASCII, so a reader
// need not look at its bytes again to know they are valid UTF-8.
#include <bit>
#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace transfer {

struct LineEnd {
    const char* at; // the first CR or LF, or the end of the bytes
    bool ascii;     // every byte before it is below 0x80
};

inline LineEnd FindLineEnd(const char* p, const char* end) noexcept {
    bool ascii = true;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto ends = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
        if (ends != 0) {
            const unsigned before = (ends & (0u - ends)) - 1; // the bytes before the first end
            return {p + std::countr_zero(ends), ascii && (high & before) == 0};
        }
        ascii = ascii && high == 0;
    }
#endif
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '\r' || c == '\n')
            break;
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
    }
    return {p, ascii};
}

} // namespace transfer
