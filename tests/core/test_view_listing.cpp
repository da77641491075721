#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "view/ContactListing.h"
#include "view/DisplayName.h"
#include "view/ViewLayout.h"
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

CContactRecord& Add(CRecordList& records, const std::string& last, const std::string& first = "",
                    std::uint16_t category = 1) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    r->m_nCategory = category;
    records.push_back(std::move(r));
    return *records.back();
}

std::vector<std::string> Names(const CContactListing& listing) {
    std::vector<std::string> names;
    for (const auto& e : listing.entries)
        names.push_back(e.displayName);
    return names;
}

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        categories.ResetToDefaults();
        categories.AddTail("Golf"); // 3
        Add(records, "Smith", "John", 1);
        Add(records, "smith", "anna", 2);
        Add(records, "#1 Club", "", 1);
        Add(records, "", "Nobody", 1);
        Add(records, "Adams", "", 3);
        Add(records, "Sanders", "Zoe", 1).m_strItem[0] = "555-0001";
        Add(records, "Zed", "", 9); // unknown category
    }
    CCategoryList categories;
    CRecordList records;
};

} // namespace

TEST(DisplayName, LastCommaFirstOrLastAlone) {
    CContactRecord r;
    r.m_strLastName = "Smith";
    EXPECT_EQ(DisplayName(r), "Smith");
    r.m_strFirstName = "John";
    EXPECT_EQ(DisplayName(r), "Smith, John");
    EXPECT_TRUE(DisplayNameEquals(r, "SMITH, john"));
    EXPECT_FALSE(DisplayNameEquals(r, "Smith,John"));
    EXPECT_FALSE(DisplayNameEquals(r, "Smith; John"));
    EXPECT_FALSE(DisplayNameEquals(r, "Smith"));
    r.m_strLastName.clear();
    EXPECT_EQ(DisplayName(r), ", John");
    EXPECT_TRUE(DisplayNameEquals(r, ", JOHN"));
}

TEST(DisplayName, LetterOfARecord) {
    // A to Z in either case, a Latin letter with a diacritic under its base letter (also
    // when stored in Windows-1252), everything else under "#" (26).
    const std::vector<std::pair<std::string, int>> table = {
        {"Smith", 18},
        {"smith", 18},
        {"Adams", 0},
        {"zed", 25},
        {"\xC3\x85ngstr\xC3\xB6m", 0}, // Ångström
        {"\xC3\xA4rger", 0},           // ärger
        {"\xC3\x98stergaard", 14},     // Østergaard
        {"\xC3\x96"
         "berg",
         14},                  // Öberg
        {"\xC5\x81ukasz", 11}, // Łukasz
        {"\xC5\x82ukasz", 11}, // łukasz
        {"\xC3\x9F", 18},      // ß
        {"\xC3\x89mile", 4},   // Émile
        {"\xC9mile", 4},       // Émile in Windows-1252
        {"\xC5ngstr\xF6m", 0}, // Ångström in Windows-1252
        {"\x8A"
         "evic",
         18},                                                     // Š in Windows-1252
        {"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2", 26}, // Иванов
        {"\xE7\x94\xB0\xE4\xB8\xAD", 26},                         // 田中
        {"\xC3\x86r\xC3\xB8", 26},                                // Ærø: a ligature, no diacritic
        {"#1 Club", 26},
        {"", 26},
        {"1st", 26},
        {" Smith", 26},
        {"[x", 26},
        {"`x", 26},
        {"\xCC\x88"
         "a",
         26}, // a combining mark first
    };
    for (const auto& [last, letter] : table) {
        CContactRecord r;
        r.m_strLastName = last;
        EXPECT_EQ(LetterIndexOf(r), letter) << last;
    }
    EXPECT_EQ(LetterText(0), "A");
    EXPECT_EQ(LetterText(25), "Z");
    EXPECT_EQ(LetterText(kOtherLetter), "#");
}

