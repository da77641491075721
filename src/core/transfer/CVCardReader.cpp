#include "transfer/CVCardReader.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "transfer/ImportLimits.h"
#include "transfer/LineScan.h"
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace std::string_view_literals;

namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Most text has no blanks around it: that is seen at once.
inline std::string_view Trim(std::string_view s) {
    if (s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back())))
        return s;
    return TrimBlanks(s);
}

// Sets a string to bytes in the room it has (the strings of a card's properties are reused
// from card to card): cheaper than assign, which must allow for the bytes being its own.
void SetBytes(std::string& out, std::string_view bytes) {
    out.clear();
    out.append(bytes.data(), bytes.size());
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void MakeUpper(std::string& s) {
    for (char& c : s)
        c = UpperAscii(c);
}

// Whether upper is text with ASCII letters made upper case. A name read into a slot that
// held the same name on the card before (most are) need not be set again.
bool IsUpperOf(std::string_view upper, std::string_view text) {
    if (upper.size() != text.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (upper[i] != UpperAscii(text[i]))
            return false;
    }
    return true;
}

// Whether the name-and-parameters part of a line (before its first ':') says
// quoted-printable, so that its soft line breaks are joined.
bool SaysQuotedPrintable(std::string_view line) {
    const std::size_t colon = line.find(':');
    const std::string_view head = line.substr(0, colon);
    if (head.size() < 16)
        return false;
    for (std::size_t i = 0; i + 16 <= head.size(); ++i) {
        if (head[i] != 'Q' && head[i] != 'q')
            continue;
        if (kb::EqualsNoCase(head.substr(i, 16), "QUOTED-PRINTABLE"))
            return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Quoted-printable to bytes; false on a broken =XX. A '=' at the very end is a soft break.
bool DecodeQuotedPrintable(std::string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
            continue;
        }
        if (i + 1 == in.size())
            return true;
        if (i + 2 >= in.size())
            return false;
        const int hi = HexDigit(in[i + 1]);
        const int lo = HexDigit(in[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

// 4.0's ^-escapes in parameter values: ^n line break, ^^ caret, ^' double quote.
std::string CaretDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '^' && i + 1 < s.size()) {
            const char n = s[i + 1];
            if (n == 'n' || n == 'N') {
                out += '\n';
                ++i;
                continue;
            }
            if (n == '^' || n == '\'') {
                out += n == '^' ? '^' : '"';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The parameter a bare 2.1 value belongs to.
std::string BareParamName(const std::string& upperValue) {
    if (upperValue == "QUOTED-PRINTABLE"sv || upperValue == "BASE64"sv || upperValue == "8BIT"sv ||
        upperValue == "7BIT"sv || upperValue == "B"sv)
        return "ENCODING";
    if (upperValue == "INLINE"sv || upperValue == "URL"sv || upperValue == "URI"sv ||
        upperValue == "CID"sv || upperValue == "CONTENT-ID"sv)
        return "VALUE";
    return "TYPE";
}

// A value as it stands when it has no quotes, ^-escapes or list separators (the common
// case), else decoded as CaretDecode does.
void AppendParamValue(std::vector<std::string>& values, std::string_view s) {
    if (s.find('^') == std::string_view::npos)
        values.emplace_back(s);
    else
        values.push_back(CaretDecode(s));
}

// Moves the parameters past the first `used` to spare, to be filled again later.
void SpareParams(std::vector<VCardParam>& params, std::size_t used,
                 std::vector<VCardParam>& spare) {
    while (params.size() > used) {
        spare.push_back(std::move(params.back()));
        params.pop_back();
    }
}

// The parameters of a property being read, filled into the ones it held for the line read
// into it before (and the room of their strings), then into spare ones.
class ParamSlots {
public:
    ParamSlots(std::vector<VCardParam>& params, std::vector<VCardParam>& spare)
        : m_params(params), m_spare(spare) {}
    VCardParam& Next() {
        if (m_used == m_params.size()) {
            if (m_spare.empty()) {
                m_params.emplace_back();
            } else {
                m_params.push_back(std::move(m_spare.back()));
                m_spare.pop_back();
            }
        }
        return m_params[m_used++];
    }
    // The parameters not filled wait in spare.
    void Finish() {
        if (m_params.size() > m_used)
            SpareParams(m_params, m_used, m_spare);
    }

private:
    std::vector<VCardParam>& m_params;
    std::vector<VCardParam>& m_spare;
    std::size_t m_used = 0;
};

// Whether a parameter slot holds what text reads as already: the slots are filled card
// after card, and similar cards have the same parameters in the same places.
bool HoldsParam(const VCardParam& p, std::string_view text) {
    if (p.values.size() != 1)
        return false;
    const std::string& value = p.values.front();
    const std::size_t n = p.name.size();
    if (text.size() != n + 1 + value.size() || text[n] != '=' ||
        !IsUpperOf(p.name, text.substr(0, n)) || text.substr(n + 1) != value)
        return false;
    // Read again, a value with quotes, a list or ^-escapes would not be the same.
    for (const char c : value) {
        if (c == '"' || c == ',' || c == '^')
            return false;
    }
    return true;
}

// Adds a parameter.
void AddParam(ParamSlots& slots, std::string_view text) {
    text = Trim(text);
    if (text.empty())
        return;
    VCardParam& p = slots.Next();
    if (HoldsParam(p, text))
        return;
    std::size_t eq = std::string_view::npos;
    bool plain = true; // one value without quotes, lists or ^-escapes (most parameters)
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            if (eq == std::string_view::npos)
                eq = i;
        } else if (eq != std::string_view::npos && (c == '"' || c == ',' || c == '^')) {
            plain = false;
        }
    }
    if (eq == std::string_view::npos) {
        p.values.clear();
        p.name = BareParamName(Upper(text));
        p.values.emplace_back(text);
    } else {
        const std::string_view name = Trim(text.substr(0, eq));
        if (!IsUpperOf(p.name, name)) {
            SetBytes(p.name, name);
            MakeUpper(p.name);
        }
        std::string_view rest = text.substr(eq + 1);
        if (plain) {
            if (p.values.size() != 1 || p.values.front() != rest) {
                p.values.resize(1);
                SetBytes(p.values.front(), rest);
            }
            return;
        }
        p.values.clear();
        if (rest.find_first_of("\",") == std::string_view::npos) {
            AppendParamValue(p.values, rest); // one value with ^-escapes
            return;
        }
        // Comma-separated values, each optionally in double quotes; 4.0 writes a list of
        // types as one quoted value ("voice,home").
        const bool typeList = p.name == "TYPE"sv;
        std::size_t start = 0;
        bool quoted = false;
        bool plain = true; // the current value has no quotes in it
        std::string current;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            const char c = rest[i];
            if (c == '"') {
                if (plain) {
                    current.assign(rest.substr(start, i - start));
                    plain = false;
                }
                quoted = !quoted;
            } else if (c == ',' && (!quoted || typeList)) {
                if (plain)
                    AppendParamValue(p.values, rest.substr(start, i - start));
                else
                    p.values.push_back(CaretDecode(current));
                current.clear();
                start = i + 1;
                plain = true;
            } else if (!plain) {
                current += c;
            }
        }
        if (plain)
            AppendParamValue(p.values, rest.substr(start));
        else
            p.values.push_back(CaretDecode(current));
    }
}

// 2.1 has no escapes but \; and writes line breaks as they are: bring the value into the
// 3.0/4.0 form every other part of the program reads.
std::string To30Form(std::string_view text, bool listValue) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            const char n = i + 1 < text.size() ? text[i + 1] : '\0';
            if (n == ';' || n == ',' || n == '\\' || n == 'n' || n == 'N') {
                out += c;
                out += n;
                ++i;
            } else {
                out += "\\\\";
            }
        } else if (c == ',' && !listValue) {
            out += "\\,";
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string EscapeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// A value in the charset its property names; a name nothing knows, or bytes that are not
// text in the charset, are noted against the value's line for the user.
std::string DecodeCharset(std::string_view bytes, const std::string* charset, int line,
                          std::vector<kb::CharsetNote>& notes) {
    if (!charset)
        return kb::DecodeToUtf8(bytes); // UTF-8 when valid, else the older platform's code page
    std::string out;
    const kb::CharsetDecodeResult r = kb::AppendDecoded(bytes, *charset, out);
    if (!r.known || r.invalid > 0)
        kb::AddCharsetNote(notes, *charset, !r.known, line);
    return out;
}

bool IsBinaryData(const VCardProperty& p, std::string_view raw) {
    return (p.name == "PHOTO"sv || p.name == "LOGO"sv || p.name == "SOUND"sv ||
            p.name == "KEY"sv) &&
           kb::StartsWithNoCase(raw, "data:");
}

// What the parameters say about the value, read in one pass. The names are upper case
// already (ASCII letters; whatever else stands there matches none of these).
struct ValueForm {
    bool binary = false;                  // ENCODING=BASE64 or B, VALUE=BINARY
    bool quotedPrintable = false;         // ENCODING=QUOTED-PRINTABLE
    const std::string* charset = nullptr; // the first CHARSET value
};

ValueForm FormOf(const VCardProperty& p) {
    ValueForm form;
    for (const VCardParam& param : p.params) {
        if (param.name == "ENCODING"sv) {
            for (const std::string& v : param.values) {
                if (kb::EqualsNoCase(v, "BASE64") || kb::EqualsNoCase(v, "B"))
                    form.binary = true;
                else if (kb::EqualsNoCase(v, "QUOTED-PRINTABLE"))
                    form.quotedPrintable = true;
            }
        } else if (param.name == "VALUE"sv) {
            for (const std::string& v : param.values) {
                if (kb::EqualsNoCase(v, "BINARY"))
                    form.binary = true;
            }
        } else if (param.name == "CHARSET"sv && !form.charset && !param.values.empty()) {
            form.charset = &param.values.front();
        }
    }
    return form;
}

bool IsAscii(std::string_view s) {
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= s.size(); i += 8) {
        std::memcpy(&word, s.data() + i, 8);
        if ((word & 0x8080808080808080ull) != 0)
            return false;
    }
    for (; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    }
    return true;
}

bool HasLineBreak(std::string_view s) {
    for (char c : s) {
        if (c == '\r' || c == '\n')
            return true;
    }
    return false;
}

// Names and parameters are ASCII in every version; whatever else a file holds there is
// made valid UTF-8 like the values, so nothing downstream meets stray bytes.
// ascii: the bytes are known to be ASCII.
void AssignText(std::string& out, std::string_view bytes, bool ascii = false) {
    if (ascii || IsAscii(bytes))
        SetBytes(out, bytes);
    else
        out = kb::DecodeToUtf8(bytes);
}

// mayHaveLower: bytes may hold lower-case letters; most names are written upper case.
void AssignUpper(std::string& out, std::string_view bytes, bool ascii, bool mayHaveLower) {
    if (ascii && !mayHaveLower) {
        if (out != bytes)
            SetBytes(out, bytes);
        return;
    }
    if (ascii && IsUpperOf(out, bytes))
        return;
    AssignText(out, bytes, ascii);
    MakeUpper(out);
}

// Whether the double quote at text[i] opens a quoted parameter value: only one that
// begins a value does; a stray quote elsewhere in a damaged line is an ordinary byte.
bool OpensQuote(std::string_view text, std::size_t i) {
    return i > 0 && (text[i - 1] == '=' || text[i - 1] == ',');
}

// Where the name and parameters of a line end, found in one pass: the first ':', the first
// ';' before it and whether a '"' stands before it.
struct HeadMarks {
    std::size_t colon = std::string_view::npos;
    std::size_t semi = std::string_view::npos;
    std::size_t dot = std::string_view::npos; // the last '.' before the first ';' or ':'
    bool quote = false;
    bool lower = false; // a lower-case ASCII letter before the first ';' or ':'
};

HeadMarks ScanHead(std::string_view text) {
    HeadMarks m;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: most heads end within the first sixteen.
    const __m128i colon = _mm_set1_epi8(':');
    const __m128i semi = _mm_set1_epi8(';');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i dot = _mm_set1_epi8('.');
    const __m128i beforeA = _mm_set1_epi8('a' - 1);
    const __m128i afterZ = _mm_set1_epi8('z' + 1);
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const auto colons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, colon)));
        const unsigned before = colons != 0 ? (colons & (0u - colons)) - 1 : 0xFFFFu;
        const auto semis =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, semi))) & before;
        if (m.semi == std::string_view::npos) {
            // The name, with its group, stands before the first ';'.
            const unsigned name = semis != 0 ? (semis & (0u - semis)) - 1 : before;
            const unsigned dots =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, dot))) & name;
            if (dots != 0)
                m.dot = i + 31 - static_cast<std::size_t>(std::countl_zero(dots));
            // Bytes past 0x7F compare as negative: never taken for letters.
            const auto lowers = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpgt_epi8(v, beforeA), _mm_cmplt_epi8(v, afterZ))));
            if ((lowers & name) != 0)
                m.lower = true;
        }
        if (semis != 0 && m.semi == std::string_view::npos)
            m.semi = i + static_cast<std::size_t>(std::countr_zero(semis));
        if ((static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote))) & before) != 0)
            m.quote = true;
        if (colons != 0) {
            m.colon = i + static_cast<std::size_t>(std::countr_zero(colons));
            return m;
        }
    }
