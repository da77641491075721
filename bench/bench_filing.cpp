// Filing many records into a big book, as import does: the batch filer against the
// walk from the head.
#include "edit/CRecordFiler.h"
#include "edit/FilingRule.h"
#include <benchmark/benchmark.h>
#include <random>
#include <string>

namespace {

std::unique_ptr<CContactRecord> RandomRecord(std::mt19937& rng) {
    // Few enough names that namesakes and numbered duplicates are common.
    std::uniform_int_distribution<int> last(0, 4999), first(0, 299);
    auto r = std::make_unique<CContactRecord>();
    const int l = last(rng);
    r->m_strLastName = std::string(1, static_cast<char>('A' + l % 26)) + "name" + std::to_string(l);
    r->m_strFirstName = "First" + std::to_string(first(rng));
    return r;
}

CRecordList Book(std::mt19937& rng, int count) {
    CRecordList list;
    CRecordFiler filer(list);
    for (int i = 0; i < count; ++i)
        filer.File(RandomRecord(rng));
    return list;
}

void BM_BatchFilerImport(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::mt19937 rng(1);
        CRecordList list = Book(rng, 10000);
        state.ResumeTiming();
        CRecordFiler filer(list);
        for (int i = 0; i < state.range(0); ++i)
            filer.File(RandomRecord(rng));
        filer.Flush();
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BatchFilerImport)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same person over and over: each is numbered behind the run of the ones before.
void BM_BatchFilerTwins(benchmark::State& state) {
    for (auto _ : state) {
        CRecordList list;
        CRecordFiler filer(list);
        for (int i = 0; i < state.range(0); ++i) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = "Smith";
            r->m_strFirstName = "John";
            filer.File(std::move(r));
        }
        filer.Flush();
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BatchFilerTwins)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WalkFromHeadImport(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::mt19937 rng(1);
        CRecordList list = Book(rng, 10000);
        state.ResumeTiming();
        for (int i = 0; i < state.range(0); ++i)
            FileRecord(list, RandomRecord(rng));
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkFromHeadImport)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
