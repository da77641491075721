// Export and import of delimited text at the sizes users bring: 100,000 records out, a
// 14 MB file through the tokenizer, 100,000 lines into an empty book and into one of 10,000,
// and the filing of those records on its own (its share of the import).
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CDelimitedReader.h"
#include "transfer/ExportProcedure.h"
#include "transfer/FileFormat.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <random>
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

// Files in memory; written bytes are counted, not kept.
class BenchFs final : public IFileSystem {
public:
    std::map<std::string, std::string> files;
    std::size_t written = 0;
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
    std::unique_ptr<IByteSink> CreateAtomic(const std::string&) override {
        struct Sink : IByteSink {
            std::size_t* count;
            void Write(const char*, std::size_t n) override { *count += n; }
            void Commit() override {}
        };
        auto s = std::make_unique<Sink>();
        s->count = &written;
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

std::unique_ptr<CContactRecord> SampleRecord(std::mt19937& rng, int i) {
    std::uniform_int_distribution<int> last(0, 4999), first(0, 299);
    auto r = std::make_unique<CContactRecord>();
    const int l = last(rng);
    r->m_strLastName = std::string(1, static_cast<char>('A' + l % 26)) + "name" + std::to_string(l);
    r->m_strFirstName = "First" + std::to_string(first(rng));
    r->m_strItem[0] = "555-01" + std::to_string(i % 100);
    r->m_nItemLabel[0] = LABEL_HOME;
    r->m_strItem[1] = "person" + std::to_string(i) + "@example.org";
    r->m_nItemLabel[1] = LABEL_EMAIL;
    r->m_strAddress = std::to_string(i % 997) + " Elm Street\r\nFlat " + std::to_string(i % 9);
    r->m_strCity = "Springfield";
    r->m_strState = "IL";
    r->m_strZip = "62701";
    r->m_nCategory = static_cast<std::uint16_t>(i % 3);
    return r;
}

CRecordList Book(int count, unsigned seed) {
    std::mt19937 rng(seed);
    CRecordList list;
    CRecordFiler filer(list);
    for (int i = 0; i < count; ++i)
        filer.File(SampleRecord(rng, i));
    filer.Flush();
    return list;
}

// About 140 bytes a line, like a spreadsheet's contact list.
std::string CsvLines(int lines) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> last(0, 4999), first(0, 299);
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 150);
    for (int i = 0; i < lines; ++i) {
        const int l = last(rng);
        text += std::string(1, static_cast<char>('A' + l % 26)) + "name" + std::to_string(l) +
                ",First" + std::to_string(first(rng)) + ",\"" + std::to_string(i % 997) +
                " Elm Street, Flat 3\",Springfield,IL,62701,555-0100,person" + std::to_string(i) +
                "@example.org,\"Met at the fair, \"\"twice\"\"\",Business,Other info here\n";
    }
    return text;
}

const std::vector<std::string> kCsvRows = {"Last Name", "First Name", "Address",       "City",
                                           "State",     "Zip",        "Home",          "E-Mail",
                                           "Notes",     "Category",   "Other Info 1st"};

void BM_Export100k(benchmark::State& state) {
    CRecordList records = Book(100000, 1);
    CCategoryList categories;
    categories.ResetToDefaults();
    ExportRequest request{"/out.tab", CCategoryFilter(), kImportRowOrder, kVariantTabName};
    BenchFs fs;
    SilentBox box;
    NoProgress progress;
    for (auto _ : state) {
        fs.written = 0;
        const ExportResult r = RunExport(records, categories, request, fs, box, progress);
        benchmark::DoNotOptimize(r.written);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs.written));
    state.counters["file_MB"] = static_cast<double>(fs.written) / 1e6;
}
BENCHMARK(BM_Export100k)->Unit(benchmark::kMillisecond);

