#include "FakeClock.h"
#include "FakeMessageBox.h"
#include "RecordingSurface.h"
#include "model/CCategoryList.h"
#include "print/CPageGeometry.h"
#include "print/CPrintJob.h"
#include "print/CPrintText.h"
#include "print/LineBreaker.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first = {}) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    return r;
}

// A book or record job over the fixed-metrics surface, with every page drawn and kept.
struct PrintedJob {
    RecordingSurface surface;
    std::vector<std::vector<RecordingSurface::Text>> pageTexts;
    std::vector<std::vector<RecordingSurface::Line>> pageLines;
    std::vector<std::vector<RecordingSurface::Rect>> pageRects;
    int pages = 0;
    CPageGeometry geometry;

    void Run(PrintMode mode, const CPrintSettings& settings, const CRecordList& records,
             const CCategoryList& categories, const CContactRecord* record = nullptr) {
        FakeClock clock;
        CPrintJob job(mode, settings, records, categories, record, clock);
        pages = job.BeginPrinting(surface);
        geometry = job.Geometry();
        EXPECT_TRUE(surface.texts.empty()) << "the counting pass draws nothing";
        for (int n = 1; n <= pages; ++n) {
            surface.Clear();
            job.PrintPage(surface, n);
            pageTexts.push_back(surface.texts);
            pageLines.push_back(surface.lines);
            pageRects.push_back(surface.rects);
        }
    }
    // Page (1-based) and the drawn text, or page 0 when it was not drawn.
    std::pair<int, RecordingSurface::Text> Where(const std::string& text) const {
        for (std::size_t p = 0; p < pageTexts.size(); ++p)
            for (const auto& t : pageTexts[p])
                if (t.text == text)
                    return {static_cast<int>(p) + 1, t};
        return {0, {}};
    }
};

CPrintSettings Settings(std::string_view size, bool border = false) {
    CPrintSettings s;
    s.m_strSelectedSize = std::string(size);
    s.m_bBorder = border;
    s.m_dTopMargin = 0;
    s.m_dLeftMargin = 0;
    s.m_strBookCategory = "All";
    s.m_nPrintData = 0;
    return s;
}

class PrintLayout : public ::testing::Test {
protected:
    void SetUp() override { categories.ResetToDefaults(); }
    // Names that sort and file in the order given, each with only its name printed.
    void AddNames(const std::string& prefix, int count) {
        for (int i = 0; i < count; ++i)
            records.push_back(Person(prefix + std::to_string(100 + i)));
    }
    CRecordList records;
    CCategoryList categories;
};

// Heading line height 312 (300 + 12), body 230 (220 + 10); heading advance 314.
constexpr int kHeadLine = 312;
constexpr int kBodyLine = 230;

} // namespace

struct GeometryCase {
    std::string_view size;
    bool border;
    double top, left;
    int y0, yb, x1, x2, ruleX, outlineRight, outlineBottom, footerY;
};

