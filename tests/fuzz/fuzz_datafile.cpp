// Any bytes as a data file: the reader either loads them or reports an archive fault,
// never crashes, hangs or allocates beyond what the bytes justify. Whatever it read
// must write back and read again to the same book.
#include "model/CArchive.h"
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include "port/FileErrors.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Source final : public IByteSource {
public:
    Source(const char* d, size_t n) : m_d(d), m_n(n) {}
    size_t Read(char* buf, size_t size) override {
        const size_t k = size < m_n - m_pos ? size : m_n - m_pos;
        std::memcpy(buf, m_d + m_pos, k);
        m_pos += k;
        return k;
    }

private:
    const char* m_d;
    size_t m_n;
    size_t m_pos = 0;
};

class Sink final : public IByteSink {
public:
    void Write(const char* d, size_t n) override { bytes.append(d, n); }
    void Commit() override {}
    std::string bytes;
};

struct Book {
    CCategoryList categories;
    CRecordList records;
};

// Reads a book; true when the whole file loaded.
bool Read(const char* data, size_t size, Book& book) {
    Source src(data, size);
    CArchive ar(src);
    try {
        book.categories.SerializeCategories(ar);
        SerializeRecords(ar, book.records);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

std::string Write(Book& book) {
    Sink sink;
    CArchive ar(sink);
    book.categories.SerializeCategories(ar);
    SerializeRecords(ar, book.records);
    ar.Flush();
    return sink.bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Book book;
    if (!Read(reinterpret_cast<const char*>(data), size, book))
        return 0;
    const std::string first = Write(book);
    Book again;
    if (!Read(first.data(), first.size(), again))
        std::abort(); // what the writer wrote must read back
    if (Write(again) != first)
        std::abort(); // and the round trip is stable
    return 0;
}
