#pragma once
// Text in a charset that a file or the user names, turned into UTF-8. UTF-8 and
// Windows-1252 are decoded here directly (nearly every file); every other name goes to the
// C library's iconv, so any charset the system knows is read as what it is. A name nobody
// knows is said so to the caller, which tells the user: it is never quietly read as
// something else.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

// How the bytes of a named charset are decoded.
enum class CharsetRoute {
    Utf8,    // UTF-8 or ASCII: as the program reads unnamed text (Windows-1252 when invalid)
    Cp1252,  // Windows-1252 and the Latin-1 names files mean it by
    Utf16LE, // the three UTF-16 names: the file decoder has its own way for them
    Utf16BE,
    Utf16,   // byte order from a leading mark, else big-endian
    Iconv,   // any other name the C library knows
    Unknown, // a name nobody knows, or not a plain name at all
};

// The route a name takes; case does not matter. A plain name is 1 to 64 letters, digits
// and "-_.:+()": an iconv option such as "//IGNORE", a path or an empty name is Unknown.
CharsetRoute RouteOfCharset(std::string_view name);

// What decoding one value found.
struct CharsetDecodeResult {
    // False when the name is Unknown: the bytes were then read as unnamed text is (UTF-8
    // when valid, else Windows-1252), and the caller must say so.
    bool known = true;
    // Byte sequences that are not text in the charset, each replaced by U+FFFD.
    std::size_t invalid = 0;
};

// Appends bytes in the named charset to out as UTF-8.
CharsetDecodeResult AppendDecoded(std::string_view bytes, std::string_view charset,
                                  std::string& out);

// Decodes a stream in a charset iconv knows, fed in chunks of any size: a character split
// between two chunks is put together. What is not text in the charset becomes U+FFFD, so
// what comes out is always valid UTF-8.
class CIconvDecoder {
public:
    explicit CIconvDecoder(std::string_view charset);
    ~CIconvDecoder();
    CIconvDecoder(const CIconvDecoder&) = delete;
    CIconvDecoder& operator=(const CIconvDecoder&) = delete;

    // False when iconv does not know the charset (Decode then reads bytes as Windows-1252).
    bool Known() const { return m_handle != nullptr; }
    void Decode(const char* data, std::size_t size, std::string& out);
    // End of input: an unfinished last character becomes U+FFFD.
    void Finish(std::string& out);
    // Sequences replaced by U+FFFD so far.
    std::size_t Invalid() const { return m_nInvalid; }

private:
    void* m_handle = nullptr; // the iconv_t; null when the charset is unknown
    std::string m_carry;      // the start of a character the last chunk cut off
    std::size_t m_nInvalid = 0;
};

// Values whose charset could not be honoured, gathered by charset for one report.
struct CharsetNote {
    std::string charset;  // as the file spelled it (the first spelling met)
    bool unknown = false; // unknown name; otherwise bytes that were not text in it
    int values = 0;
    std::vector<int> lines; // where the first few of them are
    bool others = false;    // the one note for every charset past the first few
};

// Counts one value into notes: merged with the note of the same charset and kind.
void AddCharsetNote(std::vector<CharsetNote>& notes, std::string_view charset, bool unknown,
                    int line);

} // namespace kb
