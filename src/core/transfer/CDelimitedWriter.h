#pragma once
#include <span>
#include <string_view>
#include <vector>

class IByteSink;
class CContactRecord;
class CCategoryList;

// The two written variants, by the code the export works with.
enum class ExportVariant : int {
    Tab = 1,        // TAB separated, non-empty values quoted, empty ones written as nothing
    CommaQuote = 2, // comma separated, every value quoted
};

// Writes record lines to a sink. Bytes are gathered in a buffer of its own and handed to
// the sink in large pieces; values are copied straight from the record into it.
// Write failures of the sink (CFileException) pass through to the caller.
class CDelimitedWriter {
public:
    explicit CDelimitedWriter(IByteSink& sink);
    CDelimitedWriter(const CDelimitedWriter&) = delete;
    CDelimitedWriter& operator=(const CDelimitedWriter&) = delete;

    // One record's values in column order, with their quotes and separators; no line end.
    // A column of -1 names no field and is written as an empty value.
    void WriteRecord(const CContactRecord& record, std::span<const int> fields,
                     ExportVariant variant, const CCategoryList& categories);
    void WriteLineEnd() { Put("\r\n"); }
    // Hands everything gathered so far to the sink.
    void Flush();

    // The quoting of one value: in quotes, a quote inside doubled (so every value reads
    // back unchanged); empty under the tab variant is nothing at all.
    void WriteValue(std::string_view value, ExportVariant variant);

private:
    void Put(std::string_view bytes);
    void PutChar(char c) {
        if (m_buffer.size() == m_buffer.capacity())
            Flush();
        m_buffer.push_back(c);
    }

    IByteSink& m_sink;
    std::vector<char> m_buffer;
};
