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
        // The strings are kept from record to record so their storage is reused.
        const auto i = static_cast<std::size_t>(index);
        if (i >= m_store.size())
            m_store.resize(i + 1);
        m_store[i].assign(value);
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
        if (blank)
            return true;
        if (m_bSkipFirst) {
            m_bSkipFirst = false;
            return true;
        }
        // A record as wide as the one before (the usual case) is handed over as it is.
        if (m_store.size() != n)
            m_store.resize(n);
        return m_onRecord(m_store, line);
    }

    int widest = 0;

private:
    const CDelimitedReader::RecordFn& m_onRecord;
    const CDelimitedTokenizer& m_tokenizer;
    bool m_bSkipFirst;
    bool m_bBlank = true;
    std::size_t m_nCount = 0;
    long long m_nLine = 1;
    std::vector<std::string> m_store;
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
