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
