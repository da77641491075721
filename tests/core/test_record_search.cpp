#include "edit/RecordSearch.h"
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

struct SearchCase {
    const char* title;
    std::function<void(CContactRecord&)> fill;
    const char* text;
    const char* scopes; // one character per scope 0..4: 'y' found, '-' not found
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.title;
}

class SearchScopeTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchScopeTest, FindsTheTextOnlyInItsScopes) {
    const SearchCase& c = GetParam();
    CContactRecord r;
    c.fill(r);
    for (int scope = 0; scope < kSearchScopeCount; ++scope) {
        const bool expected = c.scopes[scope] == 'y';
        EXPECT_EQ(FindInRecord(r, c.text, scope) != nullptr, expected) << "scope " << scope;
    }
}

const SearchCase kSearchCases[] = {
    {"SMI finds Smith", [](CContactRecord& r) { r.m_strLastName = "Smith"; }, "SMI", "y--yy"},
    {"SMI finds smith", [](CContactRecord& r) { r.m_strLastName = "smith"; }, "SMI", "y--yy"},
    {"SMI finds Blacksmith", [](CContactRecord& r) { r.m_strLastName = "Blacksmith"; }, "SMI",
     "y--yy"},
    {"first name", [](CContactRecord& r) { r.m_strFirstName = "Anne-Marie"; }, "e-m", "y--yy"},
    {"an unlabelled seventh item", [](CContactRecord& r) { r.m_strItem[6] = "555-0199"; }, "0199",
     "-y-yy"},
    {"an e-mail labelled Fax",
     [](CContactRecord& r) {
         r.m_strItem[2] = "Jo@Example.org";
         r.m_nItemLabel[2] = LABEL_FAX;
     },
     "jo@example", "-y-yy"},
    {"label texts are not searched",
     [](CContactRecord& r) {
         r.m_strItem[0] = "1";
         r.m_nItemLabel[0] = LABEL_MOBILE;
     },
     "Mobile", "-----"},
    {"country", [](CContactRecord& r) { r.m_strCountry = "New Zealand"; }, "zeal", "--yyy"},
    {"a multi-line address", [](CContactRecord& r) { r.m_strAddress = "12 Elm Street\r\nFlat 3"; },
     "street\r\nflat", "--yyy"},
    {"other information is not address",
     [](CContactRecord& r) { r.m_strOtherInfo[3] = "Blue door"; }, "door", "---yy"},
    {"title and other reference",
     [](CContactRecord& r) {
         r.m_strTitle = "Manager";
         r.m_strOtherRef = "Ref 42";
     },
     "42", "---yy"},
    {"notes only in scope 4", [](CContactRecord& r) { r.m_strNotes = "Met at the fair."; }, "FAIR",
     "----y"},
    {"no run across fields",
     [](CContactRecord& r) {
         r.m_strLastName = "Smith";
         r.m_strFirstName = "John";
     },
     "smithjohn", "-----"},
    {"category and default item are not searched",
     [](CContactRecord& r) {
         r.m_nCategory = 2;
         r.m_nDefaultItem = 2;
     },
     "2", "-----"},
    {"case folds in every script: emile finds \xC3\x89mile",
     [](CContactRecord& r) { r.m_strLastName = "\xC3\x89mile"; }, "\xC3\xA9mile", "y--yy"},
    {"\xC5\x82ukasz finds \xC5\x81ukasz",
     [](CContactRecord& r) { r.m_strFirstName = "\xC5\x81ukasz"; }, "\xC5\x82ukasz", "y--yy"},
    {"zoe finds Zo\xC3\xAB", [](CContactRecord& r) { r.m_strFirstName = "Zo\xC3\xAB"; }, "zoe",
     "y--yy"},
    {"muller finds M\xC3\xBCller in the city",
     [](CContactRecord& r) { r.m_strCity = "M\xC3\xBCller"; }, "muller", "--yyy"},
    {"M\xC3\xBCller stored in Windows-1252",
     [](CContactRecord& r) { r.m_strLastName = "M\xFCller"; }, "M\xC3\x9CLLER", "y--yy"},
    {"accents of the find string are ignored too",
     [](CContactRecord& r) { r.m_strLastName = "Zoe"; }, "Zo\xC3\xAB", "y--yy"},
    {"a decomposed accent", [](CContactRecord& r) { r.m_strLastName = "Zoe\xCC\x88"; },
     "ZO\xC3\x8B", "y--yy"},
    {"Cyrillic case",
     [](CContactRecord& r) { r.m_strNotes = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"; },
     "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD", "----y"},
    {"Greek final sigma",
     [](CContactRecord& r) {
         r.m_strLastName = "\xCE\xA3\xCE\x99\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3";
     },
     "\xCF\x83\xCE\xB9\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82", "y--yy"},
    {"ss finds \xC3\x9F",
     [](CContactRecord& r) {
         r.m_strAddress = "Hauptstra\xC3\x9F"
                          "e 1";
     },
     "STRASSE", "--yyy"},
    {"CJK as it is", [](CContactRecord& r) { r.m_strLastName = "\xE7\x94\xB0\xE4\xB8\xAD"; },
     "\xE4\xB8\xAD", "y--yy"},
    {"fran\xC3\xA7 finds Francois", [](CContactRecord& r) { r.m_strLastName = "Francois"; },
     "fran\xC3\xA7", "y--yy"},
    {"an ASCII field never holds a non-ASCII key",
     [](CContactRecord& r) { r.m_strLastName = "Lukasz"; }, "\xC5\x82", "-----"},
};

INSTANTIATE_TEST_SUITE_P(Cases, SearchScopeTest, ::testing::ValuesIn(kSearchCases));

TEST(RecordSearch, FirstFieldOfTheScopeWinsAndEmptyFieldsNeverMatch) {
    CContactRecord r;
    r.m_strFirstName = "Smith";
    r.m_strLastName = "Smithers";
    r.m_strNotes = "smith";
    EXPECT_EQ(FindInRecord(r, "smith", SCOPE_ALL), &r.m_strLastName) << "last name comes first";
    r.m_strLastName.clear();
    EXPECT_EQ(FindInRecord(r, "smith", SCOPE_NAMES), &r.m_strFirstName);
    EXPECT_EQ(FindInRecord(r, "", SCOPE_ALL), nullptr);
    CContactRecord empty;
    EXPECT_EQ(FindInRecord(empty, " ", SCOPE_ALL), nullptr);
    EXPECT_TRUE(SearchFields(r, 5).empty());
    EXPECT_EQ(SearchFields(r, SCOPE_ALL).size(), 21u);
}

TEST(RecordSearch, AHangulSyllableIsNotFoundByPartOfIt) {
    CContactRecord r;
    r.m_strLastName = "\xEA\xB0\x81";                                 // 각 = ᄀ ᅡ ᆨ
    EXPECT_EQ(FindInRecord(r, "\xEA\xB0\x80", SCOPE_NAMES), nullptr); // 가
    EXPECT_NE(FindInRecord(r, "\xEA\xB0\x81", SCOPE_NAMES), nullptr);
    EXPECT_EQ(FindInRecord(r, "\xCC\x88", SCOPE_NAMES), nullptr) << "marks alone find nothing";
}

TEST(RecordSearch, HitsComeInRecordListOrder) {
    CRecordList list;
    for (const char* last : {"Adams", "Blacksmith", "Jones", "smith", "Smithers"}) {
        list.push_back(std::make_unique<CContactRecord>());
        list.back()->m_strLastName = last;
    }
    const auto hits = SearchRecords(list, "SMI", SCOPE_NAMES);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0], list[1].get());
    EXPECT_EQ(hits[1], list[3].get());
    EXPECT_EQ(hits[2], list[4].get());
    EXPECT_TRUE(SearchRecords(list, "smi", SCOPE_ADDRESS).empty());
}

} // namespace