class PageGeometryTable : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(PageGeometryTable, DerivedPositions) {
    const auto& c = GetParam();
    CPrintSettings s = Settings(c.size, c.border);
    s.m_dTopMargin = c.top;
    s.m_dLeftMargin = c.left;
    const CPageGeometry g = CPageGeometry::Compute(s);
    EXPECT_EQ(g.m_nY0, c.y0);
    EXPECT_EQ(g.m_nYB, c.yb);
    EXPECT_EQ(g.m_nX1, c.x1);
    EXPECT_EQ(g.m_nX2, c.x2);
    EXPECT_EQ(g.m_nRuleX, c.ruleX);
    EXPECT_EQ(g.m_nOutlineLeft, CPageGeometry::InchesToTwips(c.left));
    EXPECT_EQ(g.m_nOutlineTop, CPageGeometry::InchesToTwips(c.top));
    EXPECT_EQ(g.m_nOutlineRight, c.outlineRight);
    EXPECT_EQ(g.m_nOutlineBottom, c.outlineBottom);
    EXPECT_EQ(g.m_nFooterX, c.x1);
    EXPECT_EQ(g.m_nFooterY, c.footerY);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PageGeometryTable,
    ::testing::Values(
        GeometryCase{kSizeRegular, false, 0, 0, 360, 14472, 720, 6121, 5760, 11520, 15120, 14760},
        // Any other text is laid out as Regular; names compare without case.
        GeometryCase{"Letter", false, 0, 0, 360, 14472, 720, 6121, 5760, 11520, 15120, 14760},
        GeometryCase{"monarch (8 1/2\" x 11\")", false, 0.5, 0.25, 1080, 15192, 1080, 6481, 6120,
                     11880, 15840, 15480},
        GeometryCase{kSizeClassic, true, 1, 1.25, 1943, 12457, 2448, 5761, 5400, 9000, 12960,
                     12600},
        // One column with the border: the table as it stands.
        GeometryCase{kSizeCompact, true, 1.875, 1.875, 2916, 11917, 3276, 8893, 8532, 8820, 12420,
                     12060},
        // Without the border: up by the Y offset, 360 twips to the left, footer moved up.
        GeometryCase{kSizeCompact, false, 0, 0, 0, 9001, 216, 5833, 5472, 5760, 9504, 9144},
        GeometryCase{kSizePocket, true, 2.25, 2.25, 3456, 11377, 3743, 8353, 7992, 8280, 11880,
                     11520},
        GeometryCase{kSizePocket, false, 0, 0, 0, 7921, 143, 4753, 4392, 4680, 8424, 8064},
        // Margins truncate toward zero: 0.0007 inch is 1.008 twips.
        GeometryCase{kSizeRegular, false, 0.0007, 0.0007, 361, 14473, 721, 6122, 5761, 11521, 15121,
                     14761}));

TEST(PrintText, BookFollowsContentFlagsAndRecordPrintsAll) {
    CContactRecord r;
    r.m_strLastName = "Smith";
    r.m_strFirstName = "John";
    r.m_strTitle = "Manager";
    r.m_strOtherRef = "ref";
    r.m_strItem[0] = "555-0100";
    r.m_nItemLabel[0] = LABEL_HOME;
    r.m_strItem[3] = "555-0111"; // no label
    r.m_strAddress = "12 Elm Street";
    r.m_strState = "OH";
    r.m_strCountry = "USA";
    r.m_strOtherInfo[2] = "info3";
    r.m_strNotes = "Met at the fair.";

    using E = CPrintEntry;
    const std::vector<E> all{{"", "Smith, John"},
                             {"", "Manager"},
                             {"", "ref"},
                             {"Home:", " 555-0100"},
                             {"Other:", " 555-0111"},
                             {"", "12 Elm Street"},
                             {"", "OH"},
                             {"", "USA"},
                             {"", "info3"},
                             {"Notes:", " Met at the fair."}};
    EXPECT_EQ(CPrintText::ForBook(r, 63).Entries(), all);
    EXPECT_EQ(CPrintText::ForRecord(r, true).Entries(), all);
    auto noNotes = all;
    noNotes.pop_back();
    EXPECT_EQ(CPrintText::ForRecord(r, false).Entries(), noNotes);

    // The default 12: phones and address only; the name always.
    const std::vector<E> phonesAddress{{"", "Smith, John"},
                                       {"Home:", " 555-0100"},
                                       {"Other:", " 555-0111"},
                                       {"", "12 Elm Street"},
                                       {"", "OH"},
                                       {"", "USA"}};
    EXPECT_EQ(CPrintText::ForBook(r, 12).Entries(), phonesAddress);
    EXPECT_EQ(CPrintText::ForBook(r, 64 + 12).Entries(), phonesAddress) << "higher bits ignored";

    r.m_strFirstName.clear();
    r.m_strCity = "Dayton";
    const auto t = CPrintText::ForBook(r, PRINT_ADDRESS);
    ASSERT_EQ(t.Entries().size(), 4u);
    EXPECT_EQ(t.Entries()[0].m_strText, "Smith");
    EXPECT_EQ(t.Entries()[2].m_strText, "Dayton, OH");
    EXPECT_TRUE(t.HasName());
    EXPECT_EQ(t.FirstCharacter(), 'S');
}

struct BreakCase {
    const char* name;
    CPrintEntry entry;
    int width;
    int labelWidth;
    std::vector<CPrintLine> lines;
};

class LineBreaking : public ::testing::TestWithParam<BreakCase> {};

