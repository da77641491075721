#include "transfer/CDelimitedReader.h"
#include "port/IFileSystem.h"
#include "transfer/CTextDecoder.h"
#include "transfer/FileFormat.h"
#include <cstdint>

namespace {

class Gatherer final : public ITokenConsumer {
public:
    Gatherer(const CDelimitedReader::RecordFn& onRecord, const CDelimitedTokenizer& tokenizer,
             bool skipFirst)
        : m_onRecord(onRecord), m_tokenizer(tokenizer), m_bSkipFirst(skipFirst) {}

    // The chunk the tokenizer is given next: its values may be kept as views into it
    // until Spill.
    void Chunk(const char* data, std::size_t size) {
        m_pChunk = data;
        m_nChunk = size;
    }
    // The chunk is about to be read over: the values of a record begun in it are copied.
    void Spill() {
        for (std::size_t i = 0; i < m_nCount; ++i) {
            Value& v = m_values[i];
            if (v.data != nullptr) {
                v.offset = m_bytes.size();
                m_bytes.append(v.data, v.size);
                v.data = nullptr;
            }
        }
        m_pChunk = nullptr;
        m_nChunk = 0;
    }

    bool OnField(std::string_view value, int index) override {
        // A value that lies in the chunk (most do) is kept as a view of it; any other is
        // copied into one string, whose storage is reused from record to record.
        const auto i = static_cast<std::size_t>(index);
        if (i >= m_values.size())
            m_values.resize(i + 1);
        Value& v = m_values[i];
        v.size = value.size();
        if (reinterpret_cast<std::uintptr_t>(value.data()) -
                reinterpret_cast<std::uintptr_t>(m_pChunk) <
            m_nChunk) {
            v.data = value.data();
        } else {
            v.data = nullptr;
            v.offset = m_bytes.size();
            m_bytes.append(value);
        }
        m_nCount = i + 1;
        m_bBlank = m_bBlank && value.empty();
        return true;
    }

    bool OnRecordEnd() override {
        const long long line = m_nLine;
        m_nLine = m_tokenizer.Line();
        const std::size_t n = m_nCount;
        const bool blank = m_bBlank;
        m_nCount = 0;
        m_bBlank = true;
        if (static_cast<int>(n) > widest)
            widest = static_cast<int>(n);
        if (blank || m_bSkipFirst) {
            m_bSkipFirst = m_bSkipFirst && blank;
            m_bytes.clear();
            return true;
        }
        if (m_views.size() < n)
            m_views.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Value& v = m_values[i];
            m_views[i] =
                std::string_view(v.data != nullptr ? v.data : m_bytes.data() + v.offset, v.size);
        }
        const bool go = m_onRecord(std::span<const std::string_view>(m_views.data(), n), line);
        m_bytes.clear();
        return go;
    }

    int widest = 0;

private:
    const CDelimitedReader::RecordFn& m_onRecord;
    const CDelimitedTokenizer& m_tokenizer;
    bool m_bSkipFirst;
    bool m_bBlank = true;
    std::size_t m_nCount = 0;
    long long m_nLine = 1;
    struct Value {
        const char* data; // in the chunk, or null: in m_bytes at offset
        std::size_t offset;
        std::size_t size;
    };
    const char* m_pChunk = nullptr;
    std::size_t m_nChunk = 0;
    std::string m_bytes; // the values of the record that are not in the chunk
    std::vector<Value> m_values;
    std::vector<std::string_view> m_views;
};

} // namespace

CDelimitedReader::CDelimitedReader(const DetectedFormat& format) : m_format(format) {}

TokenizeResult CDelimitedReader::Run(IByteSource& raw, const RecordFn& onRecord,
                                     std::vector<char>& buffer) {
    CDecodingSource source(raw, m_format.encoding, m_format.charset);
    CDelimitedTokenizer tokenizer(m_format.separator);
    Gatherer gatherer(onRecord, tokenizer, m_format.hasHeader);
    if (buffer.size() < CDelimitedTokenizer::kChunkSize)
        buffer.resize(CDelimitedTokenizer::kChunkSize);
    TokenizeResult r = TokenizeResult::Continue;
    while (r == TokenizeResult::Continue) {
        const std::size_t n = source.Read(buffer.data(), CDelimitedTokenizer::kChunkSize);
        if (n == 0) {
            r = tokenizer.Finish(gatherer);
        } else {
            gatherer.Chunk(buffer.data(), n);
            r = tokenizer.Feed(buffer.data(), n, gatherer);
            gatherer.Spill();
        }
    }
    m_nWidest = gatherer.widest;
    m_nShortened = static_cast<int>(tokenizer.ShortenedValues());
    m_nReplaced = static_cast<long long>(source.Replaced());
    if (r == TokenizeResult::Incompatible) {
        m_nErrorLine = tokenizer.Line();
        m_errorText = tokenizer.ErrorText();
    } else if (r == TokenizeResult::TooLong) {
        m_nErrorLine = tokenizer.RecordLine();
    }
    return r;
}
