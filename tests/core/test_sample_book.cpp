// The made-up books of kinbook-cli sample and the benchmarks, and the text decoding that
// kinbook-cli dump shares with the window.
#include "BookBytes.h"
#include "edit/FilingRule.h"
#include "model/CSampleBook.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

// Everything here is local to this file, so that case tables of other suites with
// the same names cannot clash with these.
namespace {

std::string SampleBytes(std::uint64_t seed, std::size_t count) {
    CCategoryList categories;
    CRecordList records;
    CSampleBook(seed).Fill(categories, records, count);
    return WriteBook(categories, records);
}

TEST(SampleBook, TheSameSeedGivesTheSameBytes) {
    EXPECT_EQ(SampleBytes(7, 500), SampleBytes(7, 500));
    EXPECT_NE(SampleBytes(7, 500), SampleBytes(8, 500));
    EXPECT_EQ(ToHex(SampleBytes(1, 0).substr(0, 2)), "06 00") << "six stored categories";
}

TEST(SampleBook, IsFiledExactlyAsTheFilingRuleFilesOneByOne) {
    CCategoryList categories;
    CRecordList filled;
    CSampleBook(11).Fill(categories, filled, 1500);

    CSampleBook again(11);
    CRecordList oneByOne;
    for (int i = 0; i < 1500; ++i)
        FileRecord(oneByOne, again.Next());
    ASSERT_EQ(filled.size(), oneByOne.size());
    for (std::size_t i = 0; i < filled.size(); ++i)
        ASSERT_EQ(*filled[i], *oneByOne[i]) << "position " << i;
}

TEST(SampleBook, LooksLikeARealBook) {
    CCategoryList categories;
    CRecordList records;
    CSampleBook(3).Fill(categories, records, 2000);
    EXPECT_EQ(categories.NameOf(0), "Unfiled");
    EXPECT_EQ(categories.NameOf(1), "Business");
    EXPECT_EQ(categories.NameOf(2), "Personal");
    EXPECT_GT(categories.GetCount(), 3u) << "categories the user made";

    std::set<std::uint16_t> usedCategories;
    std::set<std::uint8_t> usedLabels;
    int numbered = 0, utf8 = 0, multiLineNotes = 0, withAddress = 0;
    for (const auto& r : records) {
        usedCategories.insert(r->m_nCategory);
        EXPECT_LT(r->m_nCategory, categories.GetCount());
        EXPECT_LT(r->m_nDefaultItem, CContactRecord::kItemCount);
        EXPECT_FALSE(r->m_strItem[r->m_nDefaultItem].empty()) << "the default item is filled";
        for (auto label : r->m_nItemLabel)
            usedLabels.insert(label);
        numbered += r->m_strLastName.find(" #") != std::string::npos;
        const std::string name = r->m_strFirstName + r->m_strLastName;
        const bool nonAscii = std::any_of(
            name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        EXPECT_TRUE(kb::IsValidUtf8(name));
        utf8 += nonAscii;
        multiLineNotes += r->m_strNotes.find("\r\n") != std::string::npos;
        withAddress += !r->m_strAddress.empty();
        EXPECT_EQ(r->m_strNotes.find('\n'), r->m_strNotes.find("\r\n") == std::string::npos
                                                ? std::string::npos
                                                : r->m_strNotes.find("\r\n") + 1)
            << "line breaks are CR LF";
    }
    EXPECT_EQ(usedCategories.size(), categories.GetCount());
    EXPECT_EQ(usedLabels.size(), 8u) << "all seven labels and none";
    EXPECT_GT(numbered, 10);
    EXPECT_GT(utf8, 10);
    EXPECT_LT(utf8, 400) << "only a few";
    EXPECT_GT(multiLineNotes, 50);
    EXPECT_GT(withAddress, 1000);
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string utf8;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeText : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeText, KeepsUtf8AndReadsEverythingElseAsWindows1252) {
    const std::string out = kb::DecodeToUtf8(GetParam().bytes);
    EXPECT_EQ(ToHex(out), ToHex(GetParam().utf8));
    EXPECT_TRUE(kb::IsValidUtf8(out));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeText,
    testing::Values(DecodeCase{"Ascii", "Lee, Ann\r\n", "Lee, Ann\r\n"},
                    DecodeCase{"Utf8", "Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80",
                               "Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80"},
                    DecodeCase{"Latin", "Caf\xE9", "Caf\xC3\xA9"},
                    DecodeCase{"EuroAndQuotes", "\x80\x93\x94",
                               "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D"},
                    DecodeCase{"Undefined", "\x81\x9D", "\xC2\x81\xC2\x9D"},
                    // Looks like UTF-8 but is not: an overlong slash and an encoded surrogate.
                    DecodeCase{"Overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
                    DecodeCase{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
                    DecodeCase{"CutSequence", "ab\xC3", "ab\xC3\x83"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