TEST_P(LineBreaking, BreaksBetweenWordsOrInsideALongOne) {
    const auto& c = GetParam();
    const auto lines = BreakEntry(c.entry, c.width, c.labelWidth, [](std::string_view t) {
        return 100 * static_cast<int>(t.size());
    });
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineBreaking,
    ::testing::Values(
        BreakCase{"Fits", {"", "abc"}, 1000, 0, {{"", "abc"}}},
        // The character that reaches the width stays on its line.
        BreakCase{"ReachesExactly", {"", "abcdef"}, 300, 0, {{"", "abc"}, {"", "def"}}},
        BreakCase{"PassesWidth", {"", "abcdef"}, 250, 0, {{"", "abc"}, {"", "def"}}},
        // Inside a word, and one blank after the break is dropped (only one).
        BreakCase{"DropsOneBlank", {"", "abc  de"}, 300, 0, {{"", "abc"}, {"", " de"}}},
        BreakCase{
            "CrLfEndsLine", {"", "12 Elm\r\nApt 4"}, 5000, 0, {{"", "12 Elm"}, {"", "Apt 4"}}},
        BreakCase{
            "EmptyLineBetweenPairs", {"", "a\r\n\r\nb"}, 5000, 0, {{"", "a"}, {"", ""}, {"", "b"}}},
        BreakCase{"TrailingPairAddsNothing", {"", "a\r\n"}, 5000, 0, {{"", "a"}}},
        // The label counts on the first line only and is carried by it alone.
        BreakCase{"LabelOnFirstLine",
                  {"Home:", " 1234567890123"},
                  800,
                  500,
                  {{"Home:", " 12"}, {"", "34567890"}, {"", "123"}}},
        BreakCase{"LabelAloneReaches", {"Notes:", " ab"}, 500, 600, {{"Notes:", " "}, {"", "ab"}}},
        // Lines break between words; the blank at the break is dropped.
        BreakCase{"WordGoesWhole", {"", "every year"}, 700, 0, {{"", "every"}, {"", "year"}}},
        // A blank that reaches the width is the break, and dropped.
        BreakCase{"BlankReaches", {"", "every year"}, 600, 0, {{"", "every"}, {"", "year"}}},
        BreakCase{"LongWordAfterABreak",
                  {"", "ab cdefghij"},
                  500,
                  0,
                  {{"", "ab"}, {"", "cdefg"}, {"", "hij"}}},
        BreakCase{"LabelledWords",
                  {"Notes:", " one two three"},
                  900,
                  300,
                  {{"Notes:", " one"}, {"", "two three"}}},
        BreakCase{
            "OnlyTheLastBlankIsDropped", {"", "ab  cdef"}, 600, 0, {{"", "ab "}, {"", "cdef"}}},
        BreakCase{"WordBeforeALineEnd",
                  {"", "abc de\r\nf"},
                  500,
                  0,
                  {{"", "abc"}, {"", "de"}, {"", "f"}}},
        // A multi-byte character is never split.
        BreakCase{"Utf8Whole",
                  {"", "\xC3\xA9\xC3\xA9\xC3\xA9"},
                  400,
                  0,
                  {{"", "\xC3\xA9\xC3\xA9"}, {"", "\xC3\xA9"}}}),
    [](const ::testing::TestParamInfo<BreakCase>& info) { return std::string(info.param.name); });

