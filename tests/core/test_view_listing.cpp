#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "view/ContactListing.h"
#include "view/DisplayName.h"
#include "view/ViewLayout.h"
#include <gtest/gtest.h>
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
    const std::vector<std::pair<std::string, int>> table = {
        {"Smith", 18}, {"smith", 18}, {"Adams", 0},     {"zed", 25}, {"#1 Club", -1},
        {"", -1},      {"1st", -1},   {"\xC9mile", -1}, {"[x", -1},  {"`x", -1}};
    for (const auto& [last, letter] : table) {
        CContactRecord r;
        r.m_strLastName = last;
        EXPECT_EQ(LetterIndexOf(r), letter) << last;
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
            marked += static_cast<char>('A' + k);
    EXPECT_EQ(marked, "ASZ") << "#1 Club and an empty last name mark nothing";

    flags = MarkLetterFlags(records, categories, "Personal");
    marked.clear();
    for (int k = 0; k < kLetterCount; ++k)
        if (flags[static_cast<std::size_t>(k)])
            marked += static_cast<char>('A' + k);
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
    EXPECT_EQ(out.letterTabs[25].left, c.tabsLeft + 25 * 15);
    EXPECT_EQ(out.slider, (LayoutRect{c.tabsLeft - 5, 36 + listHeight + 20, 26 * 15 + 12, 24}));
    // The slider ends 3 pixels above the bottom; the pane 7 pixels from the right.
    EXPECT_EQ(out.slider.top + out.slider.height, c.height - 3);
    EXPECT_EQ(out.minWidth, 27 * 15);
    EXPECT_EQ(out.minHeight, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ViewLayoutWidths,
    ::testing::Values(LayoutCase{800, 500, 392, 390, 205},  // half the width each
                      LayoutCase{477, 400, 230, 229, 43},   // (477-16)/2 = 230: no floor
                      LayoutCase{475, 400, 237, 220, 42},   // 229 < 230: the list keeps 237
                      LayoutCase{300, 300, 237, 45, -45},   // narrower than the tab row
                      LayoutCase{200, 300, 237, -55, -95}), // the pane width goes negative
    [](const auto& info) { return "Width" + std::to_string(info.param.width); });
