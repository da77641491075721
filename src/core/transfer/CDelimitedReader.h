#pragma once
#include "transfer/CDelimitedTokenizer.h"
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class IByteSource;
struct DetectedFormat;

// The one loop that reads a delimited file: decodes it to UTF-8, splits it into records
// and hands each record's values to a callback. Blank lines (every value empty) are
// skipped, and so is the first record when the format says it holds column names. Used by
// the counting scan, the preview and the import alike.
class CDelimitedReader {
public:
    // fields: the record's values, in column order, valid only during the call; line:
    // where the record began (1-based). Returning false stops the pass.
    using RecordFn = std::function<bool(std::span<const std::string_view> fields, long long line)>;

    explicit CDelimitedReader(const DetectedFormat& format);

    // One whole pass over the source, read in chunks of at most 8192 bytes into buffer.
    // CFileException from the source passes through.
    TokenizeResult Run(IByteSource& source, const RecordFn& onRecord, std::vector<char>& buffer);

    // After Incompatible: the line of the offending byte and the text around it; after
    // TooLong: the line the long record begins on.
    long long ErrorLine() const { return m_nErrorLine; }
    const std::string& ErrorText() const { return m_errorText; }
    // The widest record seen (blank lines and the header row included).
    int WidestRecord() const { return m_nWidest; }
    // Values cut to transfer::kMaxValueBytes.
    int ShortenedValues() const { return m_nShortened; }
    // Bytes that were not text in the file's encoding, read as U+FFFD.
    long long ReplacedBytes() const { return m_nReplaced; }

private:
    const DetectedFormat& m_format;
    long long m_nErrorLine = 0;
    std::string m_errorText;
    int m_nWidest = 0;
    int m_nShortened = 0;
    long long m_nReplaced = 0;
};