TEST_F(PrintLayout, RegularBookRunsTwoColumnsWithTheRule) {
    AddNames("A", 100); // each name one heading line
    PrintedJob job;
    job.Run(PrintMode::Book, Settings(kSizeRegular), records, categories);

    // Column 1: heading, then 45 names (the 45th fills it); column 2: 46; page 2: 9.
    EXPECT_EQ(job.pages, 2);
    auto heading = job.Where("A");
    EXPECT_EQ(heading.first, 1);
    EXPECT_EQ(heading.second.x, 720 + (4680 - 100) / 2);
    EXPECT_EQ(heading.second.y, 360);
    EXPECT_EQ(heading.second.font, PrintFontId::Heading);
    auto first = job.Where("A100");
    EXPECT_EQ(first.second.y, 360 + kHeadLine + 2);
    EXPECT_EQ(first.second.x, 720);
    auto lastOfColumn1 = job.Where("A144");
    EXPECT_EQ(lastOfColumn1.first, 1);
    EXPECT_EQ(lastOfColumn1.second.x, 720);
    auto topOfColumn2 = job.Where("A145");
    EXPECT_EQ(topOfColumn2.first, 1);
    EXPECT_EQ(topOfColumn2.second.x, 6121);
    EXPECT_EQ(topOfColumn2.second.y, 360);
    EXPECT_EQ(job.Where("A190").first, 1);
    auto page2 = job.Where("A191");
    EXPECT_EQ(page2.first, 2);
    EXPECT_EQ(page2.second.x, 720);
    EXPECT_EQ(page2.second.y, 360);

    // The letter heading: a grey box under the letter and an outline inset by 2.
    ASSERT_GE(job.pageRects[0].size(), 2u);
    const auto& box = job.pageRects[0][0];
    EXPECT_TRUE(box.filled);
    EXPECT_EQ(job.surface.fillColour.r, 192);
    EXPECT_EQ(box.left, 720);
    EXPECT_EQ(box.top, 360);
    EXPECT_EQ(box.right, 720 + 4680);
    EXPECT_EQ(box.bottom, 360 + kHeadLine - 60 + 40);
    const auto& frame = job.pageRects[0][1];
    EXPECT_FALSE(frame.filled);
    EXPECT_EQ(frame.left, 722);
    EXPECT_EQ(frame.top, 362);
    EXPECT_EQ(frame.right, 720 + 4680 - 2);
    EXPECT_EQ(frame.bottom, box.bottom);

    // The rule between the columns on every page, solid; no outline without border.
    for (int p = 0; p < job.pages; ++p) {
        ASSERT_EQ(job.pageLines[static_cast<std::size_t>(p)].size(), 1u);
        const auto& rule = job.pageLines[static_cast<std::size_t>(p)][0];
        EXPECT_EQ(rule.x1, 5760);
        EXPECT_EQ(rule.x2, 5760);
        EXPECT_EQ(rule.y1, 360);
        EXPECT_EQ(rule.y2, 14472);
        EXPECT_EQ(rule.pen, PenStyle::Solid);
    }
    // Each page draws only its own names.
    EXPECT_EQ(job.pageTexts[0].size(), 1u + 91u + 1u); // heading, names, footer
    EXPECT_EQ(job.pageTexts[1].size(), 9u + 1u);
}

TEST_F(PrintLayout, CompactBookRunsOneColumnWithoutRule) {
    AddNames("A", 40);
    PrintedJob job;
    job.Run(PrintMode::Book, Settings(kSizeCompact, true), records, categories);
    const auto& g = job.geometry;
    // Column: (9001 - 314) / 312 = 27.8 -> the 28th name fills page 1.
    EXPECT_EQ(job.pages, 2);
    EXPECT_EQ(job.Where("A127").first, 1);
    auto next = job.Where("A128");
    EXPECT_EQ(next.first, 2);
    EXPECT_EQ(next.second.x, g.m_nX1);
    EXPECT_EQ(next.second.y, g.m_nY0);
    for (const auto& lines : job.pageLines)
        EXPECT_TRUE(lines.empty());
    // The border: a dashed outline of the paper size, then the solid pen.
    ASSERT_FALSE(job.pageRects[1].empty());
    const auto& outline = job.pageRects[1][0];
    EXPECT_EQ(outline.pen, PenStyle::Dash);
    EXPECT_EQ(outline.right - outline.left, 6120);
    EXPECT_EQ(outline.bottom - outline.top, 9720);
}

