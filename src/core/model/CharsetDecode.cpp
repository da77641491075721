#include "model/CharsetDecode.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <array>
#include <cerrno>
#include <iconv.h>

namespace kb {

namespace {

constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kListedLines = 10;
constexpr std::size_t kMaxNotes = 20;
constexpr std::size_t kMaxCarry = 16; // no character of any charset is longer
const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    for (char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':' ||
                        c == '+' || c == '(' || c == ')';
        if (!ok)
            return false;
    }
    return true;
}

std::string UpperName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The names read without iconv. Latin-1 is read as Windows-1252, as files that say
// ISO-8859-1 nearly always mean it (the two agree on every letter).
CharsetRoute FastRoute(std::string_view upper) {
    struct Name {
        std::string_view name;
        CharsetRoute route;
    };
    static constexpr Name kNames[] = {
        {"UTF-8", CharsetRoute::Utf8},          {"UTF8", CharsetRoute::Utf8},
        {"US-ASCII", CharsetRoute::Utf8},       {"ASCII", CharsetRoute::Utf8},
        {"WINDOWS-1252", CharsetRoute::Cp1252}, {"CP1252", CharsetRoute::Cp1252},
        {"ISO-8859-1", CharsetRoute::Cp1252},   {"ISO8859-1", CharsetRoute::Cp1252},
        {"LATIN1", CharsetRoute::Cp1252},       {"UTF-16LE", CharsetRoute::Utf16LE},
        {"UTF-16BE", CharsetRoute::Utf16BE},    {"UTF-16", CharsetRoute::Utf16},
    };
    for (const Name& n : kNames) {
        if (n.name == upper)
            return n.route;
    }
    return CharsetRoute::Unknown;
}

// Opening a converter costs far more than decoding a short value, and a file's values
// name the same few charsets over and over: each thread keeps the last few handles, and
// the names iconv does not know.
class HandleCache {
public:
    ~HandleCache() {
        for (Entry& e : m_entries) {
            if (e.handle != kNoHandle)
                iconv_close(e.handle);
        }
    }
    // The converter to UTF-8 for an upper-case plain name, in its initial state;
    // kNoHandle when iconv does not know the name.
    iconv_t Get(const std::string& upper) {
        for (std::size_t i = 0; i < m_nUsed; ++i) {
            if (m_entries[i].name == upper) {
                if (m_entries[i].handle != kNoHandle)
                    iconv(m_entries[i].handle, nullptr, nullptr, nullptr, nullptr);
                return m_entries[i].handle;
            }
        }
        Entry* slot = nullptr;
        if (m_nUsed < m_entries.size()) {
            slot = &m_entries[m_nUsed++];
        } else {
            slot = &m_entries[m_nNext];
            m_nNext = (m_nNext + 1) % m_entries.size();
            if (slot->handle != kNoHandle)
                iconv_close(slot->handle);
        }
        slot->name = upper;
        slot->handle = iconv_open("UTF-8", upper.c_str());
        return slot->handle;
    }

private:
    struct Entry {
        std::string name;
        iconv_t handle = kNoHandle;
    };
    std::array<Entry, 8> m_entries;
    std::size_t m_nUsed = 0;
    std::size_t m_nNext = 0; // the slot to reuse next once all are taken
};

thread_local HandleCache t_handles;

// Makes out from position from valid UTF-8: some converters hand on what they were given
// (a UTF-8 or UCS-4 sequence beyond U+10FFFF) and the rest of the program relies on valid
// text. Each byte that begins no valid sequence becomes U+FFFD; returns how many did.
std::size_t KeepValidUtf8(std::string& out, std::size_t from) {
    if (IsValidUtf8(std::string_view(out).substr(from)))
        return 0;
    const std::string bad = out.substr(from);
    out.resize(from);
    std::size_t replaced = 0;
    for (std::size_t i = 0; i < bad.size();) {
        const auto c = static_cast<unsigned char>(bad[i]);
        const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (i + len <= bad.size() && IsValidUtf8(std::string_view(bad).substr(i, len))) {
            out.append(bad, i, len);
            i += len;
        } else {
            AppendUtf8(out, 0xFFFD);
            ++replaced;
            ++i;
        }
    }
    return replaced;
}

// Converts bytes with a converter to UTF-8 and appends them to out. A sequence that is not
// text in the charset becomes U+FFFD and is counted; one cut off by the end is left in rest
// when rest is given (more bytes are to come), else it too becomes U+FFFD.
std::size_t Convert(iconv_t handle, std::string_view bytes, std::string& out, std::string* rest) {
    const std::size_t start = out.size();
    std::size_t invalid = 0;
    char* src = const_cast<char*>(bytes.data()); // iconv's signature; it never writes there
    std::size_t srcLeft = bytes.size();
    while (srcLeft > 0) {
        const std::size_t at = out.size();
        const std::size_t room = srcLeft * 3 + 16;
        out.resize(at + room);
        char* dst = out.data() + at;
        std::size_t dstLeft = room;
        const char* const before = src;
        const std::size_t r = iconv(handle, &src, &srcLeft, &dst, &dstLeft);
        const int error = errno;
        out.resize(at + room - dstLeft);
        if (r != static_cast<std::size_t>(-1))
            break;
        if (error == E2BIG && (src != before || dstLeft != room))
            continue;
        if (error == EINVAL && rest && srcLeft <= kMaxCarry) {
            rest->assign(src, srcLeft);
            return invalid + KeepValidUtf8(out, start);
        }
        // Not text (or cut off at the very end): one byte is passed over, and the rest
        // read again from the next.
        AppendUtf8(out, 0xFFFD);
        ++invalid;
        ++src;
        --srcLeft;
    }
    if (!rest) {
        // A charset that shifts between modes may owe a last character.
        std::array<char, 32> tail;
        char* dst = tail.data();
        std::size_t dstLeft = tail.size();
        if (iconv(handle, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1))
            out.append(tail.data(), tail.size() - dstLeft);
    }
    return invalid + KeepValidUtf8(out, start);
}

} // namespace

