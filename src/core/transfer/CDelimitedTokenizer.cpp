#include "transfer/CDelimitedTokenizer.h"
#include "transfer/ImportLimits.h"
#include <array>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum ByteClass : unsigned char { kOrdinary, kSeparator, kCr, kLf, kQuote };

constexpr std::array<unsigned char, 256> MakeClasses(bool semicolon) {
    std::array<unsigned char, 256> t{};
    if (semicolon) {
        t[';'] = kSeparator;
    } else {
        t['\t'] = kSeparator;
        t[','] = kSeparator;
    }
    t['\r'] = kCr;
    t['\n'] = kLf;
    t['"'] = kQuote;
    return t;
}
constexpr std::array<unsigned char, 256> kTabComma = MakeClasses(false);
constexpr std::array<unsigned char, 256> kSemicolon = MakeClasses(true);

// The closing quote of a value (or the end of the bytes) and the line ends before it.
// Values are short: sixteen bytes are looked at in one go where the processor allows,
// rather than calling a search per value and another to count its line ends.
struct QuoteScan {
    const unsigned char* at;
    long long lineEnds;
};

// The set bits of a mask of line ends, which are few: a loop over them, where the
// processor's own count may be missing from the instruction set built for.
int CountBits(unsigned mask) {
    int n = 0;
    for (; mask != 0; mask &= mask - 1)
        ++n;
    return n;
}

QuoteScan FindQuote(const unsigned char* p, const unsigned char* end) {
    long long lines = 0;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)));
        const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        if (quotes != 0) {
            const unsigned before = (quotes & (0u - quotes)) - 1;
            return {p + std::countr_zero(quotes), lines + CountBits(ends & before)};
        }
        lines += CountBits(ends);
    }
#endif
    for (; p < end && *p != '"'; ++p)
        lines += *p == '\n';
    return {p, lines};
}

// At most max bytes of s, not cutting a UTF-8 sequence in two.
std::string Clip(std::string s, std::size_t max) {
    if (s.size() <= max)
        return s;
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    s.resize(n);
    return s;
}

constexpr unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};

} // namespace

CDelimitedTokenizer::CDelimitedTokenizer(Separator separator)
    : m_class(separator == Separator::Semicolon ? kSemicolon.data() : kTabComma.data()) {}

TokenizeResult CDelimitedTokenizer::Incompatible(const unsigned char* p, const unsigned char* end) {
    // The value as it was written, and the rest of its line as far as this chunk holds it.
    std::string text = "\"" + m_value + "\"";
    const unsigned char* e = p;
    while (e < end && *e != '\r' && *e != '\n' && text.size() + (e - p) <= kErrorTextMax)
        ++e;
    text.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(e - p));
    m_errorText = Clip(std::move(text), kErrorTextMax);
    m_bDone = true;
    return TokenizeResult::Incompatible;
}

bool CDelimitedTokenizer::EndField(ITokenConsumer& consumer) {
    return EndField(consumer, m_value);
}

void CDelimitedTokenizer::AppendValue(const unsigned char* s, std::size_t n) {
    // Enough past the cut to know where a character ends, and that the value was longer.
    constexpr std::size_t kKept = transfer::kMaxValueBytes + 4;
    if (m_value.size() + n > kKept)
        n = m_value.size() < kKept ? kKept - m_value.size() : 0;
    m_value.append(reinterpret_cast<const char*>(s), n);
}

bool CDelimitedTokenizer::EndField(ITokenConsumer& consumer, std::string_view value) {
    if (value.size() > transfer::kMaxValueBytes) {
        value = transfer::CutAtCharacter(value, transfer::kMaxValueBytes);
        ++m_nShortened;
    }
    const bool go = consumer.OnField(value, m_nField);
    m_value.clear();
    ++m_nField;
    return go;
}