TEST_F(PrintLayout, EntriesAreIndentedAndLabelled) {
    auto r = Person("Smith", "John");
    r->m_strItem[0] = std::string(45, '1');
    r->m_nItemLabel[0] = LABEL_HOME;
    r->m_strAddress = "12 Elm\r\nApt 4";
    records.push_back(std::move(r));
    PrintedJob job;
    auto s = Settings(kSizeRegular);
    s.m_nPrintData = PRINT_PHONES | PRINT_ADDRESS;
    job.Run(PrintMode::Book, s, records, categories);

    int y = 360 + kHeadLine + 2;
    EXPECT_EQ(job.Where("Smith, John").second.y, y);
    y += kHeadLine;
    // Width 4680 - 155 = 4525: label (500) and 41 characters reach it.
    auto label = job.Where("Home:");
    EXPECT_EQ(label.second.x, 720 + 155);
    EXPECT_EQ(label.second.y, y);
    EXPECT_EQ(label.second.font, PrintFontId::Label);
    auto text = job.Where(" " + std::string(40, '1'));
    EXPECT_EQ(text.second.x, 720 + 155 + 500);
    EXPECT_EQ(text.second.font, PrintFontId::Body);
    y += kBodyLine;
    EXPECT_EQ(job.Where("11111").second.y, y);
    EXPECT_EQ(job.Where("11111").second.x, 720 + 155);
    y += kBodyLine;
    EXPECT_EQ(job.Where("12 Elm").second.y, y);
    EXPECT_EQ(job.Where("Apt 4").second.y, y + kBodyLine);
}

TEST_F(PrintLayout, LongNameBreaksInsideAWord) {
    // Column 4680: the 47th character (4700) reaches it and stays on the first line.
    std::string last = std::string(46, 'a') + "bc"; // 48 letters
    records.push_back(Person(last, "Jo"));
    PrintedJob job;
    job.Run(PrintMode::Book, Settings(kSizeRegular), records, categories);
    auto line1 = job.Where(std::string(46, 'a') + "b");
    ASSERT_EQ(line1.first, 1);
    auto line2 = job.Where("c, Jo");
    ASSERT_EQ(line2.first, 1);
    EXPECT_EQ(line2.second.y, line1.second.y + kHeadLine);

    // A blank right after the reaching character is dropped, and only that one.
    records.clear();
    records.push_back(Person(std::string(46, 'z'), " Jo"));
    PrintedJob job2;
    job2.Run(PrintMode::Book, Settings(kSizeRegular), records, categories);
    EXPECT_EQ(job2.Where(std::string(46, 'z') + ",").first, 1);
    EXPECT_EQ(job2.Where(" Jo").first, 1);
}

TEST_F(PrintLayout, HeadingThatFillsTheColumnPushesTheName) {
    // 44 names leave y at 674 + 44 * 312 = 14402: the B heading still fits there, its
    // advance (314) fills the column, and the name goes to the top of column 2.
    AddNames("A", 44);
    records.push_back(Person("Brown"));
    PrintedJob job;
    job.Run(PrintMode::Book, Settings(kSizeRegular), records, categories);
    auto heading = job.Where("B");
    EXPECT_EQ(heading.first, 1);
    EXPECT_EQ(heading.second.y, 14402);
    EXPECT_LT(heading.second.x, 5760);
    auto name = job.Where("Brown");
    EXPECT_EQ(name.first, 1);
    EXPECT_EQ(name.second.x, 6121);
    EXPECT_EQ(name.second.y, 360);
    EXPECT_EQ(job.pages, 1);

    // On a one-column size the name goes to the next page.
    records.clear();
    AddNames("A", 27); // Compact with border: 314 + 27 * 312 = 8738 below Y0
    records.push_back(Person("Brown"));
    PrintedJob compact;
    compact.Run(PrintMode::Book, Settings(kSizeCompact, true), records, categories);
    EXPECT_EQ(compact.Where("B").first, 1);
    EXPECT_EQ(compact.Where("Brown").first, 2);
    EXPECT_EQ(compact.Where("Brown").second.y, compact.geometry.m_nY0);
    EXPECT_EQ(compact.pages, 2);
}

TEST_F(PrintLayout, NewPagePerLetterSkipsTheFirstHeading) {
    // 45 A names fill column 1 exactly, so B would open column 2 at its top; with new
    // page per letter it opens a page instead.
    AddNames("A", 45);
    records.push_back(Person("Brown"));
    records.push_back(Person("Clark"));
    auto s = Settings(kSizeRegular);
    s.m_bAlphaPageBreak = true;
    PrintedJob job;
    job.Run(PrintMode::Book, s, records, categories);
    EXPECT_EQ(job.pages, 3);
    EXPECT_EQ(job.Where("A").first, 1);
    EXPECT_EQ(job.Where("A").second.y, 360);
    for (const char* letter : {"B", "C"}) {
        auto h = job.Where(letter);
        EXPECT_EQ(h.second.y, 360) << letter;
        EXPECT_LT(h.second.x, 5760) << letter;
    }
    EXPECT_EQ(job.Where("B").first, 2);
    EXPECT_EQ(job.Where("C").first, 3);

    s.m_bAlphaPageBreak = false;
    PrintedJob together;
    together.Run(PrintMode::Book, s, records, categories);
    EXPECT_EQ(together.pages, 1);
    EXPECT_EQ(together.Where("B").second.x, 6121 + (4680 - 100) / 2);
}

