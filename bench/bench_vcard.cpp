// vCard export and import of 100,000 records, and delimited import of the same records
// for comparison (a vCard import should take at most half as long again).
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CVCardReader.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <string>

namespace {

class SilentBox final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string&, const std::string&, MbIcon, MbButtons) override {
        return MbResult::Yes;
    }
};

class NoProgress final : public IProgress {
public:
    void SetPosition(int) override {}
    bool CancelRequested() override { return false; }
};

// Files in memory.
class MemoryFs final : public IFileSystem {
public:
    std::map<std::string, std::string> files;
    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override {
        struct Source : IByteSource {
            const std::string* data;
            std::size_t pos = 0;
            std::size_t Read(char* b, std::size_t n) override {
                n = std::min(n, data->size() - pos);
                std::memcpy(b, data->data() + pos, n);
                pos += n;
                return n;
            }
        };
        auto s = std::make_unique<Source>();
        s->data = &files.at(path);
        return s;
    }
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override {
        struct Sink : IByteSink {
            std::string* target;
            std::string staged;
            void Write(const char* d, std::size_t n) override { staged.append(d, n); }
            void Commit() override { *target = std::move(staged); }
        };
        auto s = std::make_unique<Sink>();
        s->target = &files[path];
        return s;
    }
    bool Exists(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    std::optional<FileStamp> Stamp(const std::string&) override { return std::nullopt; }
    std::unique_ptr<FileLock> LockForWriting(const std::string&,
                                             std::chrono::milliseconds) override {
        return std::make_unique<FileLock>();
    }
};

struct Fixture {
    Fixture() {
        CSampleBook(11).Fill(categories, records, 100000);
        NoProgress progress;
        RunVCardExport(records, categories, uids, {"/book.vcf", {}, VCardVersion::V40}, fs, box,
                       progress);
        // Every field, as a delimited file of the same records.
        RunExport(records, categories, {"/book.tab", {}, kImportRowOrder, kVariantTabName}, fs, box,
                  progress);
    }
    CCategoryList categories;
    CRecordList records;
    CRecordUids uids;
    MemoryFs fs;
    SilentBox box;
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

// An import as the Import command runs it: the file detected and counted, then read.
ImportResult Import(const std::string& path, Fixture& f, CRecordList& records,
                    CCategoryList& categories, CRecordUids* uids) {
    NoProgress progress;
    std::vector<char> buffer;
    const ScanResult scan = CountRecords(path, f.fs, f.box, buffer);
    ImportOptions options;
    options.format = scan.format;
    options.rowNames = kImportRowOrder;
    options.createCategories = true;
    options.uids = uids;
    return RunImport(path, scan.recordCount, options, records, categories, f.fs, f.box, progress);
}

void BM_VCardExport100k(benchmark::State& state) {
    Fixture& f = Shared();
    NoProgress progress;
    const VCardVersion version = state.range(0) == 4 ? VCardVersion::V40 : VCardVersion::V30;
    for (auto _ : state) {
        const ExportResult r = RunVCardExport(f.records, f.categories, f.uids,
                                              {"/out.vcf", {}, version}, f.fs, f.box, progress);
        benchmark::DoNotOptimize(r.written);
    }
    state.counters["file_MB"] = static_cast<double>(f.fs.files["/out.vcf"].size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_VCardExport100k)->Arg(4)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_VCardImport100k(benchmark::State& state) {
    Fixture& f = Shared();
    NoProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        CRecordList records;
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordUids uids;
        state.ResumeTiming();
        const ImportResult r = Import("/book.vcf", f, records, categories, &uids);
        benchmark::DoNotOptimize(r.imported);
        state.PauseTiming();
        if (r.imported != 100000)
            state.SkipWithError("not every card was imported");
        records.clear(); // freeing is not part of the import
        uids.Clear();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(f.fs.files["/book.vcf"].size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_VCardImport100k)->Unit(benchmark::kMillisecond);

void BM_DelimitedImportOfTheSameRecords100k(benchmark::State& state) {
    Fixture& f = Shared();
    NoProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        CRecordList records;
        CCategoryList categories;
        categories.ResetToDefaults();
        state.ResumeTiming();
        const ImportResult r = Import("/book.tab", f, records, categories, nullptr);
        benchmark::DoNotOptimize(r.imported);
        state.PauseTiming();
        if (r.imported != 100000)
            state.SkipWithError("not every record was imported");
        records.clear();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(f.fs.files["/book.tab"].size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_DelimitedImportOfTheSameRecords100k)->Unit(benchmark::kMillisecond);

// 10,000 cards of an old phone, each value quoted-printable in a charset it names: one
// charset for all (0), or more charsets than the reader keeps converters for (1), so that
// every value opens its converter afresh.
void BM_ReadNamedCharsets10k(benchmark::State& state) {
    static const char* const kCharsets[] = {
        "ISO-8859-2", "KOI8-R",     "ISO-8859-15", "WINDOWS-1250", "WINDOWS-1251", "ISO-8859-7",
        "ISO-8859-5", "ISO-8859-4", "ISO-8859-9",  "ISO-8859-13",  "WINDOWS-1257", "ISO-8859-16",
    };
    const bool rotate = state.range(0) == 1;
    std::string file;
    for (int i = 0; i < 10000; ++i) {
        const std::string charset = kCharsets[rotate ? i % std::size(kCharsets) : 0];
        file += "BEGIN:VCARD\r\nVERSION:2.1\r\n";
        for (const char* name : {"N", "FN", "ADR", "NOTE"})
            file += std::string(name) + ";CHARSET=" + charset +
                    ";ENCODING=QUOTED-PRINTABLE:=A3=F3d=BC =B3=B6=BF " + std::to_string(i) + "\r\n";
        file += "END:VCARD\r\n";
    }
    struct Count final : IVCardSink {
        bool OnCard(VCard&) override { return ++cards, true; }
        bool OnBadCard(int, VCardFault) override { return true; }
        int cards = 0;
    };
    for (auto _ : state) {
        Count sink;
        CVCardReader reader(RawValues::Drop);
        reader.Feed(file.data(), file.size(), sink);
        reader.Finish(sink);
        if (sink.cards != 10000)
            state.SkipWithError("not every card was read");
    }
    state.SetItemsProcessed(state.iterations() * 40000); // values
}
BENCHMARK(BM_ReadNamedCharsets10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
