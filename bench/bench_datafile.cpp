// Loading and saving books of 1,000, 10,000 and 100,000 made-up contacts: the archive
// alone (in memory) and the document's whole load and save on a real file, including
// the atomic replacement and its fsync.
#include "model/CArchive.h"
#include "model/CKinbookDoc.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

class CountingMessageBox final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string&, const std::string&, MbIcon, MbButtons) override {
        ++shown;
        return MbResult::Ok;
    }
    int shown = 0;
};

class StringSink final : public IByteSink {
public:
    void Write(const char* data, std::size_t size) override { bytes.append(data, size); }
    void Commit() override {}
    std::string bytes;
};

class StringSource final : public IByteSource {
public:
    explicit StringSource(const std::string& bytes) : m_bytes(bytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, m_bytes.size() - m_pos);
        std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        return n;
    }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

struct Book {
    CCategoryList categories;
    CRecordList records;
};

Book MakeBook(std::size_t count) {
    Book book;
    CSampleBook(2024).Fill(book.categories, book.records, count);
    return book;
}

std::string Write(Book& book) {
    StringSink sink;
    CArchive ar(sink);
    book.categories.SerializeCategories(ar);
    SerializeRecords(ar, book.records);
    ar.Flush();
    return std::move(sink.bytes);
}

void BM_ArchiveWrite(benchmark::State& state) {
    Book book = MakeBook(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = Write(book);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_ArchiveRead(benchmark::State& state) {
    Book book = MakeBook(static_cast<std::size_t>(state.range(0)));
    const std::string bytes = Write(book);
    for (auto _ : state) {
        auto read = std::make_unique<Book>();
        StringSource source(bytes);
        CArchive ar(source);
        read->categories.SerializeCategories(ar);
        SerializeRecords(ar, read->records);
        benchmark::DoNotOptimize(read->records.data());
        // Freeing the book is no part of reading it.
        state.PauseTiming();
        read.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

std::string BenchFile() {
    return (std::filesystem::temp_directory_path() /
            ("kinbook-bench-" + std::to_string(::getpid()) + ".kbk"))
        .string();
}

void BM_DocumentSave(benchmark::State& state) {
    CountingMessageBox box;
    CKinbookDoc doc(box, RealFileSystem());
    CSampleBook(2024).Fill(doc.GetCategories(), doc.GetRecords(),
                           static_cast<std::size_t>(state.range(0)));
    const std::string path = BenchFile();
    for (auto _ : state) {
        if (!doc.Save(path))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

void BM_DocumentLoad(benchmark::State& state) {
    CountingMessageBox box;
    const std::string path = BenchFile();
    {
        CKinbookDoc writer(box, RealFileSystem());
        CSampleBook(2024).Fill(writer.GetCategories(), writer.GetRecords(),
                               static_cast<std::size_t>(state.range(0)));
        if (!writer.Save(path))
            throw std::runtime_error("cannot write " + path);
    }
    for (auto _ : state) {
        // A new document each time, as at start-up: freeing the last book is no part of
        // the load.
        state.PauseTiming();
        auto doc = std::make_unique<CKinbookDoc>(box, RealFileSystem());
        state.ResumeTiming();
        if (!doc->Load(path))
            state.SkipWithError("load failed");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_ArchiveWrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentSave)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
