#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "view/DetailText.h"
#include "view/FitText.h"
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

CCategoryList DefaultCategories() {
    CCategoryList list;
    list.ResetToDefaults();
    return list;
}

// Splits on CR LF; a trailing CR LF gives a last empty element.
std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find("\r\n", start);
        if (at == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
}

CContactRecord OnlyLastName(const std::string& last) {
    CContactRecord r;
    r.m_strLastName = last;
    return r;
}

} // namespace

TEST(DetailText, FullRecordLineByLine) {
    CContactRecord r;
    r.m_strFirstName = "John";
    r.m_strLastName = "Smith";
    r.m_strTitle = "Manager";
    r.m_strOtherRef = "Met through Ann";
    r.m_nCategory = 1;
    r.m_strItem[0] = "555-0100";
    r.m_nItemLabel[0] = LABEL_HOME;
    r.m_strItem[2] = "555-0199";
    r.m_nItemLabel[2] = LABEL_MOBILE;
    r.m_strItem[3] = "555-0111";
    r.m_strAddress = "12 Elm Street";
    r.m_strCity = "Springfield";
    r.m_strZip = "12345";
    r.m_strNotes = "Met at the fair.";

    const std::string text = ComposeDetailText(r, DefaultCategories());
    const std::vector<std::string> expected = {"Category: Business",
                                               "John Smith",
                                               "",
                                               "Manager",
                                               "Met through Ann",
                                               "",
                                               "Home: 555-0100",
                                               "Mobile: 555-0199",
                                               "Other: 555-0111",
                                               "",
                                               "12 Elm Street",
                                               "Springfield",
                                               "12345",
                                               "",
                                               "NOTES: ",
                                               "Met at the fair."};
    EXPECT_EQ(SplitCrLf(text), expected);
    // Every line break is CR LF and nothing follows the notes.
    EXPECT_EQ(text.find('\n', 0) - 1, text.find('\r'));
    EXPECT_EQ(text.back(), '.');
}

struct DetailCase {
    const char* name;
    CContactRecord record;
    std::string expected;
};

class DetailTextEdges : public ::testing::TestWithParam<DetailCase> {};

TEST_P(DetailTextEdges, ComposesExactBytes) {
    EXPECT_EQ(ComposeDetailText(GetParam().record, DefaultCategories()), GetParam().expected);
}