#endif
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            m.colon = i;
            break;
        }
        if (c == ';') {
            if (m.semi == std::string_view::npos)
                m.semi = i;
        } else if (c == '"') {
            m.quote = true;
        } else if (m.semi == std::string_view::npos) {
            if (c == '.')
                m.dot = i;
            else if (c >= 'a' && c <= 'z')
                m.lower = true;
        }
    }
    return m;
}

// The parameters of a line, "TYPE=home;PREF=1". hasQuote: a '"' stands among them.
void ReadParams(std::string_view params, bool hasQuote, bool ascii, ParamSlots& slots) {
    const auto add = [&slots, ascii](std::string_view param) {
        if (ascii || IsAscii(param))
            AddParam(slots, param);
        else
            AddParam(slots, kb::DecodeToUtf8(param));
    };
    if (!hasQuote) {
        // Nothing quoted (most lines): the parameters stand between the semicolons.
        for (std::size_t start = 0;;) {
            std::size_t end = start;
            while (end < params.size() && params[end] != ';')
                ++end;
            add(params.substr(start, end - start));
            if (end == params.size())
                return;
            start = end + 1;
        }
    }
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= params.size(); ++i) {
        if (i < params.size() && params[i] == '"' && (quoted || OpensQuote(params, i)))
            quoted = !quoted;
        if (i == params.size() || (params[i] == ';' && !quoted)) {
            add(params.substr(start, i - start));
            start = i + 1;
        }
    }
}