bool CDelimitedTokenizer::EndRecord(ITokenConsumer& consumer, const unsigned char* p) {
    if (m_nRecordBytes + static_cast<std::size_t>(p - m_pRecordFrom) > transfer::kMaxLineBytes) {
        m_bTooLong = true;
        return false;
    }
    m_nRecordBytes = 0;
    m_pRecordFrom = p;
    m_nField = 0;
    ++m_nRecords;
    m_bPending = false;
    m_nRecordLine = m_nLine;
    return consumer.OnRecordEnd();
}

TokenizeResult CDelimitedTokenizer::Feed(const char* data, std::size_t size,
                                         ITokenConsumer& consumer) {
    if (m_bDone)
        return TokenizeResult::Stopped;
    auto p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    // A byte-order mark may arrive split over chunks; a partial one turns out to be text.
    while (m_nBomMatched < 3 && p < end) {
        if (*p == kBom[m_nBomMatched]) {
            ++m_nBomMatched;
            ++p;
            continue;
        }
        const int matched = m_nBomMatched;
        m_nBomMatched = 3;
        if (matched > 0) {
            const TokenizeResult r = Run(kBom, kBom + matched, consumer);
            if (r != TokenizeResult::Continue)
                return r;
        }
    }
    return Run(p, end, consumer);
}

