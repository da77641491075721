#include "model/CCategoryFilter.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"
#include <gtest/gtest.h>

TEST(NoCase, FoldsAsciiOnlyAndSortsPrefixFirst) {
    EXPECT_EQ(kb::CompareNoCase("Smith", "SMITH"), 0);
    EXPECT_LT(kb::CompareNoCase("Smit", "smith"), 0);
    EXPECT_GT(kb::CompareNoCase("b", "A"), 0);
    // Bytes compare unsigned: an accented letter sorts after z.
    EXPECT_GT(kb::CompareNoCase("\xC3\xA9", "z"), 0);
    // Only A-Z fold: '[' (0x5B) is not '{' (0x7B).
    EXPECT_NE(kb::CompareNoCase("[", "{"), 0);
    EXPECT_TRUE(kb::StartsWithNoCase("All", "al"));
}

TEST(NoCase, DecodedComparisonOrdersTextAsTheUserReadsIt) {
    // "été" stored in Windows-1252 and "čaj" in UTF-8: as bytes, 0xE9 sorts after 0xC4;
    // read as text, é (U+00E9) comes before č (U+010D).
    EXPECT_GT(kb::CompareNoCase("\xE9t\xE9", "\xC4\x8D"
                                             "aj"),
              0);
    EXPECT_LT(kb::CompareNoCaseDecoded("\xE9t\xE9", "\xC4\x8D"
                                                    "aj"),
              0);
    EXPECT_EQ(kb::CompareNoCaseDecoded("CAF\xE9", "caf\xC3\xA9"), 0);
    EXPECT_TRUE(kb::EqualsNoCaseDecoded("CAF\xE9", "caf\xC3\xA9"));
    EXPECT_FALSE(kb::EqualsNoCaseDecoded("Caf\xE9", "Cafe"));
    EXPECT_LT(kb::CompareNoCaseDecoded("Smit", "SMITH"), 0);
}

TEST(CategoryFilter, AllOrOneCategory) {
    CCategoryList list;
    list.ResetToDefaults();
    list.AddTail("Caf\xE9");
    CContactRecord unfiled, personal, cafe;
    unfiled.m_nCategory = 0;
    personal.m_nCategory = 2;
    cafe.m_nCategory = 3;
    const auto includes = [&](const CCategoryFilter& f) {
        return std::vector<bool>{f.Includes(unfiled), f.Includes(personal), f.Includes(cafe)};
    };
    EXPECT_TRUE(CCategoryFilter().IsAll());
    EXPECT_EQ(includes(CCategoryFilter()), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(CCategoryFilter::FromChoice(list, "aLl").IsAll());
    EXPECT_EQ(includes(CCategoryFilter::FromChoice(list, "PERSONAL")),
              (std::vector<bool>{false, true, false}));
    EXPECT_EQ(CCategoryFilter::FromChoice(list, "caf\xC3\xA9").Index(), 3);
    // A name no category has selects the unfiled records, as the category lookup falls back.
    EXPECT_EQ(includes(CCategoryFilter::FromChoice(list, "Gone")),
              (std::vector<bool>{true, false, false}));
    EXPECT_FALSE(CCategoryFilter::Only(0).IsAll());
    EXPECT_EQ(includes(CCategoryFilter::Only(3)), (std::vector<bool>{false, false, true}));
}

TEST(CategoryList, DefaultsLookupsAndFallbacks) {
    CCategoryList list;
    list.ResetToDefaults();
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list.NameOf(0), "Unfiled");
    EXPECT_EQ(list.NameOf(1), "Business");
    EXPECT_EQ(list.NameOf(2), "Personal");
    EXPECT_EQ(list.IndexOf("business"), 1);
    EXPECT_EQ(list.IndexOf("All"), 0);
    EXPECT_EQ(list.IndexOf("Nowhere"), 0);
    EXPECT_EQ(list.NameOf(7), "Unfiled");
    list.AddTail("Business");
    EXPECT_EQ(list.IndexOf("BUSINESS"), 1) << "the earlier of two equal names wins";
}

TEST(ContactRecord, DefaultsAndItemLookupByLabel) {
    CContactRecord r;
    EXPECT_EQ(r.m_nCategory, 1);
    EXPECT_EQ(r.m_nDefaultItem, 0);
    for (auto label : r.m_nItemLabel)
        EXPECT_EQ(label, LABEL_NONE);

    r.m_strItem[1] = "two";
    r.m_nItemLabel[1] = LABEL_HOME;
    r.m_strItem[4] = "five";
    r.m_nItemLabel[4] = LABEL_HOME;
    EXPECT_EQ(r.GetItemByLabel(LABEL_HOME), "two");

    CContactRecord s;
    s.m_nItemLabel[0] = LABEL_HOME; // labelled, empty text
    s.m_strItem[2] = "three";
    s.m_nItemLabel[2] = LABEL_HOME;
    EXPECT_EQ(s.GetItemByLabel(LABEL_HOME), "");
    s.m_strItem[3] = "unlabelled";
    EXPECT_EQ(s.GetItemByLabel(LABEL_NONE), "");
}
