#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class IByteSource;

// Which bytes separate the values of a line.
enum class Separator {
    Auto,      // decided from the file (only as a choice, never a result)
    TabComma,  // TAB and comma both separate
    Semicolon, // only the semicolon separates (commas are decimal commas)
};

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
    TooLong,      // a record longer than transfer::kMaxLineBytes (RecordLine says where)
};

// Splits delimited text into fields and records, fed in chunks of any size: the state
// carries across chunk boundaries.
//
// The mode is decided by the first byte (after a UTF-8 byte-order mark, which is skipped):
// a double quote, a separator or CR means quoted reading; any other byte means unquoted
// reading. In both, the separators (TAB and comma, or the semicolon) separate, CR outside
// quotes is dropped and LF outside quotes ends the record, a value that begins with a
// double quote runs to its closing quote (separators and line ends inside are value bytes)
// and a doubled quote inside it is one quote; a value that does not begin with a quote runs
// to the next separator or line end, so numbers may go unquoted beside quoted text. In
// unquoted reading a quote anywhere else is an ordinary byte; in quoted reading a byte
// right after a closing quote that is not a separator or line end makes the file
// incompatible.
//
// A value longer than transfer::kMaxValueBytes is cut to that length at a character
// boundary and counted; a record longer than transfer::kMaxLineBytes stops the reading
// before the consumer hears of its end.
class CDelimitedTokenizer {
public:
    static constexpr std::size_t kChunkSize = 8192;
    // The most of the offending text an incompatible file's message shows.
    static constexpr std::size_t kErrorTextMax = 40;

    explicit CDelimitedTokenizer(Separator separator = Separator::TabComma);

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
    // The physical line (1-based) being read, and the one the current record began on.
    long long Line() const { return m_nLine; }
    long long RecordLine() const { return m_nRecordLine; }
    // After Incompatible: the value that broke the rules and what follows it on its line.
    const std::string& ErrorText() const { return m_errorText; }
    // Values cut to transfer::kMaxValueBytes so far.
    long long ShortenedValues() const { return m_nShortened; }

private:
    enum class State { Start, FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuoted };
    TokenizeResult Run(const unsigned char* p, const unsigned char* end, ITokenConsumer& consumer);
    bool EndField(ITokenConsumer& consumer);
    // value: the field's text, m_value or bytes of the chunk being read.
    bool EndField(ITokenConsumer& consumer, std::string_view value);
    // p: where the record's bytes end in the chunk being read.
    bool EndRecord(ITokenConsumer& consumer, const unsigned char* p);
    // Adds bytes to m_value, which keeps little more than a value is cut to.
    void AppendValue(const unsigned char* s, std::size_t n);

    TokenizeResult Incompatible(const unsigned char* p, const unsigned char* end);

    const unsigned char* m_class;
    State m_state = State::Start;
    bool m_bUnquotedMode = false;
    bool m_bPending = false;
    bool m_bDone = false;
    int m_nBomMatched = 0;
    int m_nField = 0;
    long long m_nRecords = 0;
    long long m_nLine = 1;
    long long m_nRecordLine = 1;
    long long m_nShortened = 0;
    bool m_bTooLong = false;
    // The bytes of the current record in chunks before this one, and where it begins
    // in this one (or the chunk's start).
    std::size_t m_nRecordBytes = 0;
    const unsigned char* m_pRecordFrom = nullptr;
    std::string m_value;
    std::string m_errorText;
};
