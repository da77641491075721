#include "transfer/CDelimitedWriter.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

CDelimitedWriter::CDelimitedWriter(IByteSink& sink) : m_sink(sink) {
    m_buffer.reserve(kBufferSize);
}

void CDelimitedWriter::Flush() {
    if (m_buffer.empty())
        return;
    // After a failed write nothing of the buffer may be written again.
    try {
        m_sink.Write(m_buffer.data(), m_buffer.size());
    } catch (...) {
        m_buffer.clear();
        throw;
    }
    m_buffer.clear();
}

void CDelimitedWriter::Put(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = m_buffer.capacity() - m_buffer.size();
        if (room == 0) {
            Flush();
            continue;
        }
        const std::size_t n = bytes.size() < room ? bytes.size() : room;
        m_buffer.insert(m_buffer.end(), bytes.data(), bytes.data() + n);
        bytes.remove_prefix(n);
    }
}

void CDelimitedWriter::WriteValue(std::string_view value, ExportVariant variant) {
    if (value.empty() && variant == ExportVariant::Tab)
        return;
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

void CDelimitedWriter::WriteRecord(const CContactRecord& record, std::span<const int> fields,
                                   ExportVariant variant, const CCategoryList& categories) {
    const char separator = variant == ExportVariant::Tab ? '\t' : ',';
    for (std::size_t j = 0; j < fields.size(); ++j) {
        if (j > 0)
            PutChar(separator);
        const int f = fields[j];
        WriteValue(f < 0 ? std::string_view()
                         : transfer::FieldValue(record, static_cast<Field>(f), categories),
                   variant);
    }
}
