// What New Contact and Edit Record decide without a window: the category a new record
// starts in, where an edited record is filed, and the tab a typed key goes to.
#include "edit/EditRules.h"
#include "model/CCategoryFilter.h"
#include "model/CCategoryList.h"
#include "view/DisplayName.h"
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

CRecordList Book(const std::vector<std::pair<std::string, std::string>>& names) {
    CRecordList list;
    for (const auto& [last, first] : names) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_strFirstName = first;
        list.push_back(std::move(r));
    }
    return list;
}

// The last names in list order, joined by commas.
std::string Lasts(const CRecordList& list) {
    std::string out;
    for (const auto& r : list)
        out += (out.empty() ? "" : ",") + r->m_strLastName;
    return out;
}

} // namespace

TEST(EditRules, ANewRecordStartsInTheShownCategoryOrUnfiledUnderAll) {
    CCategoryList categories;
    categories.ResetToDefaults();
    categories.AddTail("Golf");
    EXPECT_EQ(NewRecordCategory(CCategoryFilter()), 0);
    EXPECT_EQ(NewRecordCategory(CCategoryFilter::FromChoice(categories, "aLL")), 0);
    EXPECT_EQ(NewRecordCategory(CCategoryFilter::FromChoice(categories, "golf")), 3);
    EXPECT_EQ(NewRecordCategory(CCategoryFilter::FromChoice(categories, "Personal")), 2);
    // What no category is named (the filter's "- Edit Categories") files as "Unfiled".
    EXPECT_EQ(NewRecordCategory(CCategoryFilter::FromChoice(categories, "- Edit Categories")), 0);
}

struct RefileCase {
    const char* title;
    const char* last; // the edited record's new names; it was "Smith, Bob" at position 2
    const char* first;
    std::size_t position;
    const char* after; // the last names afterwards
};

class RefileEdited : public testing::TestWithParam<RefileCase> {};

TEST_P(RefileEdited, FilesAgainOnlyWhatTheRuleMoves) {
    const RefileCase& c = GetParam();
    CRecordList list =
        Book({{"Adams", "Al"}, {"Jones", "Ann"}, {"Smith", "Bob"}, {"Young", "Yan"}});
    CContactRecord& edited = *list[2];
    edited.m_strLastName = c.last;
    edited.m_strFirstName = c.first;
    EXPECT_EQ(RefileEditedRecord(list, edited, "Smith"), c.position);
    EXPECT_EQ(list[c.position].get(), &edited) << "the record stays the same object";
    EXPECT_EQ(Lasts(list), c.after);
}

// The list is never sorted again: only the edited record moves.
INSTANTIATE_TEST_SUITE_P(
    Edits, RefileEdited,
    testing::Values(
        RefileCase{"CaseOnlyKeepsThePlace", "SMITH", "Bob", 2, "Adams,Jones,SMITH,Young"},
        RefileCase{"FirstNameOnlyKeepsThePlace", "Smith", "Zed", 2, "Adams,Jones,Smith,Young"},
        RefileCase{"NewLastNameMoves", "Baker", "Bob", 1, "Adams,Baker,Jones,Young"},
        RefileCase{"TakenNameIsNumbered", "jones", "ann", 2, "Adams,Jones,jones #1,Young"},
        RefileCase{"LastNameToTheEnd", "Zorn", "Bob", 3, "Adams,Jones,Young,Zorn"}),
    [](const testing::TestParamInfo<RefileCase>& info) { return std::string(info.param.title); });

TEST(EditRules, AFirstNameThatMakesATwinIsNumberedAndARecordOutsideTheListIsLeft) {
    CRecordList list =
        Book({{"Adams", "Al"}, {"Smith", "Ann"}, {"Smith", "Bob"}, {"Young", "Yan"}});
    CContactRecord& bob = *list[2];
    bob.m_strFirstName = "ANN";
    EXPECT_EQ(RefileEditedRecord(list, bob, "Smith"), 2u);
    EXPECT_EQ(Lasts(list), "Adams,Smith,Smith #1,Young");
    EXPECT_EQ(list[2]->m_strFirstName, "ANN");

    CContactRecord stranger;
    stranger.m_strLastName = "Baker";
    EXPECT_EQ(RefileEditedRecord(list, stranger, "Smith"), list.size());
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(stranger.m_strLastName, "Baker");
}

TEST(EditRules, ATypedKeyGoesToTheTabOfTheNamesThatBeginWithIt) {
    const std::vector<std::pair<std::string, std::optional<int>>> table = {
        {"a", 0},
        {"Z", 25},
        {"\xC3\xA9", 4},  // é
        {"\xC3\x85", 0},  // Å
        {"\xC5\x81", 11}, // Ł
        {"\xE9", 4},      // é in Windows-1252
        {"#", kOtherLetter},
        {"\xD0\x96", kOtherLetter},     // Ж
        {"\xE7\x94\xB0", kOtherLetter}, // 田
        {"5", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"ab", std::nullopt},
        {"\r", std::nullopt},
    };
    for (const auto& [typed, letter] : table)
        EXPECT_EQ(LetterIndexOfKey(typed), letter) << typed;
}