void BM_Tokenize14MB(benchmark::State& state) {
    std::string text = CsvLines(100000);
    while (text.size() < 14'000'000)
        text += text.substr(0, 14'000'000 - text.size());
    BenchFs fs;
    fs.files["/in.csv"] = text;
    std::vector<char> buffer;
    const DetectedFormat format;
    for (auto _ : state) {
        std::size_t bytes = 0;
        auto source = fs.OpenRead("/in.csv");
        CDelimitedReader reader(format);
        benchmark::DoNotOptimize(reader.Run(
            *source,
            [&bytes](std::span<const std::string_view> fields, long long) {
                for (std::string_view f : fields)
                    bytes += f.size();
                return true;
            },
            buffer));
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Tokenize14MB)->Unit(benchmark::kMillisecond);

// The whole import procedure (tokenize, build, file) of 100,000 lines into a book of
// range(0) records.
void BM_Import100k(benchmark::State& state) {
    BenchFs fs;
    fs.files["/in.csv"] = CsvLines(100000);
    CCategoryList categories;
    categories.ResetToDefaults();
    SilentBox box;
    NoProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        CRecordList records = Book(static_cast<int>(state.range(0)), 3);
        state.ResumeTiming();
        const ImportResult r =
            RunImport("/in.csv", 100000, kCsvRows, records, categories, fs, box, progress);
        benchmark::DoNotOptimize(r.imported);
        state.PauseTiming();
        records.clear(); // freeing is not part of the import
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Import100k)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

// 100,000 contacts in the web mail export's layout (58 columns, header row, typed phone
// columns, groups): detection, the counting scan and the import without a single drag.
std::string WebMailLines(int lines) {
    static const char* const kHeader =
        "Name,Given Name,Additional Name,Family Name,Yomi Name,Given Name Yomi,Additional Name "
        "Yomi,Family Name Yomi,Name Prefix,Name Suffix,Initials,Nickname,Short Name,Maiden "
        "Name,Birthday,Gender,Location,Billing Information,Directory Server,Mileage,Occupation,"
        "Hobby,Sensitivity,Priority,Subject,Notes,Language,Photo,Group Membership,E-mail 1 - "
        "Type,E-mail 1 - Value,E-mail 2 - Type,E-mail 2 - Value,Phone 1 - Type,Phone 1 - "
        "Value,Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,Phone 3 - Value,Address 1 - "
        "Type,Address 1 - Formatted,Address 1 - Street,Address 1 - City,Address 1 - PO "
        "Box,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,Address 1 - "
        "Extended Address,Organization 1 - Type,Organization 1 - Name,Organization 1 - Yomi "
        "Name,Organization 1 - Title,Organization 1 - Department,Organization 1 - "
        "Symbol,Organization 1 - Location,Organization 1 - Job Description,Website 1 - "
        "Type,Website 1 - Value\n";
    std::mt19937 rng(58);
    std::string text = kHeader;
    for (int i = 0; i < lines; ++i) {
        const std::string given = "Given" + std::to_string(rng() % 5000);
        const std::string family = "Family" + std::to_string(i);
        text += given + " " + family + "," + given + ",," + family + ",,,,,,,,,,,1980-04-0" +
                std::to_string(1 + i % 9) + ",,,,,,,,,,,\"Note line one\nline two\",,,Group" +
                std::to_string(i % 20) + " ::: * myContacts,* Home," + family +
                "@example.org,,,Mobile,+1 555 " + std::to_string(1000 + i % 9000) +
                ",Work,+1 555 0100,,,Home,\"" + std::to_string(i) + " Main St\nSpringfield\",\"" +
                std::to_string(i) + " Main St\",Springfield,,IL,62701,USA,,,Acme " +
                std::to_string(i % 100) + ",,Engineer,,,,,,\n";
    }
    return text;
}

void BM_ImportWebMail100k(benchmark::State& state) {
    BenchFs fs;
    fs.files["/in.csv"] = WebMailLines(100000);
    SilentBox box;
    NoProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordList records;
        state.ResumeTiming();
        std::vector<char> buffer;
        const ScanResult scan = CountRecords("/in.csv", fs, box, buffer);
        ImportOptions options;
        options.format = scan.format;
        options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
        options.defaultCategory = "Unfiled";
        options.createCategories = true;
        const ImportResult r =
            RunImport("/in.csv", scan.recordCount, options, records, categories, fs, box, progress);
        if (r.imported != 100000)
            state.SkipWithError("not every contact was imported");
        state.PauseTiming();
        records.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
    state.counters["file_MB"] = static_cast<double>(fs.files["/in.csv"].size()) / 1e6;
}
BENCHMARK(BM_ImportWebMail100k)->Unit(benchmark::kMillisecond);

// The filing alone of 100,000 records like the imported ones: its share of the import.
void BM_FilingShareOfImport(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CRecordList records = Book(static_cast<int>(state.range(0)), 3);
        std::mt19937 rng(7);
        std::vector<std::unique_ptr<CContactRecord>> incoming;
        for (int i = 0; i < 100000; ++i)
            incoming.push_back(SampleRecord(rng, i));
        state.ResumeTiming();
        {
            CRecordFiler filer(records);
            for (auto& r : incoming)
                filer.File(std::move(r));
        }
        state.PauseTiming();
        records.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_FilingShareOfImport)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