// The lines that frame a card, as nearly every file spells them (any case).
enum class Frame { None, Begin, End, Version };
constexpr std::string_view kVersionPrefix = "VERSION:";

Frame FrameOf(std::string_view line) {
    if (line.size() < kVersionPrefix.size())
        return Frame::None;
    // Most lines begin with none of their letters: seen at once (| 0x20 folds the case of
    // ASCII letters, and makes no other byte a 'b', 'e' or 'v').
    const char first = static_cast<char>(line.front() | 0x20);
    if (first == 'b')
        return line.size() == 11 && vcard::SameWord(line, "BEGIN:VCARD") ? Frame::Begin
                                                                         : Frame::None;
    if (first == 'e')
        return line.size() == 9 && vcard::SameWord(line, "END:VCARD") ? Frame::End : Frame::None;
    if (first == 'v' && vcard::SameWord(line.substr(0, kVersionPrefix.size()), kVersionPrefix))
        return Frame::Version;
    return Frame::None;
}

// Splits "group.NAME;params:value" into p, every part of which it sets but the values, and
// raw, the value as it stands in text. False when the line has no ':' at all (p left as it
// was). ascii: the line holds only ASCII bytes.
bool ParseProperty(std::string_view text, bool ascii, VCardProperty& p, std::string_view& raw,
                   std::vector<VCardParam>& spare) {
    // The name and parameters end at the first ':' outside a quoted parameter value.
    const HeadMarks marks = ScanHead(text);
    std::size_t colon = marks.colon;
    std::size_t semi = marks.semi;
    const bool hasQuote = marks.quote;
    bool quoted = false;
    if (hasQuote) {
        // A quoted parameter value may hold a ':'.
        colon = std::string_view::npos;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '"' && (quoted || OpensQuote(text, i)))
                quoted = !quoted;
            else if (text[i] == ':' && !quoted) {
                colon = i;
                break;
            }
        }
        if (colon == std::string_view::npos)
            colon = text.find(':'); // an unbalanced quote: take the first ':' after all
        if (colon != std::string_view::npos)
            semi = text.substr(0, colon).find(';');
    }
    if (colon == std::string_view::npos)
        return false;
    const std::string_view head = text.substr(0, colon);
    raw = text.substr(colon + 1);

    std::string_view qualified = Trim(head.substr(0, semi));
    // The group ends at the last '.' of the name; Trim took off no dot.
    const std::size_t dot =
        hasQuote ? qualified.rfind('.')
        : marks.dot == std::string_view::npos
            ? std::string_view::npos
            : marks.dot - static_cast<std::size_t>(qualified.data() - text.data());
    if (dot != std::string_view::npos) {
        AssignText(p.group, qualified.substr(0, dot), ascii);
        qualified.remove_prefix(dot + 1);
    } else {
        p.group.clear();
    }
    AssignUpper(p.name, qualified, ascii, hasQuote || marks.lower);
    ParamSlots slots(p.params, spare);
    if (semi != std::string_view::npos)
        ReadParams(head.substr(semi + 1), hasQuote, ascii, slots);
    slots.Finish();
    return true;
}

} // namespace

