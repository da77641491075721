#pragma once
#include "port/IFileSystem.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A class that the data file can hold: its name (matched byte for byte) and schema.
struct CArchiveClass {
    std::string_view name;
    std::uint16_t schema;
};

inline constexpr CArchiveClass kCategoryClass{"CCategory", 0};
inline constexpr CArchiveClass kContactRecordClass{"CContactRecord", 0};

// The object stream of the data file: little-endian counts, strings, class descriptions
// and object tags, read or written front to back through a 4,096-byte buffer.
//
// Every class description and every object takes the next number of one shared counter
// (the first is 1). Faults of a file are thrown as CArchiveException; failures of the drive
// come from the byte source or sink as CFileException. The reader never allocates more
// than the bytes it has actually read can justify, so a file that claims a huge count or
// length fails with an end-of-file fault as soon as its bytes run out.
class CArchive {
public:
    // Big enough that a large book is written in a few hundred calls, not thousands.
    static constexpr std::size_t kBufferSize = 64 * 1024;
    // Highest number the counter may give out; one more is a bad-index fault.
    static constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFD;
    // Class names of this length or longer name no class.
    static constexpr std::size_t kMaxClassNameLength = 64;

    explicit CArchive(IByteSink& sink);
    explicit CArchive(IByteSource& source);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    // Never flushes: a writer must call Flush, so an abandoned archive writes nothing more.
    ~CArchive() = default;

    bool IsStoring() const { return m_pSink != nullptr; }

    // The writes of bytes, words and short texts that fit in the buffer are inline: a
    // record is some thirty of them.
    void WriteByte(std::uint8_t value) {
        if (m_nPos < kBufferSize) {
            m_buffer[m_nPos++] = static_cast<char>(value);
            return;
        }
        const char c = static_cast<char>(value);
        WriteBytes(&c, 1);
    }
    void WriteWord(std::uint16_t value) {
        const char b[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        if (kBufferSize - m_nPos >= 2) {
            std::memcpy(m_buffer.data() + m_nPos, b, 2);
            m_nPos += 2;
            return;
        }
        WriteBytes(b, 2);
    }
    void WriteDword(std::uint32_t value);
    void WriteCount(std::size_t count);
    void WriteString(std::string_view text) {
        // The common case: a short text that fits in the buffer with its length.
        const std::size_t n = text.size();
        if (n < 0xFF && n < kBufferSize - m_nPos) {
            m_buffer[m_nPos++] = static_cast<char>(n);
            if (n != 0)
                std::memcpy(m_buffer.data() + m_nPos, text.data(), n);
            m_nPos += n;
            return;
        }
        WriteLongString(text);
    }
    // Room for size bytes written straight into the buffer, or null when it has not that
    // much left (then write through the calls above). Claimed(end) takes the bytes written.
    char* Claim(std::size_t size) {
        return kBufferSize - m_nPos >= size ? m_buffer.data() + m_nPos : nullptr;
    }
    void Claimed(const char* end) { m_nPos = static_cast<std::size_t>(end - m_buffer.data()); }
    // Writes the class tag of an object of class cls (its description the first time)
    // and numbers the object.
    void WriteObjectTag(const CArchiveClass& cls);
    // Hands the buffered bytes to the sink.
    void Flush();

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDword();
    std::uint32_t ReadCount();
    // The 0xFFFE form (UTF-16 little-endian) is returned as UTF-8.
    std::string ReadString();
    // The same into text, whose storage is reused.
    void ReadString(std::string& text) {
        // The common case: a short text whose length byte and bytes are all in the buffer.
        if (m_nPos < m_nEnd) {
            const auto n = static_cast<std::uint8_t>(m_buffer[m_nPos]);
            if (n < 0xFF && n < m_nEnd - m_nPos) {
                // Many fields are empty: clearing needs no call into the library.
                if (n == 0)
                    text.clear();
                else
                    text.assign(m_buffer.data() + m_nPos + 1, n);
                m_nPos += 1 + std::size_t{n};
                return;
            }
        }
        text = ReadString();
    }
    // After the last object: a file that goes on past it is not what it claims to be (a
    // book with other bytes appended, or one whose counts were zeroed), a Generic fault.
    void ReadEnd();
    // Reads the class tag of the next element, which must start a new object of class
    // expected, and numbers the object. Null tags and back-references are refused.
    void ReadObjectTag(const CArchiveClass& expected);

    // The number the next class or object would take.
    std::uint32_t NextNumber() const { return m_nNextNumber; }

protected:
    // Moves the counter on, as a stream of that many objects would have (the counter's
    // limit is reached without writing a billion objects).
    void SkipNumbers(std::uint32_t next) { m_nNextNumber = next; }

private:
    std::uint32_t TakeNumber();
    void WriteBytes(const char* data, std::size_t size);
    // A text that is long or does not fit in the buffer.
    void WriteLongString(std::string_view text);
    void ReadBytes(char* data, std::size_t size);
    std::size_t ReadAvailable(char* data, std::size_t size);
    bool Fill();
    std::uint64_t ReadStringLength(bool& wide);
    const CArchiveClass& ReadNewClass();
    const CArchiveClass& LoadedClass(std::uint32_t number);
    [[noreturn]] void RefuseObjectReference(std::uint32_t number) const;

    IByteSink* m_pSink = nullptr;
    IByteSource* m_pSource = nullptr;
    std::array<char, kBufferSize> m_buffer{};
    std::size_t m_nPos = 0; // next byte to read or write
    std::size_t m_nEnd = 0; // end of the bytes read into the buffer
    std::uint32_t m_nNextNumber = 1;
    // Classes written so far (by name) or read so far (by number).
    std::vector<std::pair<std::string_view, std::uint32_t>> m_storedClasses;
    std::unordered_map<std::uint32_t, const CArchiveClass*> m_loadedClasses;
    // The class last looked up, as every record of a book has the same.
    std::uint32_t m_nLastClassNumber = 0;
    const CArchiveClass* m_pLastClass = nullptr;
};
