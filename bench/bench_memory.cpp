// Memory of a loaded book against the size of its data file: the heap a load takes, reported as
// bytes and as a multiple of the file size.
#include "model/CKinbookDoc.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include <benchmark/benchmark.h>
#include <filesystem>
#include <malloc.h>

namespace {

class SilentBox final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string&, const std::string&, MbIcon, MbButtons) override {
        return MbResult::Ok;
    }
};

// Bytes the heap has handed out and not taken back.
long HeapInUse() {
    return static_cast<long>(mallinfo2().uordblks + mallinfo2().hblkhd);
}

void BM_LoadedBookMemory(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kinbook-bench-mem-" + std::to_string(count)))
            .string();
    SilentBox box;
    {
        CKinbookDoc writer(box, RealFileSystem());
        CSampleBook(7).Fill(writer.GetCategories(), writer.GetRecords(), count);
        writer.Save(path);
    }
    const double fileSize = static_cast<double>(std::filesystem::file_size(path));
    double grown = 0;
    for (auto _ : state) {
        const long before = HeapInUse();
        CKinbookDoc doc(box, RealFileSystem());
        doc.Load(path);
        grown = static_cast<double>(HeapInUse() - before);
        benchmark::DoNotOptimize(doc.GetRecords().size());
    }
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".uids");
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["heap_MB"] = grown / 1e6;
    state.counters["x_file"] = grown / fileSize;
}
BENCHMARK(BM_LoadedBookMemory)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
