#pragma once
#include "model/CharsetDecode.h"
#include "port/IFileSystem.h"
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// The encodings a file to import may be in. Everything read is turned into UTF-8.
enum class TextEncoding {
    Auto,    // decided from the bytes (only as a choice, never a result)
    Utf8,    // with or without a byte-order mark
    Utf16LE, // little-endian UTF-16 ("Unicode text")
    Utf16BE,
    Cp1252, // Western (Windows-1252)
    Named,  // any other charset the system knows, by its name (decoded through iconv)
};

// "UTF-8", "UTF-16 LE", ...: how the import names an encoding to the user.
std::string_view EncodingName(TextEncoding encoding);
// The same for a Named charset: its label when it is one of CommonCharsets, else its name
// as it was given.
std::string EncodingName(TextEncoding encoding, std::string_view charset);

// Charsets older phones and programs wrote, offered by name beside the encodings above.
struct CommonCharset {
    std::string_view name;  // as iconv knows it
    std::string_view label; // "Central European (ISO-8859-2)"
};
std::span<const CommonCharset> CommonCharsets();
// What the import says of an encoding name nothing knows.
std::string UnknownCharsetMessage(std::string_view name);

// The encoding a charset name asks for (case does not matter): one of the encodings above
// for their usual names, Named for any other charset the system knows, Auto for a name
// nothing knows.
TextEncoding EncodingOfCharset(std::string_view name);

// The byte-order mark a text starts with: its encoding and length, or Auto and 0.
struct ByteOrderMark {
    TextEncoding encoding = TextEncoding::Auto;
    std::size_t size = 0;
};
ByteOrderMark DetectByteOrderMark(std::string_view head);

// Turns text in one encoding into UTF-8, fed in chunks of any size (a character split over
// two chunks is put together). A leading byte-order mark is dropped. Bytes that are not
// text in the encoding (a broken UTF-8 sequence, a lone UTF-16 surrogate, an odd last byte)
// become U+FFFD, so what comes out is always valid UTF-8.
class CTextDecoder {
public:
    // charset: the name of a Named encoding (a name the system does not know is read as
    // Windows-1252; callers check it with EncodingOfCharset first).
    explicit CTextDecoder(TextEncoding encoding, std::string_view charset = {});
    void Decode(const char* data, std::size_t size, std::string& out);
    // End of input: whatever is left of an unfinished character.
    void Finish(std::string& out);
    // UTF-8 that needs no change (nearly every file) stays where it is: the bytes of data
    // that are ready as they stand, an unfinished last character kept for the next chunk;
    // or kNotInPlace, when the chunk must go through Decode (another encoding, a mark still
    // to be looked for, a character begun in the chunk before, bytes that are not UTF-8).
    static constexpr std::size_t kNotInPlace = static_cast<std::size_t>(-1);
    std::size_t DecodeInPlace(const char* data, std::size_t size);
    // Bytes or sequences that were not text in the encoding, each now U+FFFD.
    std::size_t Replaced() const { return m_nReplaced + (m_named ? m_named->Invalid() : 0); }

private:
    void DecodeUtf8(const unsigned char* p, const unsigned char* end, std::string& out);
    void DecodeUtf16(const unsigned char* p, const unsigned char* end, std::string& out);
    void Replace(std::string& out); // one U+FFFD for what was not text

    TextEncoding m_encoding;
    bool m_bStart = true;
    std::string m_carry; // bytes of a character not yet complete (and of a possible mark)
    char32_t m_highSurrogate = 0;
    std::size_t m_nReplaced = 0;
    std::unique_ptr<kb::CIconvDecoder> m_named; // the decoder of a Named charset
};

// Checks, chunk by chunk, whether a whole file is valid UTF-8.
class CUtf8Check {
public:
    void Feed(const char* data, std::size_t size);
    // True when every byte fed belongs to a complete, valid UTF-8 sequence.
    bool Finish();

private:
    std::string m_carry;
    bool m_bValid = true;
};

// A source whose bytes are those of another source decoded to UTF-8.
class CDecodingSource final : public IByteSource {
public:
    CDecodingSource(IByteSource& raw, TextEncoding encoding, std::string_view charset = {});
    std::size_t Read(char* buffer, std::size_t size) override;
    // Bytes that were not text in the encoding, each now U+FFFD.
    std::size_t Replaced() const { return m_decoder.Replaced(); }

private:
    IByteSource& m_raw;
    CTextDecoder m_decoder;
    std::string m_out; // decoded bytes not yet handed on
    std::size_t m_pos = 0;
    bool m_bEnd = false;
};
