#include "edit/CRecordFiler.h"
#include "edit/FilingRule.h"
#include "model/NoCase.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A person as the filing rule sees it: last name, first name.
struct Name {
    std::string last;
    std::string first;
    bool operator==(const Name&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Name& n) {
    return os << '"' << n.last << ", " << n.first << '"';
}

std::unique_ptr<CContactRecord> Make(const Name& n) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = n.last;
    r->m_strFirstName = n.first;
    return r;
}

CRecordList MakeList(const std::vector<Name>& names) {
    CRecordList list;
    for (const auto& n : names)
        list.push_back(Make(n));
    return list;
}

std::vector<Name> Names(const CRecordList& list) {
    std::vector<Name> out;
    for (const auto& r : list)
        out.push_back({r->m_strLastName, r->m_strFirstName});
    return out;
}

struct FilingCase {
    const char* title;
    std::vector<Name> before;           // the list as it is (may be out of order)
    std::vector<Name> filed;            // records filed one after another
    std::vector<std::size_t> positions; // where each one landed
    std::vector<Name> after;            // the list afterwards
};

void PrintTo(const FilingCase& c, std::ostream* os) {
    *os << c.title;
}

class FilingRuleTest : public ::testing::TestWithParam<FilingCase> {};

TEST_P(FilingRuleTest, FilesEachRecordWhereTheRuleSays) {
    const FilingCase& c = GetParam();
    CRecordList list = MakeList(c.before);
    std::vector<std::size_t> positions;
    for (const auto& n : c.filed) {
        auto r = Make(n);
        const CContactRecord* raw = r.get();
        const std::size_t pos = FileRecord(list, std::move(r));
        ASSERT_LT(pos, list.size());
        EXPECT_EQ(list[pos].get(), raw) << "the returned position holds the record";
        positions.push_back(pos);
    }
    EXPECT_EQ(positions, c.positions);
    EXPECT_EQ(Names(list), c.after);
}

TEST_P(FilingRuleTest, BatchFilerGivesTheSameResult) {
    const FilingCase& c = GetParam();
    CRecordList list = MakeList(c.before);
    std::vector<std::size_t> positions;
    {
        CRecordFiler filer(list);
        for (const auto& n : c.filed)
            positions.push_back(filer.File(Make(n)));
    }
    EXPECT_EQ(positions, c.positions);
    EXPECT_EQ(Names(list), c.after);
}