TokenizeResult CDelimitedTokenizer::Run(const unsigned char* p, const unsigned char* const end,
                                        ITokenConsumer& consumer) {
    auto stop = [this](TokenizeResult r) {
        m_bDone = true;
        return m_bTooLong ? TokenizeResult::TooLong : r;
    };
    const unsigned char* const kClass = m_class;
    m_pRecordFrom = p;
    while (p < end) {
        switch (m_state) {
        case State::Start: {
            const unsigned char b = *p++;
            m_bPending = true;
            m_state = State::FieldStart;
            switch (kClass[b]) {
            case kQuote:
                m_state = State::Quoted;
                break;
            case kSeparator:
                if (!EndField(consumer))
                    return stop(TokenizeResult::Stopped);
                break;
            case kCr:
                break;
            case kLf:
                m_bUnquotedMode = true;
                ++m_nLine;
                if (!EndField(consumer) || !EndRecord(consumer, p))
                    return stop(TokenizeResult::Stopped);
                break;
            default:
                m_bUnquotedMode = true;
                m_value.push_back(static_cast<char>(b));
                m_state = State::Unquoted;
                break;
            }
            break;
        }
        case State::FieldStart: {
            const unsigned char b = *p;
            const unsigned char c = kClass[b];
            if (c == kOrdinary) {
                // A value without quotes (a number beside quoted text) runs to the next
                // separator in either mode.
                m_state = State::Unquoted;
                break;
            }
            ++p;
            m_bPending = true;
            if (c == kQuote) {
                m_state = State::Quoted;
            } else if (c == kSeparator) {
                if (!EndField(consumer))
                    return stop(TokenizeResult::Stopped);
            } else if (c == kLf) {
                ++m_nLine;
                if (!EndField(consumer) || !EndRecord(consumer, p))
                    return stop(TokenizeResult::Stopped);
            }
            break;
        }
        case State::Unquoted: {
            const unsigned char* s = p;
            while (p < end && (kClass[*p] == kOrdinary || *p == '"'))
                ++p;
            if (p > s) {
                AppendValue(s, static_cast<std::size_t>(p - s));
                m_bPending = true;
            }
            if (p == end)
                break;
            const unsigned char c = kClass[*p++];
            m_bPending = true;
            if (c == kSeparator) {
                m_state = State::FieldStart;
                if (!EndField(consumer))
                    return stop(TokenizeResult::Stopped);
            } else if (c == kLf) {
                m_state = State::FieldStart;
                ++m_nLine;
                if (!EndField(consumer) || !EndRecord(consumer, p))
                    return stop(TokenizeResult::Stopped);
            }
            break;
        }
        case State::Quoted: {
            // Quoted values one after another, as most files hold them, are read here
            // without going back to the switch; what follows a closing quote is decided
            // as QuoteInQuoted and AfterQuoted would when the chunk holds it.
            for (;;) {
                const QuoteScan scan = FindQuote(p, end);
                const unsigned char* s = scan.at;
                // A whole value in this chunk, closed by a byte that ends it, needs no copy.
                const bool whole =
                    s != end && m_value.empty() && !m_bUnquotedMode && s + 1 < end && s[1] != '"';
                if (s > p) {
                    if (!whole)
                        AppendValue(p, static_cast<std::size_t>(s - p));
                    m_nLine += scan.lineEnds;
                    m_bPending = true;
                }
                const unsigned char* const value = p;
                p = s;
                if (p == end)
                    break;
                ++p;
                if (p == end || m_bUnquotedMode) {
                    m_state = State::QuoteInQuoted;
                    break;
                }
                if (*p == '"') {
                    m_value.push_back('"');
                    ++p;
                    continue;
                }
                const unsigned char c = kClass[*p];
                if (c == kOrdinary) {
                    if (whole)
                        m_value.assign(reinterpret_cast<const char*>(value),
                                       static_cast<std::size_t>(s - value));
                    return Incompatible(p, end);
                }
                ++p;
                const std::string_view text =
                    whole ? std::string_view(reinterpret_cast<const char*>(value),
                                             static_cast<std::size_t>(s - value))
                          : std::string_view(m_value);
                if (c == kCr) {
                    // Dropped; the value ends at the separator or line end after it.
                    if (whole)
                        m_value.assign(text);
                    m_state = State::AfterQuoted;
                    break;
                }
                m_state = State::FieldStart;
                if (c == kSeparator) {
                    if (!EndField(consumer, text))
                        return stop(TokenizeResult::Stopped);
                } else {
                    ++m_nLine;
                    if (!EndField(consumer, text) || !EndRecord(consumer, p))
                        return stop(TokenizeResult::Stopped);
                }
                // The next value opens with a quote: read it on here.
                if (p == end || *p != '"')
                    break;
                ++p;
                m_bPending = true;
                m_state = State::Quoted;
            }
            break;
        }
        case State::QuoteInQuoted:
            // A quote right after a quote is one quote of the value; anything else means the
            // first one closed the value, and the byte is read again outside it.
            if (*p == '"') {
                m_value.push_back('"');
                ++p;
                m_state = State::Quoted;
            } else {
                m_state = m_bUnquotedMode ? State::Unquoted : State::AfterQuoted;
            }
            break;
        case State::AfterQuoted: {
            const unsigned char c = kClass[*p];
            if (c == kOrdinary)
                return Incompatible(p, end);
            ++p;
            if (c == kQuote) {
                m_state = State::Quoted;
            } else if (c == kSeparator) {
                m_state = State::FieldStart;
                if (!EndField(consumer))
                    return stop(TokenizeResult::Stopped);
            } else if (c == kLf) {
                m_state = State::FieldStart;
                ++m_nLine;
                if (!EndField(consumer) || !EndRecord(consumer, p))
                    return stop(TokenizeResult::Stopped);
            }
            break;
        }
        }
    }
    // The record goes on into the next chunk.
    m_nRecordBytes += static_cast<std::size_t>(end - m_pRecordFrom);
    if (m_nRecordBytes > transfer::kMaxLineBytes) {
        m_bTooLong = true;
        return stop(TokenizeResult::Stopped);
    }
    return TokenizeResult::Continue;
}

TokenizeResult CDelimitedTokenizer::Finish(ITokenConsumer& consumer) {
    if (m_bDone)
        return TokenizeResult::Stopped;
    if (m_nBomMatched > 0 && m_nBomMatched < 3) {
        const int matched = m_nBomMatched;
        m_nBomMatched = 3;
        const TokenizeResult r = Run(kBom, kBom + matched, consumer);
        if (r != TokenizeResult::Continue)
            return r;
    }
    m_bDone = true;
    if (m_bPending) {
        // Its bytes were counted as each chunk ended.
        m_pRecordFrom = nullptr;
        if (!EndField(consumer) || !EndRecord(consumer, nullptr))
            return m_bTooLong ? TokenizeResult::TooLong : TokenizeResult::Stopped;
    }
    return TokenizeResult::Completed;
}
