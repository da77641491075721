// How long a book takes to lay out: the counting pass, and every page drawn, each page
// re-running the layout from the first record. And one record whose note runs to
// megabytes, every page drawn: a page costs what it shows, not the whole note again.
#include "model/CCategoryList.h"
#include "port/IClock.h"
#include "print/CPaperSize.h"
#include "print/CPrintJob.h"
#include <benchmark/benchmark.h>
#include <string>

namespace {

// Fixed metrics and no output: the layout's own cost.
class NullSurface final : public IPageSurface {
public:
    void CreateFont(PrintFontId, const CFontRequest&) override {}
    void SelectFont(PrintFontId) override {}
    CFontMetrics GetMetrics() override { return {240, 192, 48, 30, 10}; }
    int GetTextWidth(std::string_view text) override { return 110 * static_cast<int>(text.size()); }
    void DrawText(int, int, std::string_view) override {}
    void FillRect(int, int, int, int, CRgb) override {}
    void FrameRect(int, int, int, int) override {}
    void DrawLine(int, int, int, int) override {}
    void SetPen(PenStyle) override {}
};

CRecordList MakeBook(int count) {
    CRecordList records;
    for (int i = 0; i < count; ++i) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName =
            std::string(1, static_cast<char>('A' + i * 26 / count)) + "surname" + std::to_string(i);
        r->m_strFirstName = "Firstname";
        r->m_strItem[0] = "(555) 555-0100";
        r->m_nItemLabel[0] = LABEL_HOME;
        r->m_strItem[1] = "someone.somewhere@example.com";
        r->m_nItemLabel[1] = LABEL_EMAIL;
        r->m_strAddress = "1234 Long Street Name\r\nApartment 56";
        r->m_strCity = "Springfield";
        r->m_strState = "IL";
        r->m_strZip = "62701";
        records.push_back(std::move(r));
    }
    return records;
}

void PrintBook(benchmark::State& state, std::string_view size, bool allPages) {
    const CRecordList records = MakeBook(static_cast<int>(state.range(0)));
    CCategoryList categories;
    categories.ResetToDefaults();
    CPrintSettings settings;
    settings.m_strSelectedSize = std::string(size);
    settings.m_dTopMargin = settings.m_dLeftMargin = 0;
    SystemClock clock;
    NullSurface surface;
    int pages = 0;
    for (auto _ : state) {
        CPrintJob job(PrintMode::Book, settings, records, categories, nullptr, clock);
        pages = job.BeginPrinting(surface);
        if (allPages) {
            for (int n = 1; n <= pages; ++n)
                job.PrintPage(surface, n);
        }
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
}

void BM_CountRegular(benchmark::State& s) {
    PrintBook(s, kSizeRegular, false);
}
void BM_AllPagesRegular(benchmark::State& s) {
    PrintBook(s, kSizeRegular, true);
}
void BM_AllPagesPocket(benchmark::State& s) {
    PrintBook(s, kSizePocket, true);
}

// Words of prose, a paragraph break now and then.
std::string LongNote(std::size_t bytes) {
    static const char* const kWords[] = {"the", "quick", "brown", "fox", "jumps", "over",
                                         "a",   "lazy",  "dog",   "and", "keeps", "running"};
    std::string note;
    for (std::size_t n = 0; note.size() < bytes; ++n) {
        note += kWords[n % 12];
        note += n % 97 == 96 ? "\r\n" : " ";
    }
    return note;
}

void BM_PrintLongNote(benchmark::State& state) {
    CContactRecord record;
    record.m_strLastName = "Longnote";
    record.m_strNotes = LongNote(static_cast<std::size_t>(state.range(0)) * 1024);
    const CRecordList records;
    CCategoryList categories;
    categories.ResetToDefaults();
    CPrintSettings settings;
    settings.m_bContactNotes = true;
    SystemClock clock;
    NullSurface surface;
    int pages = 0;
    for (auto _ : state) {
        CPrintJob job(PrintMode::Record, settings, records, categories, &record, clock);
        pages = job.BeginPrinting(surface);
        for (int n = 1; n <= pages; ++n)
            job.PrintPage(surface, n);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
}

} // namespace

BENCHMARK(BM_PrintLongNote)->Arg(256)->Arg(2560)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountRegular)->Arg(300)->Arg(3000);
BENCHMARK(BM_AllPagesRegular)->Arg(300)->Arg(3000);
BENCHMARK(BM_AllPagesPocket)->Arg(300)->Arg(3000);