bool CVCardReader::Feed(const char* data, std::size_t size, IVCardSink& sink) {
    if (m_bStopped)
        return false;
    std::size_t i = 0;
    if (!m_bStarted) {
        // Wait for three bytes before deciding about a byte-order mark.
        static constexpr char kBom[] = "\xEF\xBB\xBF";
        while (i < size && m_physical.size() < 3 && m_nLine == 0) {
            m_physical += data[i++];
            if (m_physical.compare(0, m_physical.size(), kBom, m_physical.size()) != 0) {
                m_bStarted = true;
                break;
            }
            if (m_physical.size() == 3) {
                m_physical.clear();
                m_bStarted = true;
                break;
            }
        }
        if (!m_bStarted)
            return true;
        // Bytes taken while looking for the mark are ordinary line bytes: run them again.
        std::string pending;
        pending.swap(m_physical);
        for (char c : pending) {
            if (c == '\r' || c == '\n') {
                if (!(c == '\n' && m_bAfterCr) && !OnHeldLine(sink))
                    return false;
                m_physical.clear();
                m_bAfterCr = c == '\r';
            } else {
                m_bAfterCr = false;
                m_physical += c;
            }
        }
    }
    for (; i < size; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one line end; a CR or an LF alone is one as well.
            if (!(c == '\n' && m_bAfterCr)) {
                if (!OnHeldLine(sink))
                    return false;
                m_physical.clear();
            }
            m_bAfterCr = c == '\r';
            continue;
        }
        m_bAfterCr = false;
        // Find the run of ordinary bytes and take it at once.
        const transfer::LineEnd end = transfer::FindLineEnd(data + i, data + size);
        auto j = static_cast<std::size_t>(end.at - data);
        if (j < size && m_physical.empty()) {
            // A whole line within this chunk: read where it stands.
            if (!OnPhysicalLine(std::string_view(data + i, j - i), sink, true, end.ascii))
                return false;
            // The line end taken at once, CR LF as one.
            m_bAfterCr = data[j] == '\r';
            if (m_bAfterCr && j + 1 < size && data[j + 1] == '\n') {
                m_bAfterCr = false;
                ++j;
            }
            i = j;
            continue;
        }
        m_physical.append(data + i, j - i);
        if (m_bLimited && !CountCardBytes(m_physical.size()))
            return false;
        i = j - 1;
    }
    KeepLogicalLine(); // the chunk goes away
    return true;
}