// Whatever their names, the 27 letters together list every record of the category once.
TEST(ContactListing, NoRecordIsMissingFromTheLetters) {
    CCategoryList categories;
    categories.ResetToDefaults();
    CRecordList records;
    std::mt19937 rng(12);
    const std::vector<std::string> starts = {
        "",  "A", "z",    "\xC3\x85", "\xC5", "\xE7\x94\xB0", "\xD0\x98",         "1",
        " ", "#", "\xC3", "\xFF",     "\x81", "\xCC\x88",     "\xF0\x9F\x98\x80", "\xC3\x9F"};
    for (int i = 0; i < 400; ++i) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = starts[rng() % starts.size()] + starts[rng() % starts.size()];
        r->m_nCategory = static_cast<std::uint16_t>(rng() % 3);
        records.push_back(std::move(r));
    }
    for (const char* filter : {"All", "Business", "Unfiled"}) {
        std::multiset<const CContactRecord*> listed;
        int count = 0;
        for (int letter = 0; letter < kLetterCount; ++letter) {
            const CContactListing l = ListContacts(records, categories, filter, letter);
            count = l.categoryRecordCount;
            for (const auto& e : l.entries)
                listed.insert(e.record);
        }
        EXPECT_EQ(static_cast<int>(listed.size()), count) << filter;
        for (const auto* r : listed)
            EXPECT_EQ(listed.count(r), 1u);
    }
}

TEST_F(ListingTest, AllCategoriesUnderOneLetterSortedIgnoringCase) {
    const CContactListing s = ListContacts(records, categories, "all", 18);
    EXPECT_EQ(Names(s), (std::vector<std::string>{"Sanders, Zoe", "smith, anna", "Smith, John"}));
    EXPECT_EQ(s.categoryRecordCount, 7) << "every record counts, with or without a letter";
    EXPECT_EQ(s.entries[0].itemText, "555-0001");
    EXPECT_EQ(s.entries[2].record, records[0].get());
}

TEST_F(ListingTest, OneCategoryCountsAllItsRecords) {
    const CContactListing business = ListContacts(records, categories, "BUSINESS", 18);
    EXPECT_EQ(Names(business), (std::vector<std::string>{"Sanders, Zoe", "Smith, John"}));
    EXPECT_EQ(business.categoryRecordCount, 4) << "#1 Club and the nameless record count too";

    const CContactListing golf = ListContacts(records, categories, "Golf", 18);
    EXPECT_TRUE(golf.entries.empty());
    EXPECT_EQ(golf.categoryRecordCount, 1);

    // A name that is no category selects index 0, the unfiled records.
    EXPECT_EQ(ListContacts(records, categories, "Nowhere", 25).categoryRecordCount, 0);
    EXPECT_EQ(ListContacts(CRecordList{}, categories, "All", 0).categoryRecordCount, 0);
}

TEST_F(ListingTest, LetterFlagsOfACategory) {
    auto flags = MarkLetterFlags(records, categories, "All");
    std::string marked;
    for (int k = 0; k < kLetterCount; ++k)
        if (flags[static_cast<std::size_t>(k)])
            marked += LetterText(k);
    EXPECT_EQ(marked, "ASZ#") << "#1 Club and an empty last name mark the \"#\" tab";

    flags = MarkLetterFlags(records, categories, "Personal");
    marked.clear();
    for (int k = 0; k < kLetterCount; ++k)
        if (flags[static_cast<std::size_t>(k)])
            marked += LetterText(k);
    EXPECT_EQ(marked, "S");
}

TEST_F(ListingTest, NamesThatDifferOnlyInCaseResolveToTheFirstRecord) {
    Add(records, "SMITH", "JOHN", 2);
    std::size_t pos = 99;
    EXPECT_EQ(FindByDisplayName(records, "smith, john", &pos), records[0].get());
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(FindByDisplayName(records, "Adams", &pos), records[4].get());
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(FindByDisplayName(records, "Smith", &pos), nullptr);
}