TEST_F(PrintLayout, SectionsFollowTheLetterTabsWithOtherNamesLast) {
    // In filing order, bytes above 127 sort after Z and punctuation before A; the book
    // still prints A to Z, a diacritic under its base letter, then "#" for the rest.
    records.push_back(Person("#1 Club"));
    records.push_back(Person("adams"));
    records.push_back(Person("Allen"));
    records.push_back(Person("baker"));
    records.push_back(Person("Zed"));
    records.push_back(Person("\xC3\x89tienne"));                                   // Étienne
    records.push_back(Person("\xC5ngstr\xF6m"));                                   // Windows-1252
    records.push_back(Person("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2")); // Иванов
    PrintedJob job;
    job.Run(PrintMode::Book, Settings(kSizeRegular), records, categories);
    std::vector<std::string> order;
    for (const auto& t : job.pageTexts[0])
        if (t.font == PrintFontId::Heading)
            order.push_back(t.text);
    EXPECT_EQ(order,
              (std::vector<std::string>{"A", "adams", "Allen", "\xC5ngstr\xF6m", "B", "baker", "E",
                                        "\xC3\x89tienne", "Z", "Zed", "#", "#1 Club",
                                        "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"}));
}

TEST_F(PrintLayout, CategoryFilterAndEmptyBook) {
    auto a = Person("Able");
    a->m_nCategory = 2; // Personal
    records.push_back(std::move(a));
    records.push_back(Person("Baker")); // Business
    auto s = Settings(kSizeRegular, true);
    s.m_strBookCategory = "personal";
    PrintedJob job;
    job.Run(PrintMode::Book, s, records, categories);
    EXPECT_EQ(job.Where("Able").first, 1);
    EXPECT_EQ(job.Where("Baker").first, 0);

    // A category without records: one page with the footer only (no border on Regular
    // in the dialogs, but a job with it set still outlines the page).
    s.m_strBookCategory = "Unfiled";
    PrintedJob empty;
    empty.Run(PrintMode::Book, s, records, categories);
    EXPECT_EQ(empty.pages, 1);
    ASSERT_EQ(empty.pageTexts[0].size(), 1u);
    EXPECT_EQ(empty.pageTexts[0][0].text, "Page 1 : 03/05/24 - 02:07 PM");
    EXPECT_EQ(empty.pageTexts[0][0].font, PrintFontId::Footer);
    EXPECT_EQ(empty.pageTexts[0][0].x, 720);
    EXPECT_EQ(empty.pageTexts[0][0].y, 15120 - 360);
}

TEST_F(PrintLayout, RecordEndingAtTheBottomAddsAFooterOnlyPage) {
    // Name 312, blank 230, then each line 230: 360 + 312 + 230 + 59 * 230 = 14472 = YB.
    for (int lines : {58, 59}) {
        CContactRecord r;
        r.m_strLastName = "Smith";
        r.m_strNotes = "n";
        for (int i = 1; i < lines; ++i)
            r.m_strNotes += "\r\nn";
        CPrintSettings s = Settings(kSizeRegular);
        s.m_bContactNotes = true;
        PrintedJob job;
        job.Run(PrintMode::Record, s, records, categories, &r);
        EXPECT_EQ(job.pages, lines == 59 ? 2 : 1) << lines;
        if (lines == 59) {
            ASSERT_EQ(job.pageTexts[1].size(), 1u);
            EXPECT_EQ(job.pageTexts[1][0].font, PrintFontId::Footer);
        }
        auto name = job.Where("Smith");
        EXPECT_EQ(name.second.y, 360);
        EXPECT_EQ(name.second.x, 720);
        EXPECT_EQ(job.Where("Notes:").second.y, 360 + kHeadLine + kBodyLine);
        // The record prints in one column, but the rule still divides a two-column size.
        EXPECT_EQ(job.pageLines[0].size(), 1u);
    }
}