void CVCardReader::KeepLogicalLine() {
    if (m_bLogicalInChunk) {
        m_logical.assign(m_logicalInChunk);
        m_bLogicalInChunk = false;
    }
}

bool CVCardReader::Finish(IVCardSink& sink) {
    if (m_bStopped)
        return false;
    m_bStarted = true;
    if (!m_physical.empty()) {
        if (!OnHeldLine(sink))
            return false;
        m_physical.clear();
    }
    if (!CompleteLogicalLine(sink))
        return false;
    if (m_bInCard) {
        m_bInCard = false;
        if (!sink.OnBadCard(m_card.line, m_bCardBroken ? m_cardFault : VCardFault::NoEnd)) {
            m_bStopped = true;
            return false;
        }
    }
    return true;
}

bool CVCardReader::OnHeldLine(IVCardSink& sink) {
    return OnPhysicalLine(m_physical, sink, false, IsAscii(m_physical));
}

bool CVCardReader::LogicalLineIsQuotedPrintable() {
    // Nothing has been taken off the logical line yet: its first physical line is still
    // there as it was read.
    if (m_logicalQp < 0)
        m_logicalQp = SaysQuotedPrintable(LogicalLine().substr(0, m_nFirstLineLength)) ? 1 : 0;
    return m_logicalQp == 1;
}

