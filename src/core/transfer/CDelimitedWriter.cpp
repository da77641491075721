#include "transfer/CDelimitedWriter.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

CDelimitedWriter::CDelimitedWriter(IByteSink& sink) : m_sink(sink) {
    m_buffer.resize(kBufferSize);
}

void CDelimitedWriter::Flush() {
    if (m_nUsed == 0)
        return;
    // After a failed write nothing of the buffer may be written again.
    const std::size_t used = m_nUsed;
    m_nUsed = 0;
    m_sink.Write(m_buffer.data(), used);
}

void CDelimitedWriter::Put(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = m_buffer.size() - m_nUsed;
        if (room == 0) {
            Flush();
            continue;
        }
        const std::size_t n = bytes.size() < room ? bytes.size() : room;
        std::memcpy(m_buffer.data() + m_nUsed, bytes.data(), n);
        m_nUsed += n;
        bytes.remove_prefix(n);
    }
}

void CDelimitedWriter::WriteStart() {
    if (m_encoding == ExportEncoding::Utf8Bom)
        Put("\xEF\xBB\xBF");
}

std::string_view CDelimitedWriter::Encoded(std::string_view value) {
    if (m_encoding != ExportEncoding::Cp1252) {
        if (kb::IsValidUtf8(value)) // ASCII too
            return value;
        m_converted = kb::DecodeToUtf8(value);
        return m_converted;
    }
    const bool ascii = std::all_of(value.begin(), value.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return value;
    const std::string utf8 = kb::DecodeToUtf8(value);
    m_converted.clear();
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : c & (0x3F >> (len - 1));
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        const int b = kb::UnicodeToCp1252(cp);
        if (b < 0) {
            m_converted += '?';
            ++m_nReplaced;
        } else {
            m_converted += static_cast<char>(b);
        }
        i += len;
    }
    return m_converted;
}

void CDelimitedWriter::WriteHeader(std::span<const int> columns, ExportVariant variant) {
    const char separator = variant == ExportVariant::Tab         ? '\t'
                           : variant == ExportVariant::Semicolon ? ';'
                                                                 : ',';
    for (std::size_t j = 0; j < columns.size(); ++j) {
        if (j > 0)
            PutChar(separator);
        WriteValue(transfer::ExportColumnName(columns[j]), variant);
    }
}

namespace {

// True when every byte is ASCII and none is a quote: such a value is written as it is,
// whatever the encoding.
bool PlainAscii(std::string_view value) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= value.size(); i += 8) {
        std::memcpy(&word, value.data() + i, 8);
        const std::uint64_t quotes = word ^ (kOnes * '"'); // a zero byte where a quote was
        if (((word | ((quotes - kOnes) & ~quotes)) & kHigh) != 0)
            return false;
    }
    for (; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c >= 0x80 || c == '"')
            return false;
    }
    return true;
}

} // namespace

void CDelimitedWriter::WriteValue(std::string_view value, ExportVariant variant) {
    if (value.empty() && variant == ExportVariant::Tab)
        return;
    if (m_buffer.size() - m_nUsed >= value.size() + 2 && PlainAscii(value)) {
        // The usual value: copied once, between its quotes.
        char* out = m_buffer.data() + m_nUsed;
        *out++ = '"';
        if (!value.empty())
            std::memcpy(out, value.data(), value.size());
        out[value.size()] = '"';
        m_nUsed += value.size() + 2;
        return;
    }
    value = Encoded(value);
    PutChar('"');
    for (;;) {
        const void* q = std::memchr(value.data(), '"', value.size());
        if (!q) {
            Put(value);
            break;
        }
        const std::size_t n =
            static_cast<std::size_t>(static_cast<const char*>(q) - value.data()) + 1;
        Put(value.substr(0, n));
        PutChar('"');
        value.remove_prefix(n);
    }
    PutChar('"');
}

void CDelimitedWriter::WriteRecord(const CContactRecord& record, std::span<const int> columns,
                                   ExportVariant variant, const CCategoryList& categories) {
    const char separator = variant == ExportVariant::Tab         ? '\t'
                           : variant == ExportVariant::Semicolon ? ';'
                                                                 : ',';
    if (m_pNthFor != columns.data() || m_nth.size() != columns.size()) {
        m_pNthFor = columns.data();
        m_nth.assign(columns.size(), 0);
        for (std::size_t j = 0; j < columns.size(); ++j)
            m_nth[j] =
                static_cast<int>(std::count(columns.begin(), columns.begin() + j, columns[j]));
    }
    for (std::size_t j = 0; j < columns.size(); ++j) {
        if (j > 0)
            PutChar(separator);
        const int c = columns[j];
        // Most columns are a field named once: read it straight.
        const bool plain =
            m_nth[j] == 0 && c >= 0 && c < kFieldCount && c != static_cast<int>(Field::LastName);
        WriteValue(plain ? transfer::FieldValue(record, static_cast<Field>(c), categories)
                         : transfer::ExportValue(record, c, m_nth[j], categories, m_scratch),
                   variant);
    }
}
