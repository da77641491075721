#include "FakeMessageBox.h"
#include "model/CCategoryList.h"
#include "print/CPaperSize.h"
#include "print/CPrintOptions.h"
#include <gtest/gtest.h>

struct MarginCase {
    std::string_view size;
    bool border;
    double top, left;
};

class DefaultMargins : public ::testing::TestWithParam<MarginCase> {};

TEST_P(DefaultMargins, BySizeAndBorder) {
    const auto& c = GetParam();
    double top = 7, left = 7;
    CPaperSize::DefaultMargins(c.size, c.border, top, left);
    EXPECT_EQ(top, c.top);
    EXPECT_EQ(left, c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultMargins,
    ::testing::Values(MarginCase{kSizeRegular, true, 0, 0}, MarginCase{kSizeMonarch, false, 0, 0},
                      MarginCase{kSizeClassic, true, 1, 1.25},
                      MarginCase{kSizeClassic, false, 0, 0},
                      MarginCase{kSizeCompact, true, 1.875, 1.875},
                      MarginCase{"COMPACT (4 1/4\" x 6 3/4\")", true, 1.875, 1.875},
                      MarginCase{kSizePocket, true, 2.25, 2.25},
                      MarginCase{kSizePocket, false, 0, 0},
                      // Unknown with border: left as they were.
                      MarginCase{"Letter", true, 7, 7}, MarginCase{"Letter", false, 0, 0}));

TEST(PrintOptions, OpeningFillsUnsetValues) {
    CPrintSettings s;
    s.m_strSelectedSize.clear();
    s.m_bBorder = true;
    CPrintOptions o(s);
    o.Open();
    EXPECT_EQ(o.Settings().m_strSelectedSize, kSizeRegular);
    EXPECT_FALSE(o.Settings().m_bBorder) << "Regular never has the border";
    EXPECT_FALSE(o.IsBorderEnabled());
    EXPECT_EQ(o.Settings().m_dTopMargin, 0.0);
    EXPECT_EQ(o.Settings().m_dLeftMargin, 0.0);

    // A stored size is matched like a list selection; margins once set stay.
    s.m_strSelectedSize = "pocket";
    s.m_dTopMargin = 0.5;
    s.m_dLeftMargin = 0.25;
    CPrintOptions pocket(s);
    pocket.Open();
    EXPECT_EQ(pocket.Settings().m_strSelectedSize, kSizePocket);
    EXPECT_TRUE(pocket.Settings().m_bBorder);
    EXPECT_TRUE(pocket.IsBorderEnabled());
    EXPECT_EQ(pocket.Settings().m_dTopMargin, 0.5);

    // A size the list does not hold becomes Regular rather than an empty choice.
    s.m_strSelectedSize = "Tabloid";
    CPrintOptions unknown(s);
    unknown.Open();
    EXPECT_EQ(unknown.Settings().m_strSelectedSize, kSizeRegular);
}

TEST(PrintOptions, SizeBorderAndDefaults) {
    CPrintSettings s;
    CPrintOptions o(s);
    o.Open();
    o.SetFont("Courier", 14.4);
    EXPECT_EQ(o.Settings().m_font.m_strFaceName, "Courier");
    EXPECT_EQ(o.Settings().m_font.m_nHeight, -14);

    o.SetSize(kSizePocket);
    EXPECT_TRUE(o.IsBorderEnabled());
    EXPECT_EQ(o.Settings().m_font.m_strFaceName, "ARIAL") << "a new size drops a chosen font";
    EXPECT_EQ(o.Settings().m_font.m_nHeight, -8);
    EXPECT_EQ(o.Settings().m_dTopMargin, 0.0) << "border still off";

    o.SetBorder(true);
    EXPECT_EQ(o.Settings().m_dTopMargin, 2.25);
    EXPECT_EQ(o.Settings().m_dLeftMargin, 2.25);
    o.SetBorder(false);
    EXPECT_EQ(o.Settings().m_dTopMargin, 0.0);
    EXPECT_EQ(o.Settings().m_dLeftMargin, 0.0);
    o.SetBorder(true);
    EXPECT_EQ(o.Settings().m_dTopMargin, 2.25);

    o.SetSize(kSizeClassic);
    EXPECT_TRUE(o.Settings().m_bBorder) << "the border survives a change between small sizes";
    EXPECT_EQ(o.Settings().m_dTopMargin, 1.0);
    EXPECT_EQ(o.Settings().m_dLeftMargin, 1.25);
    EXPECT_EQ(o.Settings().m_font.m_nHeight, -9);

    o.SetSize(kSizeMonarch);
    EXPECT_FALSE(o.Settings().m_bBorder);
    EXPECT_FALSE(o.IsBorderEnabled());
    EXPECT_EQ(o.Settings().m_font.m_nHeight, -12);

    o.Settings().m_dTopMargin = 3;
    o.SetFont("Times", 20);
    o.ApplyDefaults();
    EXPECT_EQ(o.Settings().m_dTopMargin, 0.0);
    EXPECT_EQ(o.Settings().m_font, CPrintFont());
}

struct StoreCase {
    const char* name;
    const char* left;
    const char* top;
    CPrintOptions::MarginField failed;
    const char* message; // empty: none
    double newLeft, newTop;
};

class MarginChecks : public ::testing::TestWithParam<StoreCase> {};

TEST_P(MarginChecks, ReportAndKeepTheLastValidValue) {
    const auto& c = GetParam();
    CPrintSettings s;
    s.m_dLeftMargin = 0.5;
    s.m_dTopMargin = 0.75;
    CPrintOptions o(s);
    FakeMessageBox box;
    EXPECT_EQ(o.StoreMargins(c.left, c.top, box), c.failed);
    if (*c.message) {
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, c.message);
        EXPECT_EQ(box.shown[0].caption, "Kinbook");
        EXPECT_EQ(box.shown[0].icon, MbIcon::Exclamation);
        EXPECT_EQ(box.shown[0].buttons, MbButtons::Ok);
    } else {
        EXPECT_TRUE(box.shown.empty());
    }
    EXPECT_EQ(o.Settings().m_dLeftMargin, c.newLeft);
    EXPECT_EQ(o.Settings().m_dTopMargin, c.newTop);
}