TEST_F(ListingTest, TheCommandLineFindsEveryRecordOfANameAsTheUserReadsIt) {
    Add(records, "SMITH", "JOHN", 2);
    Add(records, "Caf\xE9", "Jo", 2);     // Windows-1252
    Add(records, "CAF\xC3\x89", "jo", 1); // UTF-8, another case
    const auto smiths = FindAllByDisplayName(records, "smith, john");
    ASSERT_EQ(smiths.size(), 2u);
    EXPECT_EQ(smiths[0], records[0].get());
    EXPECT_EQ(smiths[1], records[7].get());
    const auto cafes = FindAllByDisplayName(records, "Caf\xC3\xA9, Jo");
    ASSERT_EQ(cafes.size(), 1u) << "only ASCII letters fold";
    EXPECT_EQ(cafes[0], records[8].get());
    EXPECT_EQ(FindAllByDisplayName(records, "CAF\xC3\x89, JO").size(), 1u);
    EXPECT_TRUE(FindAllByDisplayName(records, "Smith").empty());
    std::size_t pos = 0;
    EXPECT_EQ(FindRecord(records, records[3].get(), &pos), records[3].get());
    EXPECT_EQ(pos, 3u);
    CContactRecord stranger;
    EXPECT_EQ(FindRecord(records, &stranger), nullptr);
}

TEST(ViewLayout, DialogUnitsToPixels) {
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(MapDialogRect(FormTemplate::kContactList, units), (LayoutRect{11, 36, 225, 172}));
    EXPECT_EQ(MapDialogRect(FormTemplate::LetterTab(25), units), (LayoutRect{386, 215, 15, 16}));
}

struct LayoutCase {
    int width;
    int height;
    int list;     // list width b
    int pane;     // pane width d
    int tabsLeft; // x0
};

class ViewLayoutWidths : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ViewLayoutWidths, ListPaneTabsAndSlider) {
    const LayoutCase& c = GetParam();
    LayoutInput in;
    in.clientWidth = c.width;
    in.clientHeight = c.height;
    in.listTop = 36;
    in.nameLabel = {300, 16, 10, 20};
    in.categoryFilter = {71, 11, 100, 22};
    in.tabWidth = 15;
    in.tabHeight = 16;
    in.sliderHeight = 24;

    const LayoutResult out = LayoutControls(in);
    const int listHeight = c.height - 16 - 24 - 36 - 7;
    EXPECT_EQ(out.contactList, (LayoutRect{7, 36, c.list, listHeight}));
    EXPECT_EQ(out.detailPane, (LayoutRect{c.list + 11, 36, c.pane, listHeight}));
    EXPECT_EQ(out.nameLabel, (LayoutRect{c.list + 11, 16, c.pane, 20}));
    EXPECT_EQ(out.categoryFilter, (LayoutRect{71, 11, c.list - 71 + 7, 22}));
    EXPECT_EQ(out.letterTabs[0], (LayoutRect{c.tabsLeft, 36 + listHeight + 2, 15, 16}));
    EXPECT_EQ(out.letterTabs[26].left, c.tabsLeft + 26 * 15) << "the \"#\" tab after Z";
    EXPECT_EQ(out.slider, (LayoutRect{c.tabsLeft - 5, 36 + listHeight + 20, 27 * 15 + 12, 24}));
    // The slider ends 3 pixels above the bottom; the pane 7 pixels from the right.
    EXPECT_EQ(out.slider.top + out.slider.height, c.height - 3);
    EXPECT_EQ(out.minWidth, 28 * 15);
    EXPECT_EQ(out.minHeight, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ViewLayoutWidths,
    ::testing::Values(LayoutCase{800, 500, 392, 390, 197},   // half the width each
                      LayoutCase{477, 400, 230, 229, 36},    // (477-16)/2 = 230: no floor
                      LayoutCase{475, 400, 237, 220, 35},    // 229 < 230: the list keeps 237
                      LayoutCase{300, 300, 237, 45, -52},    // narrower than the tab row
                      LayoutCase{200, 300, 237, -55, -102}), // the pane width goes negative
    [](const auto& info) { return "Width" + std::to_string(info.param.width); });
