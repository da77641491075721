#include "model/CArchive.h"
#include "model/TextDecode.h"
#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint16_t kCountEscape = 0xFFFF;
constexpr std::uint8_t kStringByteEscape = 0xFF;
constexpr std::uint16_t kStringWideMarker = 0xFFFE;
constexpr std::uint16_t kStringWordEscape = 0xFFFF;

// Long texts are read in pieces so that memory grows only with the bytes really read.
constexpr std::size_t kStringChunk = 64 * 1024;

constexpr std::array<const CArchiveClass*, 2> kKnownClasses = {&kCategoryClass,
                                                               &kContactRecordClass};

[[noreturn]] void Fault(CArchiveException::Cause cause) {
    throw CArchiveException(cause);
}

} // namespace

CArchive::CArchive(IByteSink& sink) : m_pSink(&sink) {}

CArchive::CArchive(IByteSource& source) : m_pSource(&source) {}

std::uint32_t CArchive::TakeNumber() {
    if (m_nNextNumber > kMaxMapCount)
        Fault(CArchiveException::BadIndex);
    return m_nNextNumber++;
}

// ---- writing ----

void CArchive::WriteBytes(const char* data, std::size_t size) {
    if (size <= kBufferSize - m_nPos) {
        if (size != 0) // an empty text may have no bytes at all
            std::memcpy(m_buffer.data() + m_nPos, data, size);
        m_nPos += size;
        return;
    }
    while (size > 0) {
        if (m_nPos == kBufferSize) {
            m_pSink->Write(m_buffer.data(), kBufferSize);
            m_nPos = 0;
        }
        const std::size_t n = std::min(size, kBufferSize - m_nPos);
        std::memcpy(m_buffer.data() + m_nPos, data, n);
        m_nPos += n;
        data += n;
        size -= n;
    }
}

void CArchive::WriteDword(std::uint32_t value) {
    const char b[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                       static_cast<char>((value >> 16) & 0xFF),
                       static_cast<char>((value >> 24) & 0xFF)};
    WriteBytes(b, 4);
}

void CArchive::WriteCount(std::size_t count) {
    if (count < kCountEscape) {
        WriteWord(static_cast<std::uint16_t>(count));
        return;
    }
    if (count > 0xFFFFFFFFu)
        Fault(CArchiveException::Generic);
    WriteWord(kCountEscape);
    WriteDword(static_cast<std::uint32_t>(count));
}

void CArchive::WriteLongString(std::string_view text) {
    static_assert(kStringByteEscape == 0xFF); // the inline WriteString's bound
    const std::size_t n = text.size();
    if (n < kStringByteEscape) {
        WriteByte(static_cast<std::uint8_t>(n));
    } else if (n < kStringWideMarker) {
        WriteByte(kStringByteEscape);
        WriteWord(static_cast<std::uint16_t>(n));
    } else {
        if (n > 0xFFFFFFFFu)
            Fault(CArchiveException::Generic);
        WriteByte(kStringByteEscape);
        WriteWord(kStringWordEscape);
        WriteDword(static_cast<std::uint32_t>(n));
    }
    WriteBytes(text.data(), n);
}

void CArchive::WriteObjectTag(const CArchiveClass& cls) {
    const auto known = std::find_if(m_storedClasses.begin(), m_storedClasses.end(),
                                    [&](const auto& entry) { return entry.first == cls.name; });
    if (known == m_storedClasses.end()) {
        const std::uint32_t number = TakeNumber();
        WriteWord(kNewClassTag);
        WriteWord(cls.schema);
        WriteWord(static_cast<std::uint16_t>(cls.name.size()));
        WriteBytes(cls.name.data(), cls.name.size());
        m_storedClasses.emplace_back(cls.name, number);
    } else if (known->second < kBigObjectTag) {
        WriteWord(static_cast<std::uint16_t>(kClassTag | known->second));
    } else {
        WriteWord(kBigObjectTag);
        WriteDword(kBigClassTag | known->second);
    }
    TakeNumber();
}

void CArchive::Flush() {
    if (m_pSink != nullptr && m_nPos > 0) {
        m_pSink->Write(m_buffer.data(), m_nPos);
        m_nPos = 0;
    }
}

// ---- reading ----

bool CArchive::Fill() {
    m_nPos = 0;
    m_nEnd = m_pSource->Read(m_buffer.data(), kBufferSize);
    return m_nEnd > 0;
}

std::size_t CArchive::ReadAvailable(char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (m_nPos == m_nEnd && !Fill())
            break;
        const std::size_t n = std::min(size - done, m_nEnd - m_nPos);
        std::memcpy(data + done, m_buffer.data() + m_nPos, n);
        m_nPos += n;
        done += n;
    }
    return done;
}

void CArchive::ReadBytes(char* data, std::size_t size) {
    if (ReadAvailable(data, size) != size)
        Fault(CArchiveException::EndOfFile);
}

std::uint8_t CArchive::ReadByte() {
    if (m_nPos < m_nEnd)
        return static_cast<std::uint8_t>(m_buffer[m_nPos++]);
    char c = 0;
    ReadBytes(&c, 1);
    return static_cast<std::uint8_t>(c);
}

