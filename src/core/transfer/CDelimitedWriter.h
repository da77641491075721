#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

class IByteSink;
class CContactRecord;
class CCategoryList;

// The two written variants, by the code the export works with.
enum class ExportVariant : int {
    Tab = 1,        // TAB separated, non-empty values quoted, empty ones written as nothing
    CommaQuote = 2, // comma separated, every value quoted
    Semicolon = 3,  // semicolon separated, every value quoted (spreadsheets that use
                    // the comma for decimals)
};

// The encoding an export is written in. Stored text that is not UTF-8 (Windows-1252 from
// older files) is decoded first, so one file never mixes two encodings.
enum class ExportEncoding : int {
    Utf8 = 0,
    Utf8Bom = 1, // with a byte-order mark, so spreadsheets recognise it
    Cp1252 = 2,  // Western; a character it lacks is written as "?"
};

// Writes record lines to a sink. Bytes are gathered in a buffer of its own and handed to
// the sink in large pieces; values are copied straight from the record into it.
// Write failures of the sink (CFileException) pass through to the caller.
class CDelimitedWriter {
public:
    explicit CDelimitedWriter(IByteSink& sink);
    CDelimitedWriter(const CDelimitedWriter&) = delete;
    CDelimitedWriter& operator=(const CDelimitedWriter&) = delete;

    void SetEncoding(ExportEncoding encoding) { m_encoding = encoding; }
    // Characters written as "?" because the encoding lacks them.
    long long Replaced() const { return m_nReplaced; }
    // The byte-order mark of a UTF-8 file with one; nothing otherwise.
    void WriteStart();
    // The column names as the first line's values (quoted as values are), no line end.
    // Columns are numbered as transfer::ResolveExportColumn numbers them.
    void WriteHeader(std::span<const int> columns, ExportVariant variant);

    // One record's values in column order, with their quotes and separators; no line end.
    // A column of -1 names nothing and is written as an empty value; a column named again
    // takes the record's next value of its kind (see transfer::ExportValue).
    void WriteRecord(const CContactRecord& record, std::span<const int> columns,
                     ExportVariant variant, const CCategoryList& categories);
    void WriteLineEnd() { Put("\r\n"); }
    // Hands everything gathered so far to the sink.
    void Flush();

    // The quoting of one value: in quotes, a quote inside doubled (so every value reads
    // back unchanged); empty under the tab variant is nothing at all.
    void WriteValue(std::string_view value, ExportVariant variant);

private:
    void Put(std::string_view bytes);
    // The value in the file's encoding (valid UTF-8 under UTF-8 is used as it is).
    std::string_view Encoded(std::string_view value);
    void PutChar(char c) {
        if (m_nUsed == m_buffer.size())
            Flush();
        m_buffer[m_nUsed++] = c;
    }

    IByteSink& m_sink;
    std::vector<char> m_buffer; // its whole size is room; the first m_nUsed bytes are held
    std::size_t m_nUsed = 0;
    ExportEncoding m_encoding = ExportEncoding::Utf8;
    std::string m_converted;
    std::string m_scratch;
    // For each column of the last field list: how often the columns before named it.
    std::vector<int> m_nth;
    const int* m_pNthFor = nullptr;
    long long m_nReplaced = 0;
};