bool CVCardReader::CountCardBytes(std::size_t bytes) {
    if (m_nCardBytes + bytes <= transfer::kMaxLineBytes)
        return true;
    m_nTooLongLine = m_bInCard ? m_card.line : m_nLogicalLine != 0 ? m_nLogicalLine : m_nLine + 1;
    m_bStopped = true;
    return false;
}

void CVCardReader::LimitValue(std::string& value) {
    if (!m_bLimited || value.size() <= transfer::kMaxValueBytes)
        return;
    std::size_t n = transfer::CutAtCharacter(value, transfer::kMaxValueBytes).size();
    // An escape (\n, \,) stays whole: after an odd run of backslashes the last one goes.
    std::size_t slashes = 0;
    while (slashes < n && value[n - 1 - slashes] == '\\')
        ++slashes;
    value.resize(n - slashes % 2);
    ++m_nShortened;
}

bool CVCardReader::OnPhysicalLine(std::string_view line, IVCardSink& sink, bool inChunk,
                                  bool ascii) {
    if (m_bLimited) {
        // The line end counts as one byte.
        m_nLineBytes = line.size() + 1;
        if (!CountCardBytes(m_nLineBytes))
            return false;
        m_nCardBytes += m_nLineBytes;
    }
    ++m_nLine;
    if (m_nLogicalLine != 0) {
        const std::string_view logical = LogicalLine();
        if (!logical.empty() && logical.back() == '=' && LogicalLineIsQuotedPrintable()) {
            KeepLogicalLine();
            // A quoted-printable soft line break: the value goes on, blanks and all.
            m_logical.pop_back();
            m_logical.append(line);
            m_bLogicalAscii = m_bLogicalAscii && ascii;
            return true;
        }
        if (!line.empty() && IsBlank(line.front())) {
            // Folding. 2.1 folds at a blank that stays part of the value; 3.0 and 4.0
            // insert the blank, which unfolding takes out again.
            KeepLogicalLine();
            if (m_card.version == "2.1"sv)
                m_logical.append(line);
            else
                m_logical.append(line.substr(1));
            m_bLogicalAscii = m_bLogicalAscii && ascii;
            return true;
        }
    }
    if (!CompleteLogicalLine(sink))
        return false;
    if (line.empty() || (IsBlank(line.front()) && Trim(line).empty()))
        return true; // blank lines separate, they carry nothing (2.1 ends base64 with one)
    // A line that stands whole in the chunk is read from there, unless it goes on in the
    // next line or the chunk ends first.
    if (inChunk) {
        m_logicalInChunk = line;
        m_bLogicalInChunk = true;
    } else {
        m_logical.assign(line);
        m_bLogicalInChunk = false;
    }
    m_nLogicalLine = m_nLine;
    m_nFirstLineLength = line.size();
    m_logicalQp = -1;
    m_bLogicalAscii = ascii;
    return true;
}