TEST_F(PrintLayout, RecordLayoutRunsOnOverPages) {
    CContactRecord r;
    r.m_strLastName = "Jones";
    r.m_strFirstName = "Ann";
    CPrintSettings s = Settings(kSizePocket, false);
    PrintedJob nameOnly;
    nameOnly.Run(PrintMode::Record, s, records, categories, &r);
    EXPECT_EQ(nameOnly.pages, 1);
    EXPECT_EQ(nameOnly.Where("Jones, Ann").second.x, 143);
    EXPECT_EQ(nameOnly.Where("Jones, Ann").second.y, 0);
    EXPECT_TRUE(nameOnly.pageLines[0].empty());

    // Pocket without border: 7921 deep; 312 + 230 + k * 230 >= 7921 after 33 lines.
    for (int i = 0; i < 4; ++i)
        r.m_strOtherInfo[static_cast<std::size_t>(i)] = std::string(38 * 10, 'x');
    PrintedJob job;
    job.Run(PrintMode::Record, s, records, categories, &r);
    // 3889 wide: 39 characters a line, 10 lines per info, 40 lines in all.
    EXPECT_EQ(job.pages, 2);
    int page2Lines = 0;
    for (const auto& t : job.pageTexts[1])
        if (t.font == PrintFontId::Body)
            ++page2Lines;
    EXPECT_EQ(page2Lines, 40 - 33);
    EXPECT_EQ(job.pageTexts[1][0].y, 0);
}

TEST(PrintJob, FontsAndFooter) {
    CPrintFont font;
    font.m_strFaceName = "Times";
    font.m_nHeight = -9;
    EXPECT_EQ(CPrintJob::FontFor(PrintFontId::Footer, font), (CFontRequest{"Times", 140, 400}));
    EXPECT_EQ(CPrintJob::FontFor(PrintFontId::Body, font), (CFontRequest{"Times", 180, 400}));
    EXPECT_EQ(CPrintJob::FontFor(PrintFontId::Label, font), (CFontRequest{"Times", 180, 700}));
    EXPECT_EQ(CPrintJob::FontFor(PrintFontId::Heading, font), (CFontRequest{"Times", 240, 700}));

    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 0;
    t.tm_min = 5;
    EXPECT_EQ(CPrintJob::FooterText(12, t), "Page 12 : 12/31/26 - 12:05 AM");
}

struct PauseCase {
    bool pause, preview;
    int page, first, last, jobLast;
    bool asks;
};

class PausePrompt : public ::testing::TestWithParam<PauseCase> {};

TEST_P(PausePrompt, AsksOnlyPastTheFirstPageOfTheRange) {
    const auto& c = GetParam();
    FakeMessageBox box;
    box.answers.push_back(MbResult::Cancel);
    const bool goOn =
        CPrintJob::ConfirmPage(box, c.pause, c.preview, c.page, c.first, c.last, c.jobLast);
    ASSERT_EQ(box.shown.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(goOn, !c.asks) << "Cancel ends the job before the page";
    if (c.asks) {
        EXPECT_EQ(box.shown[0].text, "Press enter to continue printing.");
        EXPECT_EQ(box.shown[0].caption, "Paused Printing");
        EXPECT_EQ(box.shown[0].icon, MbIcon::Exclamation);
        EXPECT_EQ(box.shown[0].buttons, MbButtons::OkCancel);
    }
}

INSTANTIATE_TEST_SUITE_P(Range, PausePrompt,
                         ::testing::Values(PauseCase{true, false, 3, 3, 5, 9, false},
                                           PauseCase{true, false, 4, 3, 5, 9, true},
                                           PauseCase{true, false, 5, 3, 5, 9, true},
                                           PauseCase{true, false, 6, 3, 5, 9, false},
                                           PauseCase{true, false, 5, 3, 5, 4, false},
                                           PauseCase{true, true, 4, 3, 5, 9, false},
                                           PauseCase{false, false, 4, 3, 5, 9, false}));