using MF = CPrintOptions::MarginField;
INSTANTIATE_TEST_SUITE_P(
    Texts, MarginChecks,
    ::testing::Values(
        StoreCase{"Valid", "1.25", "2", MF::None, "", 1.25, 2},
        StoreCase{"Blanks", " 8.5 ", "11", MF::None, "", 8.5, 11},
        StoreCase{"ShortForms", ".5", "3.", MF::None, "", 0.5, 3},
        StoreCase{"Exponent", "1e0", "+0", MF::None, "", 1, 0},
        StoreCase{"EmptyLeft", "", "1", MF::Left, "Please enter a number.", 0.5, 0.75},
        StoreCase{"Letters", "abc", "1", MF::Left, "Please enter a number.", 0.5, 0.75},
        StoreCase{"Infinity", "inf", "1", MF::Left, "Please enter a number.", 0.5, 0.75},
        StoreCase{"TwoPoints", "1.2.3", "1", MF::Left, "Please enter a number.", 0.5, 0.75},
        StoreCase{"TopTooLarge", "1", "12", MF::Top, "Please enter a number between 0 and 11.", 1,
                  0.75},
        StoreCase{"LeftTooLarge", "9", "12", MF::Left, "Please enter a number between 0 and 8.5.",
                  0.5, 0.75},
        StoreCase{"Negative", "1", "-0.1", MF::Top, "Please enter a number between 0 and 11.", 1,
                  0.75}),
    [](const ::testing::TestParamInfo<StoreCase>& info) { return std::string(info.param.name); });

TEST(PrintOptions, NumbersShowWithSixSignificantDigits) {
    EXPECT_EQ(CPrintOptions::FormatNumber(1.875), "1.875");
    EXPECT_EQ(CPrintOptions::FormatNumber(2.25), "2.25");
    EXPECT_EQ(CPrintOptions::FormatNumber(0), "0");
    EXPECT_EQ(CPrintOptions::FormatNumber(11), "11");
    EXPECT_EQ(CPrintOptions::FormatNumber(1.0 / 3), "0.333333");
}

TEST(PrintOptions, BookCategorySelection) {
    CCategoryList list;
    list.ResetToDefaults();
    auto entries = CPrintOptions::BookCategoryEntries(list);
    ASSERT_EQ(entries, (std::vector<std::string>{"All", "Business", "Personal", "Unfiled"}));
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, ""), 0);
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, "personal"), 2);
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, "Gone"), 0) << "deleted: All";

    list.AddTail("Aardvarks");
    entries = CPrintOptions::BookCategoryEntries(list);
    EXPECT_EQ(entries.front(), "Aardvarks");
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, ""), 0);
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, "All"), 1);
    EXPECT_EQ(CPrintOptions::SelectBookCategory(entries, "Friends"), 1);
}
