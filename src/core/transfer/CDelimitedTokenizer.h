#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class IByteSource;

// What a pass over a delimited file reports, in file order. Returning false stops the pass.
class ITokenConsumer {
public:
    virtual ~ITokenConsumer() = default;
    // The value of field `index` (0-based within its record); valid only during the call.
    virtual bool OnField(std::string_view value, int index) = 0;
    virtual bool OnRecordEnd() = 0;
};

enum class TokenizeResult {
    Continue,     // more input welcome
    Completed,    // end of input reached and flushed
    Stopped,      // the consumer asked to stop
    Incompatible, // a byte outside quotes that quoted reading cannot place
};

// Splits delimited text into fields and records, fed in chunks of any size: the state
// carries across chunk boundaries.
//
// The mode is decided by the first byte (after a UTF-8 byte-order mark, which is skipped):
// a double quote, TAB, comma or CR means quoted reading, where every value byte must lie
// inside quotes; any other byte means unquoted reading. In both, TAB and comma separate,
// CR outside quotes is dropped and LF outside quotes ends the record, a value that begins
// with a double quote runs to its closing quote (separators and line ends inside are
// value bytes) and a doubled quote inside it is one quote. In unquoted reading a quote
// anywhere else is an ordinary byte; in quoted reading any other byte outside quotes makes
// the file incompatible.
class CDelimitedTokenizer {
public:
    static constexpr std::size_t kChunkSize = 8192;

    TokenizeResult Feed(const char* data, std::size_t size, ITokenConsumer& consumer);
    // End of input: a last line without a line end is still a record.
    TokenizeResult Finish(ITokenConsumer& consumer);

    // Records ended so far.
    long long CompletedRecords() const { return m_nRecords; }
    // Fields of the current record reported so far (its separators so far).
    int FieldIndex() const { return m_nField; }
    // True when bytes were read since the last record end (a pending last record).
    bool HasPendingRecord() const { return m_bPending; }
    bool UnquotedMode() const { return m_bUnquotedMode; }

private:
    enum class State { Start, FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuoted };
    TokenizeResult Run(const unsigned char* p, const unsigned char* end, ITokenConsumer& consumer);
    bool EndField(ITokenConsumer& consumer);
    bool EndRecord(ITokenConsumer& consumer);

    State m_state = State::Start;
    bool m_bUnquotedMode = false;
    bool m_bPending = false;
    bool m_bDone = false;
    int m_nBomMatched = 0;
    int m_nField = 0;
    long long m_nRecords = 0;
    std::string m_value;
};

// One whole pass over a source, read in chunks of at most 8192 bytes into buffer (resized
// to that when smaller; the caller keeps it for the next pass). CFileException from the
// source passes through.
TokenizeResult TokenizeSource(IByteSource& source, ITokenConsumer& consumer,
                              std::vector<char>& buffer, CDelimitedTokenizer* state = nullptr);
