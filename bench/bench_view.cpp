// What one refresh of the main view costs on a large book: the list walk, the letter
// walk and the lookup of the selected entry's record.
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "view/ContactListing.h"
#include "view/DetailText.h"
#include <benchmark/benchmark.h>
#include <map>
#include <random>

namespace {

struct Book {
    CCategoryList categories;
    CRecordList records;
};

const Book& MakeBook(std::size_t count) {
    static std::map<std::size_t, Book> books;
    auto [it, made] = books.try_emplace(count);
    if (!made)
        return it->second;
    Book& book = it->second;
    book.categories.ResetToDefaults();
    std::mt19937 random(7);
    for (std::size_t i = 0; i < count; ++i) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = std::string(1, static_cast<char>('A' + random() % 26)) + "ast" +
                           std::to_string(random() % 5000);
        r->m_strFirstName = "First" + std::to_string(i);
        r->m_nCategory = static_cast<std::uint16_t>(random() % 3);
        r->m_strItem[0] = "555-" + std::to_string(1000 + i % 9000);
        r->m_nItemLabel[0] = LABEL_HOME;
        book.records.push_back(std::move(r));
    }
    return book;
}

void BM_Refresh(benchmark::State& state) {
    const Book& book = MakeBook(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        CContactListing listing = ListContacts(book.records, book.categories, "All", 18);
        auto flags = MarkLetterFlags(book.records, book.categories, "All");
        // The selected entry is traced back to its record by name.
        const CContactRecord* selected =
            listing.entries.empty()
                ? nullptr
                : FindByDisplayName(book.records, listing.entries.back().displayName);
        benchmark::DoNotOptimize(flags);
        benchmark::DoNotOptimize(selected);
        if (selected)
            benchmark::DoNotOptimize(ComposeDetailText(*selected, book.categories));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Refresh)->Arg(1000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace
