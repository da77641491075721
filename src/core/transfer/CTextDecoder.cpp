#include "transfer/CTextDecoder.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kRawChunk = 8192;

// How many bytes of a UTF-8 sequence a lead byte announces (0: not a lead byte).
std::size_t Utf8Length(unsigned char c) {
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 0;
}

// Where the last complete UTF-8 sequence of s ends: a sequence cut off by the end of a
// chunk is left for the next one.
std::size_t CompleteUtf8Prefix(std::string_view s) {
    const std::size_t n = s.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(s[n - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const std::size_t len = Utf8Length(c);
        return len > back ? n - back : n;
    }
    return n;
}

} // namespace

std::string_view EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Auto:
        return "Detect";
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf16LE:
        return "UTF-16 LE";
    case TextEncoding::Utf16BE:
        return "UTF-16 BE";
    case TextEncoding::Cp1252:
        return "Western (Windows-1252)";
    case TextEncoding::Named:
        return "Other";
    }
    return "UTF-8";
}

std::string EncodingName(TextEncoding encoding, std::string_view charset) {
    if (encoding != TextEncoding::Named)
        return std::string(EncodingName(encoding));
    for (const CommonCharset& c : CommonCharsets()) {
        if (kb::EqualsNoCase(c.name, charset))
            return std::string(c.label);
    }
    return std::string(charset);
}

std::span<const CommonCharset> CommonCharsets() {
    static constexpr CommonCharset kCharsets[] = {
        {"ISO-8859-15", "Western (ISO-8859-15)"},
        {"ISO-8859-2", "Central European (ISO-8859-2)"},
        {"WINDOWS-1250", "Central European (Windows-1250)"},
        {"WINDOWS-1251", "Cyrillic (Windows-1251)"},
        {"KOI8-R", "Cyrillic (KOI8-R)"},
        {"ISO-8859-7", "Greek (ISO-8859-7)"},
        {"WINDOWS-1254", "Turkish (Windows-1254)"},
        {"SHIFT_JIS", "Japanese (Shift_JIS)"},
        {"GB18030", "Chinese Simplified (GB18030)"},
        {"BIG5", "Chinese Traditional (Big5)"},
        {"EUC-KR", "Korean (EUC-KR)"},
    };
    return kCharsets;
}

std::string UnknownCharsetMessage(std::string_view name) {
    return "\"" + std::string(name) +
           "\" is not an encoding this system knows.  Choose one from the list, or type the "
           "name of a charset such as ISO-8859-2, KOI8-R or Shift_JIS.";
}

TextEncoding EncodingOfCharset(std::string_view name) {
    switch (kb::RouteOfCharset(name)) {
    case kb::CharsetRoute::Utf8:
        return TextEncoding::Utf8;
    case kb::CharsetRoute::Cp1252:
        return TextEncoding::Cp1252;
    case kb::CharsetRoute::Utf16LE:
        return TextEncoding::Utf16LE;
    case kb::CharsetRoute::Utf16BE:
    case kb::CharsetRoute::Utf16: // a leading mark still decides (see DetectFormat)
        return TextEncoding::Utf16BE;
    case kb::CharsetRoute::Iconv:
        return TextEncoding::Named;
    case kb::CharsetRoute::Unknown:
        break;
    }
    return TextEncoding::Auto;
}