bool CVCardReader::CompleteLogicalLine(IVCardSink& sink) {
    if (m_nLogicalLine == 0)
        return true;
    const int line = m_nLogicalLine;
    m_nLogicalLine = 0;
    if (!OnLogicalLine(LogicalLine(), line, m_bLogicalAscii, sink)) {
        m_bStopped = true;
        return false;
    }
    return true;
}

VCardProperty& CVCardReader::ScratchProperty() {
    // The card's properties are reused from card to card: their strings keep their room.
    if (m_nProperties >= m_card.properties.size()) {
        m_card.properties.resize(m_nProperties);
        if (m_spareProperties.empty()) {
            m_card.properties.emplace_back();
        } else {
            m_card.properties.push_back(std::move(m_spareProperties.back()));
            m_spareProperties.pop_back();
        }
    }
    // Its strings and parameters keep what they held, for their room: the line read into
    // it sets each.
    VCardProperty& p = m_card.properties[m_nProperties];
    p.binary = false;
    p.line = 0;
    return p;
}

bool CVCardReader::OnLogicalLine(std::string_view text, int line, bool ascii, IVCardSink& sink) {
    // The lines that frame a card, in the spelling nearly every file has, are known without
    // parsing them; any other line is parsed into the slot after the card's properties.
    const Frame frame = FrameOf(text);
    VCardProperty* scratch = nullptr; // kept only when m_nProperties moves on
    std::string_view raw;             // its value as it stands in text
    bool parsed = false;
    if (frame == Frame::None) {
        scratch = &ScratchProperty();
        parsed = ParseProperty(text, ascii, *scratch, raw, m_spareParams);
    }
    if (frame == Frame::Begin ||
        (parsed && scratch->name == "BEGIN"sv && vcard::SameWord(Trim(raw), "VCARD"))) {
        m_bInStray = false;
        if (m_bInCard && !sink.OnBadCard(m_card.line, VCardFault::NoEnd))
            return false;
        m_card.version.clear();
        m_nProperties = 0;
        m_card.line = line;
        m_nCardBytes = m_nLineBytes; // as after an end
        m_bInCard = true;
        m_bCardBroken = false;
        return true;
    }
    if (!m_bInCard) {
        // Text between cards: reported once for each run of it.
        if (m_bInStray)
            return true;
        m_bInStray = true;
        return sink.OnBadCard(line, VCardFault::TextOutsideCard);
    }
    if (frame == Frame::End ||
        (parsed && scratch->name == "END"sv && vcard::SameWord(Trim(raw), "VCARD"))) {
        m_bInCard = false;
        // What follows is counted from the line after this one, which may be read already.
        m_nCardBytes = m_nLineBytes;
        if (m_bCardBroken)
            return sink.OnBadCard(m_card.line, m_cardFault);
        // The slots this card did not use wait for a longer card.
        while (m_card.properties.size() > m_nProperties) {
            m_spareProperties.push_back(std::move(m_card.properties.back()));
            m_card.properties.pop_back();
        }
        m_nProperties = 0;
        return sink.OnCard(m_card);
    }
    if (m_bCardBroken)
        return true;
    if (frame == Frame::Version) {
        m_card.version.assign(Trim(text.substr(kVersionPrefix.size())));
        return true;
    }
    VCardProperty& p = *scratch;
    if (!parsed) {
        if (m_nProperties > 0 && m_card.properties[m_nProperties - 1].binary) {
            // Some 2.1 writers break base64 without indenting it.
            VCardProperty& last = m_card.properties[m_nProperties - 1];
            if (m_rawValues == RawValues::Keep)
                last.rawValue.append(text);
            std::string piece;
            AssignText(piece, text);
            last.value.append(piece);
            return true;
        }
        // A line that is no property: kept as text so that nothing of it is lost.
        p.group.clear();
        p.name.clear();
        SpareParams(p.params, 0, m_spareParams);
        if (m_rawValues == RawValues::Keep)
            p.rawValue.assign(text);
        else
            p.rawValue.clear();
        p.value = vcard::EscapeText(kb::DecodeToUtf8(text));
        LimitValue(p.value);
        p.line = line;
        ++m_nProperties;
        return true;
    }
    if (p.name == "VERSION"sv) {
        m_card.version.assign(Trim(raw));
        return true;
    }
    p.line = line;
    if (m_rawValues == RawValues::Keep)
        SetBytes(p.rawValue, raw);
    else
        p.rawValue.clear();
    const ValueForm form = p.params.empty() ? ValueForm{} : FormOf(p);
    p.binary = form.binary || IsBinaryData(p, raw);
    if (p.binary) {
        // Base64 is ASCII; stray bytes in a damaged value must not reach a record as
        // anything but UTF-8, or what is written back would not read the same.
        AssignText(p.value, raw, ascii);
        ++m_nProperties;
        return true;
    }
    std::string_view bytes = raw;
    if (form.quotedPrintable) {
        if (!DecodeQuotedPrintable(raw, m_decoded)) {
            m_bCardBroken = true;
            m_cardFault = VCardFault::BadQuotedPrintable;
            return true;
        }
        bytes = m_decoded;
    }
    const bool v21 = m_card.version == "2.1"sv || m_card.version.empty();
    if (!form.charset && m_defaultCharset.empty() &&
        ((ascii && !form.quotedPrintable) || kb::IsValidUtf8(bytes))) {
        // The common case: UTF-8 already. Only a quoted-printable value can hold a line
        // break: unfolding took every other one out.
        if (v21)
            p.value = To30Form(bytes, p.name == "CATEGORIES"sv || p.name == "NICKNAME"sv);
        else if (form.quotedPrintable && HasLineBreak(bytes))
            p.value = EscapeLineBreaks(bytes); // quoted-printable line breaks in a 3.0 card
        else
            SetBytes(p.value, bytes);
        LimitValue(p.value);
        ++m_nProperties;
        return true;
    }
    std::string text8 = DecodeCharset(bytes,
                                      form.charset               ? form.charset
                                      : m_defaultCharset.empty() ? nullptr
                                                                 : &m_defaultCharset,
                                      line, m_charsetNotes);
    if (v21)
        p.value = To30Form(text8, p.name == "CATEGORIES"sv || p.name == "NICKNAME"sv);
    else if (HasLineBreak(text8))
        p.value = EscapeLineBreaks(text8); // quoted-printable line breaks in a 3.0 card
    else
        p.value = std::move(text8);
    LimitValue(p.value);
    ++m_nProperties;
    return true;
}

namespace {

class CollectingSink final : public IVCardSink {
public:
    explicit CollectingSink(std::vector<std::pair<int, VCardFault>>* faults) : m_faults(faults) {}
    bool OnCard(VCard& card) override {
        cards.push_back(std::move(card));
        return true;
    }
    bool OnBadCard(int line, VCardFault fault) override {
        if (m_faults)
            m_faults->emplace_back(line, fault);
        return true;
    }
    std::vector<VCard> cards;

private:
    std::vector<std::pair<int, VCardFault>>* m_faults;
};

} // namespace

std::vector<VCard> ParseVCards(std::string_view text,
                               std::vector<std::pair<int, VCardFault>>* faults) {
    CollectingSink sink(faults);
    CVCardReader reader;
    reader.Feed(text.data(), text.size(), sink);
    reader.Finish(sink);
    return std::move(sink.cards);
}