std::uint16_t CArchive::ReadWord() {
    unsigned char b[2];
    if (m_nEnd - m_nPos >= 2) {
        std::memcpy(b, m_buffer.data() + m_nPos, 2);
        m_nPos += 2;
    } else {
        ReadBytes(reinterpret_cast<char*>(b), 2);
    }
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t CArchive::ReadDword() {
    unsigned char b[4];
    ReadBytes(reinterpret_cast<char*>(b), 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint32_t CArchive::ReadCount() {
    const std::uint16_t w = ReadWord();
    return w != kCountEscape ? w : ReadDword();
}

std::uint64_t CArchive::ReadStringLength(bool& wide) {
    wide = false;
    std::uint8_t b = ReadByte();
    if (b < kStringByteEscape)
        return b;
    std::uint16_t w = ReadWord();
    if (w == kStringWideMarker) {
        // UTF-16 text follows; its length (in characters) is given once more. A second
        // 0xFFFE is a plain length.
        wide = true;
        b = ReadByte();
        if (b < kStringByteEscape)
            return b;
        w = ReadWord();
    }
    if (w < kStringWordEscape)
        return w;
    return ReadDword();
}

std::string CArchive::ReadString() {
    bool wide = false;
    const std::uint64_t length = ReadStringLength(wide);
    const std::uint64_t bytes = wide ? length * 2 : length;
    if (!wide && bytes <= m_nEnd - m_nPos) {
        // The common case: the whole text is in the buffer already.
        std::string text(m_buffer.data() + m_nPos, static_cast<std::size_t>(bytes));
        m_nPos += static_cast<std::size_t>(bytes);
        return text;
    }
    std::string raw;
    for (std::uint64_t done = 0; done < bytes;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes - done, kStringChunk));
        const std::size_t old = raw.size();
        raw.resize(old + n);
        ReadBytes(raw.data() + old, n);
        done += n;
    }
    if (!wide)
        return raw;

    std::string text;
    text.reserve(raw.size());
    char32_t high = 0; // a high surrogate waiting for its partner
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                                (static_cast<unsigned char>(raw[i + 1]) << 8));
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (high != 0)
                kb::AppendUtf8(text, 0xFFFD);
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (high != 0)
                kb::AppendUtf8(text, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            else
                kb::AppendUtf8(text, 0xFFFD);
            high = 0;
            continue;
        }
        if (high != 0)
            kb::AppendUtf8(text, 0xFFFD);
        high = 0;
        kb::AppendUtf8(text, unit);
    }
    if (high != 0)
        kb::AppendUtf8(text, 0xFFFD);
    return text;
}

void CArchive::ReadEnd() {
    if (m_nPos < m_nEnd || Fill())
        Fault(CArchiveException::Generic);
}

const CArchiveClass& CArchive::ReadNewClass() {
    const std::uint16_t schema = ReadWord();
    const std::uint16_t length = ReadWord();
    if (length >= kMaxClassNameLength)
        Fault(CArchiveException::BadClass);
    char name[kMaxClassNameLength];
    if (ReadAvailable(name, length) != length)
        Fault(CArchiveException::BadClass);
    const std::string_view read(name, length);
    const auto known = std::find_if(kKnownClasses.begin(), kKnownClasses.end(),
                                    [&](const CArchiveClass* c) { return c->name == read; });
    if (known == kKnownClasses.end())
        Fault(CArchiveException::BadClass);
    if (schema != (*known)->schema)
        Fault(CArchiveException::BadSchema);
    m_loadedClasses.emplace(TakeNumber(), *known);
    return **known;
}

const CArchiveClass& CArchive::LoadedClass(std::uint32_t number) {
    if (m_pLastClass != nullptr && number == m_nLastClassNumber)
        return *m_pLastClass;
    const auto it = m_loadedClasses.find(number);
    if (it == m_loadedClasses.end())
        Fault(CArchiveException::BadIndex);
    m_nLastClassNumber = number;
    m_pLastClass = it->second;
    return *it->second;
}

void CArchive::RefuseObjectReference(std::uint32_t number) const {
    // This program never refers to an object twice, and never stores a null element.
    if (number >= m_nNextNumber || m_loadedClasses.count(number) != 0)
        Fault(CArchiveException::BadIndex);
    Fault(CArchiveException::Generic);
}

void CArchive::ReadObjectTag(const CArchiveClass& expected) {
    const std::uint16_t tag = ReadWord();
    const CArchiveClass* cls = nullptr;
    if (tag == kNewClassTag) {
        cls = &ReadNewClass();
    } else if (tag == kBigObjectTag) {
        const std::uint32_t d = ReadDword();
        if ((d & kBigClassTag) == 0)
            RefuseObjectReference(d);
        cls = &LoadedClass(d & ~kBigClassTag);
    } else if ((tag & kClassTag) != 0) {
        cls = &LoadedClass(tag & ~kClassTag);
    } else {
        RefuseObjectReference(tag);
    }
    if (cls->name != expected.name)
        Fault(CArchiveException::BadClass);
    TakeNumber();
}
