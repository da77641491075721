// A page drawn from where the counting pass saw it start must be exactly the page that
// laying the job out from its first record draws: checked on random books and settings
// with fixed metrics, every drawn text, box and line of every page.
#include "FakeClock.h"
#include "RecordingSurface.h"
#include "model/CCategoryList.h"
#include "print/CPaperSize.h"
#include "print/CPrintJob.h"
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace {

struct Drawn {
    std::vector<std::tuple<int, int, PrintFontId, std::string>> texts;
    std::vector<std::tuple<int, int, int, int, bool, PenStyle>> rects;
    std::vector<std::tuple<int, int, int, int, PenStyle>> lines;
    bool operator==(const Drawn&) const = default;
};

Drawn Page(CPrintJob& job, RecordingSurface& surface, int page, bool fromFirstRecord) {
    surface.Clear();
    job.SetLayOutFromFirstRecord(fromFirstRecord);
    job.PrintPage(surface, page);
    Drawn d;
    for (const auto& t : surface.texts)
        d.texts.emplace_back(t.x, t.y, t.font, t.text);
    for (const auto& r : surface.rects)
        d.rects.emplace_back(r.left, r.top, r.right, r.bottom, r.filled, r.pen);
    for (const auto& l : surface.lines)
        d.lines.emplace_back(l.x1, l.y1, l.x2, l.y2, l.pen);
    return d;
}

std::string Word(std::mt19937& rng, std::size_t maxLength) {
    static const std::string letters = "aAbBcdeEfgMmnoOpqrsStuvwxyzZ 09-'#";
    std::string s;
    const std::size_t n = rng() % (maxLength + 1);
    for (std::size_t i = 0; i < n; ++i)
        s += letters[rng() % letters.size()];
    return s;
}

// Random records in filing order by their first letter, some with nothing but a name,
// some with long texts and line breaks that run over columns and pages.
CRecordList RandomBook(std::mt19937& rng, std::size_t count) {
    CRecordList records;
    for (std::size_t i = 0; i < count; ++i) {
        auto r = std::make_unique<CContactRecord>();
        const char first = static_cast<char>('A' + 26 * i / count);
        r->m_strLastName = rng() % 40 == 0 ? std::string() : first + Word(rng, 30);
        r->m_strFirstName = Word(rng, 12);
        r->m_nCategory = static_cast<std::uint16_t>(rng() % 4);
        if (rng() % 4 != 0) {
            r->m_strTitle = Word(rng, 20);
            r->m_strOtherRef = Word(rng, 50);
            for (std::size_t k = 0; k < rng() % 8; ++k) {
                r->m_strItem[k] = Word(rng, 40);
                r->m_nItemLabel[k] = static_cast<std::uint8_t>(rng() % 7);
            }
            r->m_strAddress = Word(rng, 30) + "\r\n" + Word(rng, 30);
            r->m_strCity = Word(rng, 10);
            r->m_strOtherInfo[rng() % 4] = Word(rng, 200);
            r->m_strNotes = Word(rng, 300) + "\r\n\r\n" + Word(rng, 100);
        }
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace

TEST(PrintPageStarts, EveryPageAsFromTheFirstRecord) {
    std::mt19937 rng(20261207);
    CCategoryList categories;
    categories.ResetToDefaults();
    categories.AddTail("Family");
    FakeClock clock;
    const char* categoryNames[] = {"All", "Unfiled", "Business", "Family"};
    for (int round = 0; round < 60; ++round) {
        const CRecordList records = RandomBook(rng, 20 + rng() % 120);
        CPrintSettings s;
        s.m_strSelectedSize = std::string(CPaperSize::All()[rng() % 5].m_strName);
        s.m_strBookCategory = categoryNames[rng() % 4];
        s.m_nPrintData = static_cast<int>(rng() % 64);
        s.m_bAlphaPageBreak = rng() % 2 == 0;
        s.m_bBorder = rng() % 2 == 0;
        s.m_bContactNotes = rng() % 2 == 0;
        s.m_dTopMargin = s.m_dLeftMargin = 0.25;
        RecordingSurface surface;
        // Tall lines fill pages sooner, and a heading may fill a column by itself.
        surface.metrics[PrintFontId::Heading].m_nHeight = 300 + static_cast<int>(rng() % 3000);
        surface.charWidth = 60 + static_cast<int>(rng() % 200);

        const bool record = round % 5 == 4;
        const CContactRecord* one = records[rng() % records.size()].get();
        CPrintJob job(record ? PrintMode::Record : PrintMode::Book, s, records, categories,
                      record ? one : nullptr, clock);
        const int pages = job.BeginPrinting(surface);
        ASSERT_EQ(job.PageStarts().size(), static_cast<std::size_t>(pages));
        for (int page = 1; page <= pages; ++page) {
            const Drawn fast = Page(job, surface, page, false);
            const Drawn slow = Page(job, surface, page, true);
            ASSERT_EQ(fast, slow) << "round " << round << ", page " << page << " of " << pages;
        }
    }
}

TEST(PrintPageStarts, APageOfALongNoteBreaksOnlyItsOwnLines) {
    CContactRecord record;
    record.m_strLastName = "Long";
    std::mt19937 rng(7);
    while (record.m_strNotes.size() < 200'000)
        record.m_strNotes += Word(rng, 12) + (rng() % 50 == 0 ? "\r\n" : " ");
    CPrintSettings s;
    s.m_bContactNotes = true;
    const CRecordList none;
    CCategoryList categories;
    FakeClock clock;
    RecordingSurface surface;
    CPrintJob job(PrintMode::Record, s, none, categories, &record, clock);
    const int pages = job.BeginPrinting(surface);
    ASSERT_GT(pages, 20);
    // Drawing every page measures about what counting them did, not the note once a page.
    const std::size_t counting = surface.measuredBytes;
    surface.measuredBytes = 0;
    for (int page = 1; page <= pages; ++page)
        job.PrintPage(surface, page);
    EXPECT_LT(surface.measuredBytes, 2 * counting);
    EXPECT_EQ(Page(job, surface, pages, false), Page(job, surface, pages, true));
}

TEST(PrintPageStarts, CancelledCountLeavesNoPages) {
    CCategoryList categories;
    categories.ResetToDefaults();
    std::mt19937 rng(7);
    const CRecordList records = RandomBook(rng, 300);
    CPrintSettings s;
    s.m_strSelectedSize = std::string(kSizePocket);
    s.m_dTopMargin = s.m_dLeftMargin = 0;
    FakeClock clock;
    RecordingSurface surface;
    CPrintJob job(PrintMode::Book, s, records, categories, nullptr, clock);
    const int pages = job.BeginPrinting(surface);
    ASSERT_GT(pages, 5);

    std::vector<int> told;
    EXPECT_EQ(job.BeginPrinting(surface,
                                [&](int done) {
                                    told.push_back(done);
                                    return done < 3;
                                }),
              -1);
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(job.GetPageCount(), 0);
    EXPECT_TRUE(job.PageStarts().empty());

    // Counting again without a cancel gives the whole book back.
    told.clear();
    EXPECT_EQ(job.BeginPrinting(surface,
                                [&](int done) {
                                    told.push_back(done);
                                    return true;
                                }),
              pages);
    EXPECT_EQ(told.size(), static_cast<std::size_t>(pages - 1));
}

// A count taken in steps (as a preview counts while it shows the first pages) must find
// the same page starts as one pass, whatever the step, for books and single records.
TEST(PrintPageStarts, CountInStepsFindsTheSameStarts) {
    std::mt19937 rng(1207);
    CCategoryList categories;
    categories.ResetToDefaults();
    FakeClock clock;
    for (int round = 0; round < 40; ++round) {
        const CRecordList records = RandomBook(rng, 20 + rng() % 200);
        CPrintSettings s;
        s.m_strSelectedSize = std::string(CPaperSize::All()[rng() % 5].m_strName);
        s.m_nPrintData = static_cast<int>(rng() % 64);
        s.m_bAlphaPageBreak = rng() % 2 == 0;
        s.m_bContactNotes = true;
        RecordingSurface surface;
        surface.metrics[PrintFontId::Heading].m_nHeight = 300 + static_cast<int>(rng() % 3000);
        const bool record = round % 4 == 3;
        const CContactRecord* one = records[rng() % records.size()].get();
        CPrintJob whole(record ? PrintMode::Record : PrintMode::Book, s, records, categories,
                        record ? one : nullptr, clock);
        const int pages = whole.BeginPrinting(surface);
        ASSERT_GT(pages, 0);

        CPrintJob stepped(record ? PrintMode::Record : PrintMode::Book, s, records, categories,
                          record ? one : nullptr, clock);
        stepped.BeginCounting(surface);
        EXPECT_EQ(stepped.PagesKnown(), 1); // page 1 always exists
        const int step = 1 + static_cast<int>(rng() % 5);
        int steps = 0;
        int known = stepped.PagesKnown();
        while (!stepped.CountOn(surface, step)) {
            ASSERT_EQ(stepped.PagesKnown(), known + step) << "round " << round;
            ASSERT_EQ(stepped.GetPageCount(), 0);
            known = stepped.PagesKnown();
            ASSERT_LT(++steps, pages + 1);
        }
        EXPECT_TRUE(stepped.Counted());
        EXPECT_TRUE(stepped.CountOn(surface, step)); // nothing left to count
        ASSERT_EQ(stepped.GetPageCount(), pages) << "round " << round;
        ASSERT_EQ(stepped.PageStarts(), whole.PageStarts()) << "round " << round;
        // A page drawn from a stepped count is the page the whole count draws.
        const int page = 1 + static_cast<int>(rng() % static_cast<unsigned>(pages));
        ASSERT_EQ(Page(stepped, surface, page, false), Page(whole, surface, page, false));
    }
}