CharsetRoute RouteOfCharset(std::string_view name) {
    if (!IsPlainName(name))
        return CharsetRoute::Unknown;
    const std::string upper = UpperName(name);
    if (const CharsetRoute fast = FastRoute(upper); fast != CharsetRoute::Unknown)
        return fast;
    return t_handles.Get(upper) != kNoHandle ? CharsetRoute::Iconv : CharsetRoute::Unknown;
}

CharsetDecodeResult AppendDecoded(std::string_view bytes, std::string_view charset,
                                  std::string& out) {
    CharsetDecodeResult result;
    const std::string upper = IsPlainName(charset) ? UpperName(charset) : std::string();
    switch (upper.empty() ? CharsetRoute::Unknown : FastRoute(upper)) {
    case CharsetRoute::Utf8:
        if (IsValidUtf8(bytes))
            out.append(bytes);
        else
            out += Cp1252ToUtf8(bytes);
        return result;
    case CharsetRoute::Cp1252:
        out += Cp1252ToUtf8(bytes);
        return result;
    default:
        break;
    }
    const iconv_t handle = upper.empty() ? kNoHandle : t_handles.Get(upper);
    if (handle == kNoHandle) {
        result.known = false;
        out += DecodeToUtf8(bytes);
        return result;
    }
    result.invalid = Convert(handle, bytes, out, nullptr);
    return result;
}

CIconvDecoder::CIconvDecoder(std::string_view charset) {
    if (!IsPlainName(charset))
        return;
    const iconv_t handle = iconv_open("UTF-8", UpperName(charset).c_str());
    if (handle != kNoHandle)
        m_handle = handle;
}

CIconvDecoder::~CIconvDecoder() {
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

void CIconvDecoder::Decode(const char* data, std::size_t size, std::string& out) {
    if (!m_handle) {
        out += Cp1252ToUtf8(std::string_view(data, size));
        return;
    }
    std::string joined;
    std::string_view bytes(data, size);
    if (!m_carry.empty()) {
        joined = std::move(m_carry);
        joined.append(data, size);
        bytes = joined;
    }
    m_carry.clear();
    m_nInvalid += Convert(static_cast<iconv_t>(m_handle), bytes, out, &m_carry);
}

void CIconvDecoder::Finish(std::string& out) {
    if (!m_handle)
        return;
    const std::string rest = std::move(m_carry);
    m_carry.clear();
    m_nInvalid += Convert(static_cast<iconv_t>(m_handle), rest, out, nullptr);
}

void AddCharsetNote(std::vector<CharsetNote>& notes, std::string_view charset, bool unknown,
                    int line) {
    // The name goes into a message: text, and not too long, whatever the file held.
    const std::string shown = DecodeToUtf8(charset.substr(0, kMaxNameLength));
    CharsetNote* note = nullptr;
    for (CharsetNote& n : notes) {
        if (!n.others && n.unknown == unknown && EqualsNoCase(n.charset, shown)) {
            note = &n;
            break;
        }
    }
    if (!note) {
        // A file naming ever more charsets is told in one last note for all the rest.
        if (notes.size() < kMaxNotes)
            notes.push_back({shown, unknown, 0, {}, false});
        else if (!notes.back().others)
            notes.push_back({{}, false, 0, {}, true});
        note = &notes.back();
    }
    ++note->values;
    if (note->lines.size() < kListedLines)
        note->lines.push_back(line);
}

} // namespace kb
