#include "transfer/CDelimitedReader.h"
#include "port/IFileSystem.h"
#include "transfer/CTextDecoder.h"
#include "transfer/FileFormat.h"

namespace {

class Gatherer final : public ITokenConsumer {
public:
    Gatherer(const CDelimitedReader::RecordFn& onRecord, const CDelimitedTokenizer& tokenizer,
             bool skipFirst)
        : m_onRecord(onRecord), m_tokenizer(tokenizer), m_bSkipFirst(skipFirst) {}

    bool OnField(std::string_view value, int index) override {
        // A record's values are kept back to back in one string, whose storage is reused
        // from record to record; the views are made once the record is whole.
        const auto i = static_cast<std::size_t>(index);
        if (i >= m_bounds.size())
            m_bounds.resize(i + 1);
        m_bounds[i] = {m_bytes.size(), value.size()};
        m_bytes.append(value);
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
        for (std::size_t i = 0; i < n; ++i)
            m_views[i] = std::string_view(m_bytes.data() + m_bounds[i].first, m_bounds[i].second);
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
    std::string m_bytes;                                   // the values of the record
    std::vector<std::pair<std::size_t, std::size_t>> m_bounds; // where each lies in m_bytes
    std::vector<std::string_view> m_views;
};

} // namespace

CDelimitedReader::CDelimitedReader(const DetectedFormat& format) : m_format(format) {}

TokenizeResult CDelimitedReader::Run(IByteSource& raw, const RecordFn& onRecord,
                                     std::vector<char>& buffer) {
    CDecodingSource source(raw, m_format.encoding);
    CDelimitedTokenizer tokenizer(m_format.separator);
    Gatherer gatherer(onRecord, tokenizer, m_format.hasHeader);
    if (buffer.size() < CDelimitedTokenizer::kChunkSize)
        buffer.resize(CDelimitedTokenizer::kChunkSize);
    TokenizeResult r = TokenizeResult::Continue;
    while (r == TokenizeResult::Continue) {
        const std::size_t n = source.Read(buffer.data(), CDelimitedTokenizer::kChunkSize);
        r = n == 0 ? tokenizer.Finish(gatherer) : tokenizer.Feed(buffer.data(), n, gatherer);
    }
    m_nWidest = gatherer.widest;
    if (r == TokenizeResult::Incompatible) {
        m_nErrorLine = tokenizer.Line();
        m_errorText = tokenizer.ErrorText();
    }
    return r;
}