const FilingCase kFilingCases[] = {
    {"into an empty list", {}, {{"Smith", "John"}}, {0}, {{"Smith", "John"}}},
    {"before the first greater last name, ignoring case",
     {{"adams", "A"}, {"JONES", "B"}, {"Young", "C"}},
     {{"jOnes", "Z"}, {"Baker", "D"}, {"zulu", "E"}},
     {2, 1, 5},
     {{"adams", "A"},
      {"Baker", "D"},
      {"JONES", "B"},
      {"jOnes", "Z"},
      {"Young", "C"},
      {"zulu", "E"}}},
    {"three John Smiths are numbered behind the first",
     {},
     {{"Smith", "John"}, {"Smith", "John"}, {"Smith", "John"}},
     {0, 1, 2},
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #2", "John"}}},
    {"john SMITH is the same person and keeps his own spelling",
     {{"Smith", "John"}},
     {{"SMITH", "john"}},
     {1},
     {{"Smith", "John"}, {"SMITH #1", "john"}}},
    {"Anne Smith goes behind every Smith without a number",
     {{"Jones", "Bob"}, {"Smith", "John"}, {"smith", "Mary"}, {"Taylor", "Tom"}},
     {{"Smith", "Anne"}},
     {3},
     {{"Jones", "Bob"},
      {"Smith", "John"},
      {"smith", "Mary"},
      {"Smith", "Anne"},
      {"Taylor", "Tom"}}},
    {"a numbered duplicate lands in front of Mary Smith",
     {{"Smith", "John"}, {"Smith", "Mary"}},
     {{"Smith", "John"}, {"Smith", "John"}},
     {1, 2},
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #2", "John"}, {"Smith", "Mary"}}},
    {"a Smith filed after a numbered one stops at the out-of-order name",
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith", "Mary"}},
     {{"Smith", "Anne"}},
     {1},
     {{"Smith", "John"}, {"Smith", "Anne"}, {"Smith #1", "John"}, {"Smith", "Mary"}}},
    {"a gap in the numbering is filled first",
     {{"Smith", "John"}, {"Smith #2", "John"}, {"Taylor", "Tom"}},
     {{"Smith", "John"}, {"Smith", "John"}},
     {1, 3},
     {{"Smith", "John"},
      {"Smith #1", "John"},
      {"Smith #2", "John"},
      {"Smith #3", "John"},
      {"Taylor", "Tom"}}},
    {"a gap in the middle of a run",
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #3", "John"}},
     {{"Smith", "John"}},
     {2},
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #2", "John"}, {"Smith #3", "John"}}},
    {"numbered namesake with another first name breaks the run",
     {{"Smith", "John"}, {"Smith #1", "Jack"}},
     {{"Smith", "John"}},
     {1},
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #1", "Jack"}}},
    {"the run is counted ignoring case",
     {{"Smith", "John"}, {"SMITH #1", "JOHN"}},
     {{"smith", "john"}},
     {2},
     {{"Smith", "John"}, {"SMITH #1", "JOHN"}, {"smith #2", "john"}}},
    {"an out-of-order list: the first greater name wins over a later twin, which numbers it",
     {{"Zed", "Z"}, {"Smith", "John"}},
     {{"Smith", "John"}},
     {0},
     {{"Smith #1", "John"}, {"Zed", "Z"}, {"Smith", "John"}}},
    {"John, Mary, John, Mary, Mary Smith: the Marys met behind a numbered John are numbered",
     {},
     {{"Smith", "John"},
      {"Smith", "Mary"},
      {"Smith", "John"},
      {"Smith", "Mary"},
      {"Smith", "Mary"}},
     {0, 1, 1, 1, 1},
     {{"Smith", "John"},
      {"Smith #2", "Mary"},
      {"Smith #1", "Mary"},
      {"Smith #1", "John"},
      {"Smith", "Mary"}}},
    {"a numbered name met behind a greater one is not filed twice",
     {{"Smith #2", "Mary"}, {"smith #1", "Barbara"}},
     {{"Smith #1", "BARBARA"}},
     {0},
     {{"Smith #1 #1", "BARBARA"}, {"Smith #2", "Mary"}, {"smith #1", "Barbara"}}},
    {"the number is the smallest free one in the whole book, not only in the run",
     {{"Smith", "John"}, {"Taylor", "T"}, {"smith #1", "john"}, {"Smith #3", "John"}},
     {{"Smith", "John"}, {"Smith", "John"}},
     {1, 1},
     {{"Smith", "John"},
      {"Smith #4", "John"},
      {"Smith #2", "John"},
      {"Taylor", "T"},
      {"smith #1", "john"},
      {"Smith #3", "John"}}},
    {"only exact numbers count as taken",
     {{"Smith", "John"}, {"Smith #01", "John"}, {"Smith #1x", "John"}, {"Smith#1", "John"}},
     {{"Smith", "John"}},
     {1},
     {{"Smith", "John"},
      {"Smith #1", "John"},
      {"Smith #01", "John"},
      {"Smith #1x", "John"},
      {"Smith#1", "John"}}},
    {"a numbered name filed as such is numbered again",
     {{"Smith", "John"}, {"Smith #1", "John"}},
     {{"Smith #1", "John"}},
     {2},
     {{"Smith", "John"}, {"Smith #1", "John"}, {"Smith #1 #1", "John"}}},
    {"prefix sorts first and names without a letter are filed too",
     {{"Smit", "A"}, {"Smith", "B"}},
     {{"Smi", "C"}, {"#1 Club", ""}, {"", ""}, {"", ""}},
     {0, 0, 0, 1},
     {{"", ""}, {" #1", ""}, {"#1 Club", ""}, {"Smi", "C"}, {"Smit", "A"}, {"Smith", "B"}}},
    {"accented bytes sort after z",
     {{"Zed", "Z"}},
     {{"\xC3\x89mile", "E"}, {"Abel", "A"}},
     {1, 0},
     {{"Abel", "A"}, {"Zed", "Z"}, {"\xC3\x89mile", "E"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, FilingRuleTest, ::testing::ValuesIn(kFilingCases));

TEST(FilingRule, RefilingAChangedLastNameMovesAndNumbersTheRecord) {
    CRecordList list = MakeList(
        {{"Adams", "Al"}, {"Jones", "Bob"}, {"Smith", "Bob"}, {"Smith", "Jo"}, {"Young", "Yan"}});
    // Smith, Bob becomes Jones: removed and filed again, it is numbered behind Jones, Bob.
    std::unique_ptr<CContactRecord> r = std::move(list[2]);
    list.erase(list.begin() + 2);
    r->m_strLastName = "Jones";
    EXPECT_EQ(FileRecord(list, std::move(r)), 2u);
    EXPECT_EQ(Names(list), (std::vector<Name>{{"Adams", "Al"},
                                              {"Jones", "Bob"},
                                              {"Jones #1", "Bob"},
                                              {"Smith", "Jo"},
                                              {"Young", "Yan"}}));
    // Smith, Jo becomes Baker: moves among the B names without a number.
    r = std::move(list[3]);
    list.erase(list.begin() + 3);
    r->m_strLastName = "baker";
    EXPECT_EQ(FileRecord(list, std::move(r)), 1u);
    EXPECT_EQ(list[1]->m_strLastName, "baker");
}

// Random books of few distinct names (so duplicates, numbered names and out-of-order
// runs are common), filed both ways; the batch filer must agree with the plain rule at
// every step, also across a write-back in the middle.
TEST(FilingRule, BatchFilerAgreesWithThePlainRuleOnRandomSequences) {
    std::mt19937 rng(20261207);
    const std::vector<std::string> lasts = {"Smith",   "smith",    "Smith #1", "SMITH #2",
                                            "Jones",   "jones #1", "Adams",    "Zed",
                                            "#1 Club", "",         "Smi",      "Smith #10"};
    const std::vector<std::string> firsts = {"John", "john", "Mary", "", "Anne"};
    auto pick = [&](const std::vector<std::string>& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
    };
    for (int round = 0; round < 300; ++round) {
        // Start from a list in arbitrary order, as a data file may hold one.
        std::vector<Name> start;
        const int n0 = std::uniform_int_distribution<int>(0, 40)(rng);
        for (int i = 0; i < n0; ++i)
            start.push_back({pick(lasts), pick(firsts)});
        CRecordList plain = MakeList(start);
        CRecordList batch = MakeList(start);
        auto filer = std::make_unique<CRecordFiler>(batch);
        const int n = std::uniform_int_distribution<int>(1, 200)(rng);
        for (int i = 0; i < n; ++i) {
            const Name name{pick(lasts), pick(firsts)};
            const std::size_t expected = FileRecord(plain, Make(name));
            ASSERT_FALSE(HasTwin(plain, *plain[expected])) << "round " << round << " step " << i;
            ASSERT_EQ(filer->File(Make(name)), expected) << "round " << round << " step " << i;
            if (i % 37 == 36)
                filer->Flush();
            if (round % 2 == 0 && i == n / 2)
                filer->Reserve(static_cast<std::size_t>(n)); // its tables grow midway
        }
        filer.reset();
        ASSERT_EQ(Names(batch), Names(plain)) << "round " << round;
    }
}

// Names longer than the filer's eight-byte keys, sharing those bytes or differing past them,
// bytes above ASCII (which never fold, though their low seven bits may spell a letter), and
// runs filed in order, as an exported book comes back: the batch filer still agrees with the
// plain rule.
TEST(FilingRule, BatchFilerAgreesOnLongNamesHighBytesAndOrderedRuns) {
    std::mt19937 rng(20261208);
    const std::vector<std::string> lasts = {"Montgomery",
                                            "MONTGOMERY",
                                            "Montgomerie",
                                            "Montgomery-Smith",
                                            "Montgomery #1",
                                            "Montgomeryx",
                                            "Montgomer",
                                            "\xC1x",
                                            "\xE1x",
                                            "\xD0x",
                                            "Ax",
                                            "ax",
                                            "\xC3\x89mile",
                                            "\xC3\xA9mile",
                                            "[bracket]",
                                            "Zz",
                                            "zZ #2",
                                            "@",
                                            "abcdefgh",
                                            "ABCDEFGHI",
                                            "MONTGOMERY-SMITH",
                                            "Montgomery-Smithers",
                                            "Montgomery-Smith #1",
                                            "Montgomery-Smitha",
                                            std::string("Ax\0", 3)};
    const std::vector<std::string> firsts = {"John",   "JOHN", "\xC1nn",
                                             "\xE1nn", "",     "A very long first name"};
    auto pick = [&](const std::vector<std::string>& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<Name> start;
        const int n0 = std::uniform_int_distribution<int>(0, 30)(rng);
        for (int i = 0; i < n0; ++i)
            start.push_back({pick(lasts), pick(firsts)});
        std::vector<Name> filed;
        const int n = std::uniform_int_distribution<int>(1, 150)(rng);
        for (int i = 0; i < n; ++i)
            filed.push_back({pick(lasts), pick(firsts)});
        // Most rounds file their records in order, as an export of a sorted book does.
        if (round % 4 != 0)
            std::stable_sort(filed.begin(), filed.end(), [](const Name& a, const Name& b) {
                return kb::CompareNoCase(a.last, b.last) < 0;
            });
        CRecordList plain = MakeList(start);
        CRecordList batch = MakeList(start);
        {
            CRecordFiler filer(batch);
            for (std::size_t i = 0; i < filed.size(); ++i) {
                const std::size_t expected = FileRecord(plain, Make(filed[i]));
                ASSERT_EQ(filer.File(Make(filed[i])), expected)
                    << "round " << round << " step " << i;
            }
        }
        ASSERT_EQ(Names(batch), Names(plain)) << "round " << round;
    }
}

TEST(FilingRule, BatchFilerWritesBackEveryRecordExactlyOnce) {
    CRecordList list = MakeList({{"Smith", "John"}, {"Adams", "Al"}});
    const CContactRecord* first = list[0].get();
    {
        CRecordFiler filer(list);
        filer.File(Make({"Smith", "John"}));
        // Until the write-back the list holds the records it had.
        EXPECT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].get(), first);
        EXPECT_EQ(filer.GetCount(), 3u);
    }
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].get(), first);
    EXPECT_EQ(Names(list),
              (std::vector<Name>{{"Smith", "John"}, {"Smith #1", "John"}, {"Adams", "Al"}}));
}

} // namespace