ByteOrderMark DetectByteOrderMark(std::string_view head) {
    auto starts = [&](std::string_view mark) { return head.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (starts("\xFF\xFE"))
        return {TextEncoding::Utf16LE, 2};
    if (starts("\xFE\xFF"))
        return {TextEncoding::Utf16BE, 2};
    return {};
}

CTextDecoder::CTextDecoder(TextEncoding encoding, std::string_view charset)
    : m_encoding(encoding == TextEncoding::Auto ? TextEncoding::Utf8 : encoding) {
    if (m_encoding == TextEncoding::Named) {
        // The charset brings its own idea of a byte-order mark.
        m_named = std::make_unique<kb::CIconvDecoder>(charset);
        m_bStart = false;
    }
}

void CTextDecoder::Decode(const char* data, std::size_t size, std::string& out) {
    if (m_bStart) {
        // The mark may arrive split over chunks: gather enough bytes to tell.
        m_carry.append(data, size);
        const std::size_t need = m_encoding == TextEncoding::Utf8 ? 3 : 2;
        if (m_carry.size() < need)
            return;
        m_bStart = false;
        std::string head;
        head.swap(m_carry);
        const ByteOrderMark bom = DetectByteOrderMark(head);
        const std::size_t skip = bom.encoding == m_encoding ? bom.size : 0;
        Decode(head.data() + skip, head.size() - skip, out);
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    switch (m_encoding) {
    case TextEncoding::Cp1252:
        for (; p < end; ++p)
            kb::AppendUtf8(out, kb::Cp1252ToUnicode(*p));
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        DecodeUtf16(p, end, out);
        break;
    case TextEncoding::Named:
        m_named->Decode(data, size, out);
        break;
    default:
        DecodeUtf8(p, end, out);
        break;
    }
}

void CTextDecoder::DecodeUtf8(const unsigned char* p, const unsigned char* end, std::string& out) {
    std::string_view chunk;
    std::string joined;
    if (!m_carry.empty()) {
        joined = std::move(m_carry);
        m_carry.clear();
        joined.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
        chunk = joined;
    } else {
        chunk =
            std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
    }
    const std::size_t whole = CompleteUtf8Prefix(chunk);
    std::string_view done = chunk.substr(0, whole);
    if (kb::IsValidUtf8(done)) {
        out.append(done);
    } else {
        // Replace what is broken, keep everything else.
        std::size_t i = 0;
        while (i < done.size()) {
            const auto c = static_cast<unsigned char>(done[i]);
            const std::size_t len = Utf8Length(c);
            if (len > 0 && i + len <= done.size() && kb::IsValidUtf8(done.substr(i, len))) {
                out.append(done.substr(i, len));
                i += len;
            } else {
                kb::AppendUtf8(out, 0xFFFD);
                ++m_nReplaced;
                ++i;
            }
        }
    }
    m_carry.assign(chunk.substr(whole));
}

void CTextDecoder::DecodeUtf16(const unsigned char* p, const unsigned char* end, std::string& out) {
    const bool little = m_encoding == TextEncoding::Utf16LE;
    auto unit = [little](unsigned char a, unsigned char b) -> char32_t {
        return little ? static_cast<char32_t>(a | (b << 8)) : static_cast<char32_t>((a << 8) | b);
    };
    auto put = [&](char32_t u) {
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (m_highSurrogate)
                Replace(out);
            m_highSurrogate = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (m_highSurrogate) {
                kb::AppendUtf8(out, 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (u - 0xDC00));
                m_highSurrogate = 0;
            } else {
                Replace(out);
            }
            return;
        }
        if (m_highSurrogate) {
            Replace(out);
            m_highSurrogate = 0;
        }
        kb::AppendUtf8(out, u);
    };
    if (!m_carry.empty() && p < end) {
        put(unit(static_cast<unsigned char>(m_carry[0]), *p++));
        m_carry.clear();
    }
    for (; end - p >= 2; p += 2)
        put(unit(p[0], p[1]));
    if (p < end)
        m_carry.assign(1, static_cast<char>(*p));
}

void CTextDecoder::Replace(std::string& out) {
    kb::AppendUtf8(out, 0xFFFD);
    ++m_nReplaced;
}

void CTextDecoder::Finish(std::string& out) {
    if (m_named) {
        m_named->Finish(out);
        return;
    }
    if (m_bStart) {
        m_bStart = false;
        std::string head;
        head.swap(m_carry);
        const ByteOrderMark bom = DetectByteOrderMark(head);
        const std::size_t skip = bom.encoding == m_encoding ? bom.size : 0;
        Decode(head.data() + skip, head.size() - skip, out);
    }
    if (!m_carry.empty() || m_highSurrogate)
        Replace(out);
    m_carry.clear();
    m_highSurrogate = 0;
}

void CUtf8Check::Feed(const char* data, std::size_t size) {
    if (!m_bValid)
        return;
    m_carry.append(data, size);
    const std::size_t whole = CompleteUtf8Prefix(m_carry);
    if (!kb::IsValidUtf8(std::string_view(m_carry).substr(0, whole)))
        m_bValid = false;
    m_carry.erase(0, whole);
}

bool CUtf8Check::Finish() {
    return m_bValid && m_carry.empty();
}

std::size_t CTextDecoder::DecodeInPlace(const char* data, std::size_t size) {
    if (m_encoding != TextEncoding::Utf8 || m_bStart || !m_carry.empty())
        return kNotInPlace;
    const std::string_view chunk(data, size);
    const std::size_t whole = CompleteUtf8Prefix(chunk);
    if (whole == 0 || !kb::IsValidUtf8(chunk.substr(0, whole)))
        return kNotInPlace;
    m_carry.assign(chunk.substr(whole));
    return whole;
}

CDecodingSource::CDecodingSource(IByteSource& raw, TextEncoding encoding, std::string_view charset)
    : m_raw(raw), m_decoder(encoding, charset) {}

std::size_t CDecodingSource::Read(char* buffer, std::size_t size) {
    if (size == 0)
        return 0;
    while (m_pos == m_out.size() && !m_bEnd) {
        m_out.clear();
        m_pos = 0;
        // Read into the caller's buffer: text that needs no change is handed on there.
        const std::size_t n = m_raw.Read(buffer, std::min(size, kRawChunk));
        if (n == 0) {
            m_decoder.Finish(m_out);
            m_bEnd = true;
        } else if (const std::size_t ready = m_decoder.DecodeInPlace(buffer, n);
                   ready != CTextDecoder::kNotInPlace) {
            return ready;
        } else {
            m_decoder.Decode(buffer, n, m_out);
        }
    }
    const std::size_t k = std::min(size, m_out.size() - m_pos);
    std::memcpy(buffer, m_out.data() + m_pos, k);
    m_pos += k;
    return k;
}