std::vector<DetailCase> DetailCases() {
    std::vector<DetailCase> cases;
    cases.push_back({"OnlyLastNameEndsInBlankLine", OnlyLastName("Smith"),
                     "Category: Business\r\nSmith\r\n\r\n"});
    {
        CContactRecord r = OnlyLastName("");
        r.m_nCategory = 0;
        cases.push_back({"EmptyLastNameStillHasNameLine", r, "Category: Unfiled\r\n\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_nCategory = 7;
        cases.push_back({"UnknownCategoryIsUnfiled", r, "Category: Unfiled\r\nX\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_strState = "OH";
        cases.push_back({"StateWithoutCity", r, "Category: Business\r\nX\r\n\r\nOH\r\n\r\n"});
        r.m_strCity = "Dayton";
        cases.push_back({"CityAndState", r, "Category: Business\r\nX\r\n\r\nDayton, OH\r\n\r\n"});
        r.m_strState.clear();
        cases.push_back({"CityWithoutState", r, "Category: Business\r\nX\r\n\r\nDayton\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_strOtherRef = "ref";
        r.m_strCountry = "Canada";
        r.m_strOtherInfo[2] = "third";
        cases.push_back({"OtherRefCountryAndOtherInfo", r,
                         "Category: Business\r\nX\r\n\r\nref\r\n\r\nCanada\r\n\r\nthird\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_strTitle = " ";
        r.m_strAddress = "1 Road\r\nFlat 2";
        cases.push_back({"BlankTitleCountsAndAddressKeepsBreaks", r,
                         "Category: Business\r\nX\r\n\r\n \r\n\r\n1 Road\r\nFlat 2\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_strItem[6] = "w";
        r.m_nItemLabel[6] = LABEL_WORK;
        r.m_strItem[4] = "f";
        r.m_nItemLabel[4] = LABEL_FAX;
        r.m_nItemLabel[1] = LABEL_HOME; // a label without text shows nothing
        cases.push_back({"ItemsInSlotOrderSkippingEmpty", r,
                         "Category: Business\r\nX\r\n\r\nFax: f\r\nWork: w\r\n\r\n"});
    }
    {
        CContactRecord r = OnlyLastName("X");
        r.m_strNotes = "a\r\nb\r\n";
        cases.push_back(
            {"NotesKeepTheirOwnEnd", r, "Category: Business\r\nX\r\n\r\nNOTES: \r\na\r\nb\r\n"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Edges, DetailTextEdges, ::testing::ValuesIn(DetailCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetailText, ItemCaptions) {
    const std::vector<std::pair<int, std::string>> table = {
        {0, "Home: "},   {1, "Work: "},  {2, "Mobile: "}, {3, "Pager: "},  {4, "Fax: "},
        {5, "E-Mail: "}, {6, "Other: "}, {7, "Other: "},  {255, "Other: "}};
    for (const auto& [label, caption] : table)
        EXPECT_EQ(ItemLabelText(static_cast<std::uint8_t>(label)), caption) << label;
}

TEST(DetailText, ColumnCaptionAndItemTextFollowTheDefaultItem) {
    CContactRecord r;
    r.m_nDefaultItem = 2;
    r.m_nItemLabel[2] = LABEL_MOBILE;
    EXPECT_EQ(ItemColumnCaption(r), "") << "an empty default item gives no caption";
    r.m_strItem[2] = "555";
    r.m_strItem[0] = "first";
    EXPECT_EQ(ItemColumnCaption(r), "Mobile: ");
    EXPECT_EQ(DefaultItemText(r), "555");
    r.m_nItemLabel[2] = LABEL_NONE;
    EXPECT_EQ(ItemColumnCaption(r), "Other: ");
    r.m_nDefaultItem = 9;
    EXPECT_EQ(ItemColumnCaption(r), "") << "an out-of-range default item gives no caption";
    EXPECT_EQ(DefaultItemText(r), "first") << "the list falls back to item 1";
}

namespace {
// Every byte is 10 units wide.
int TenPerByte(std::string_view s) {
    return static_cast<int>(s.size()) * 10;
}
} // namespace

TEST(FitText, ShortensToTheLongestFittingPrefix) {
    struct Case {
        std::string text;
        int width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Smith", 50, "Smith"},                                // exactly fits
        {"Smith", 49, "S..."},                                 // "Sm..." is 50
        {"Smith, John", 70, "Smit..."}, {"Smith", 10, "S..."}, // one character even when too wide
        {"Smith", -5, "S..."},          {"", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitTextToWidth(c.text, c.width, TenPerByte), c.expected)
            << c.text << " " << c.width;
}

TEST(FitText, NeverSplitsAUtf8Character) {
    // "ÉÉÉÉ" in UTF-8: two bytes a character.
    const std::string text = "\xC3\x89\xC3\x89\xC3\x89\xC3\x89";
    EXPECT_EQ(FitTextToWidth(text, 60, TenPerByte), "\xC3\x89...");
    // Not valid UTF-8: bytes are characters.
    EXPECT_EQ(FitTextToWidth("\xE9\xE9\xE9\xE9\xE9", 45, TenPerByte), "\xE9...");
}

TEST(FitText, StopsAtTheFirstPrefixThatIsTooWide) {
    // A width function that is not monotonic: the rule stops at the first failure.
    auto odd = [](std::string_view s) { return s == "ab..." ? 100 : static_cast<int>(s.size()); };
    EXPECT_EQ(FitTextToWidth("abcdefghijkl", 8, odd), "a...");
}
