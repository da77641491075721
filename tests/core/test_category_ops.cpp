#include "FakeMessageBox.h"
#include "model/CKinbookDoc.h"
#include "model/CategoryListLogic.h"
#include "model/CategoryOps.h"
#include "model/CategoryRule.h"
#include "port/IFileSystem.h"
#include <gtest/gtest.h>
#include <optional>

namespace {

// "Unfiled", "Business", "Personal", "Friends" and one record per category index 0..3.
struct Book {
    Book() : doc(messageBox, RealFileSystem()) {
        auto& cats = doc.GetCategories();
        cats.ResetToDefaults();
        cats.AddTail("Friends");
        for (std::uint16_t i = 0; i < 4; ++i) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = "R" + std::to_string(i);
            r->m_nCategory = i;
            doc.GetRecords().push_back(std::move(r));
        }
    }
    std::vector<std::uint16_t> Indexes() const {
        std::vector<std::uint16_t> v;
        for (const auto& r : doc.GetRecords())
            v.push_back(r->m_nCategory);
        return v;
    }
    std::vector<std::string> Names() const { return doc.GetCategories().FillComboNames(); }
    FakeMessageBox messageBox;
    CKinbookDoc doc;
};

CategoryListLogic::AskName Answer(std::optional<std::string> answer,
                                  std::vector<std::string>* asked = nullptr) {
    return [answer, asked](const std::string& initial) {
        if (asked)
            asked->push_back(initial);
        return answer;
    };
}

} // namespace

TEST(CategoryOps, NewCategoryIsAppendedWithTheNextIndex) {
    CCategoryList list;
    list.ResetToDefaults();
    FakeMessageBox mb;
    ASSERT_TRUE(CategoryOps::CheckNewName(list, "Friends", mb));
    EXPECT_EQ(CategoryOps::AddCategory(list, "Friends"), 3);
    EXPECT_EQ(list.FillComboNames(),
              (std::vector<std::string>{"Unfiled", "Business", "Personal", "Friends"}));
    EXPECT_TRUE(mb.shown.empty());
}

namespace {
struct RefusedName {
    const char* name;
    const char* text;
    MbIcon icon;
};
} // namespace

class CategoryNewRefusal : public testing::TestWithParam<RefusedName> {};

TEST_P(CategoryNewRefusal, IsReportedAndChangesNothing) {
    CCategoryList list;
    list.ResetToDefaults();
    FakeMessageBox mb;
    EXPECT_FALSE(CategoryOps::CheckNewName(list, GetParam().name, mb));
    ASSERT_EQ(mb.shown.size(), 1u);
    EXPECT_EQ(mb.shown[0].text, GetParam().text);
    EXPECT_EQ(mb.shown[0].caption, "Invalid Category Name");
    EXPECT_EQ(mb.shown[0].icon, GetParam().icon);
    EXPECT_EQ(mb.shown[0].buttons, MbButtons::Ok);
    EXPECT_EQ(list.GetCount(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    ReservedAndExisting, CategoryNewRefusal,
    testing::Values(
        RefusedName{"all", "The word all is a reserved category name.", MbIcon::Stop},
        RefusedName{"UNFILED", "The word UNFILED is a reserved category name.", MbIcon::Stop},
        RefusedName{"- edit categories", "The word - edit categories is a reserved category name.",
                    MbIcon::Stop},
        RefusedName{"business", "The word business already exists.", MbIcon::Information},
        RefusedName{"PERSONAL", "The word PERSONAL already exists.", MbIcon::Information}));

TEST(CategoryOps, NamesThatOnlyResembleReservedOnesAreAccepted) {
    CCategoryList list;
    list.ResetToDefaults();
    FakeMessageBox mb;
    for (const char* name : {"All ", "Allies", " Unfiled", "Businesses"})
        EXPECT_TRUE(CategoryOps::CheckNewName(list, name, mb)) << name;
    EXPECT_TRUE(mb.shown.empty());
}

TEST(CategoryOps, DeleteRenumbersEveryLaterRecordAndUnfilesTheDeleted) {
    Book book;
    ASSERT_TRUE(
        CategoryOps::DeleteCategory(book.doc.GetCategories(), book.doc.GetRecords(), "business"));
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"Unfiled", "Personal", "Friends"}));
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 0, 1, 2}));
}

TEST(CategoryOps, DeleteOfTheLastCategoryTouchesOnlyItsRecords) {
    Book book;
    ASSERT_TRUE(
        CategoryOps::DeleteCategory(book.doc.GetCategories(), book.doc.GetRecords(), "Friends"));
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 1, 2, 0}));
}

TEST(CategoryOps, DeleteOfAnUnknownNameRemovesAndRenumbersNothing) {
    Book book;
    // A record with an index past the list must not drift either.
    book.doc.GetRecords()[0]->m_nCategory = 9;
    EXPECT_FALSE(
        CategoryOps::DeleteCategory(book.doc.GetCategories(), book.doc.GetRecords(), "Family"));
    EXPECT_EQ(book.Names().size(), 4u);
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{9, 1, 2, 3}));
}

TEST(CategoryOps, DeleteOfADuplicateNameRemovesTheFirstOnly) {
    Book book;
    book.doc.GetCategories().At(3).m_strName = "Business";
    ASSERT_TRUE(
        CategoryOps::DeleteCategory(book.doc.GetCategories(), book.doc.GetRecords(), "Business"));
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"Unfiled", "Personal", "Business"}));
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 0, 1, 2}));
}

TEST(CategoryOps, RenameKeepsEveryIndexAndRecordsFollowTheNewName) {
    Book book;
    auto& cats = book.doc.GetCategories();
    ASSERT_TRUE(CategoryOps::RenameCategory(cats, "personal", "Family"));
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 1, 2, 3}));
    EXPECT_EQ(cats.NameOf(book.doc.GetRecords()[2]->m_nCategory), "Family");
    EXPECT_FALSE(CategoryOps::RenameCategory(cats, "Personal", "Other"));
}

TEST(CategoryOps, RenameToAnExistingNameMakesLookupsFindTheEarlierOne) {
    Book book;
    auto& cats = book.doc.GetCategories();
    ASSERT_TRUE(CategoryOps::RenameCategory(cats, "Friends", "Business"));
    EXPECT_EQ(book.Names(),
              (std::vector<std::string>{"Unfiled", "Business", "Personal", "Business"}));
    EXPECT_EQ(cats.IndexOf("business"), 1);
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 1, 2, 3}));
}

TEST(CategoryOps, ListedNamesLeaveOutEveryUnfiledAndSortIgnoringCase) {
    CCategoryList list;
    list.ResetToDefaults();
    list.AddTail("apple");
    list.AddTail("UNFILED");
    list.AddTail("Zoo");
    list.AddTail("Bus");
    EXPECT_EQ(CategoryOps::ListedNames(list),
              (std::vector<std::string>{"apple", "Bus", "Business", "Personal", "Zoo"}));
    const std::vector<std::string> entries{"Bus", "Business"};
    EXPECT_EQ(CategoryOps::FindEntry(entries, "bus"), 0u);
    EXPECT_EQ(CategoryOps::FindEntry(entries, "Busi"), 1u);
    EXPECT_EQ(CategoryOps::FindEntry(entries, "Car"), 2u);
}

TEST(CategoryOps, DropDownsSortAsTheUserReadsAndKeepEqualNamesInListOrder) {
    CCategoryList list;
    list.ResetToDefaults();
    list.AddTail("\xE9t\xE9"); // "été" in Windows-1252
    list.AddTail("\xC4\x8D"
                 "aj");
    list.AddTail("business");
    EXPECT_EQ(CategoryOps::DropDownNames(list, {kFilterAll, kFilterEditCategories}),
              (std::vector<std::string>{"- Edit Categories", "All", "Business", "business",
                                        "Personal", "Unfiled", "\xE9t\xE9",
                                        "\xC4\x8D"
                                        "aj"}));
    EXPECT_EQ(CategoryOps::ListedNames(list),
              (std::vector<std::string>{"Business", "business", "Personal", "\xE9t\xE9",
                                        "\xC4\x8D"
                                        "aj"}));
    // The list box inserts where the sort would have put the name.
    const std::vector<std::string> listed = CategoryOps::ListedNames(list);
    EXPECT_EQ(CategoryOps::SortedPosition(listed, "BUSINESS"), 2u);
    EXPECT_EQ(CategoryOps::SortedPosition(listed, "\xC3\xA9"
                                                  "cole"),
              3u);
    EXPECT_EQ(CategoryOps::SortedPosition(listed, "\xC4\x8D"), 4u);
}

TEST(CategoryOps, EmptyNameIsRefusedWithAStop) {
    FakeMessageBox mb;
    EXPECT_FALSE(CategoryOps::CheckNameEntered("", mb));
    EXPECT_TRUE(CategoryOps::CheckNameEntered(" ", mb)) << "names are taken as typed";
    ASSERT_EQ(mb.shown.size(), 1u);
    EXPECT_EQ(mb.shown[0].text, "You must enter a category name to continue.");
    EXPECT_EQ(mb.shown[0].caption, "Invalid Category Name");
    EXPECT_EQ(mb.shown[0].icon, MbIcon::Stop);
}

TEST(CategoryListLogic, OpensSortedWithTheFirstEntrySelected) {
    Book book;
    CategoryListLogic logic(book.doc.GetCategories(), book.doc.GetRecords(), book.messageBox);
    EXPECT_EQ(logic.Entries(), (std::vector<std::string>{"Business", "Friends", "Personal"}));
    EXPECT_EQ(logic.Selected(), 0);
}

TEST(CategoryListLogic, NewAddsInSortedPlaceAndKeepsTheSelection) {
    Book book;
    CategoryListLogic logic(book.doc.GetCategories(), book.doc.GetRecords(), book.messageBox);
    logic.Select(1); // Friends
    std::vector<std::string> asked;
    EXPECT_TRUE(logic.New(Answer("Clients", &asked)));
    EXPECT_EQ(asked, std::vector<std::string>{""});
    EXPECT_EQ(logic.Entries(),
              (std::vector<std::string>{"Business", "Clients", "Friends", "Personal"}));
    EXPECT_EQ(logic.Entries()[static_cast<std::size_t>(logic.Selected())], "Friends");
    EXPECT_EQ(book.doc.GetCategories().IndexOf("Clients"), 4);

    EXPECT_FALSE(logic.New(Answer(std::nullopt)));
    EXPECT_FALSE(logic.New(Answer("all")));
    EXPECT_EQ(book.doc.GetCategories().GetCount(), 5u);
    ASSERT_EQ(book.messageBox.shown.size(), 1u);
    EXPECT_EQ(book.messageBox.shown[0].text, "The word all is a reserved category name.");
}

TEST(CategoryListLogic, RenameOffersTheSelectedNameAndResortsIt) {
    Book book;
    CategoryListLogic logic(book.doc.GetCategories(), book.doc.GetRecords(), book.messageBox);
    logic.Select(2); // Personal
    std::vector<std::string> asked;
    EXPECT_TRUE(logic.Rename(Answer("Acquaintances", &asked)));
    EXPECT_EQ(asked, std::vector<std::string>{"Personal"});
    EXPECT_EQ(logic.Entries(), (std::vector<std::string>{"Acquaintances", "Business", "Friends"}));
    EXPECT_EQ(logic.Selected(), 0);
    EXPECT_EQ(book.doc.GetCategories().NameOf(2), "Acquaintances");

    // Cancel leaves everything as it was; no reserved-name check on rename.
    EXPECT_FALSE(logic.Rename(Answer(std::nullopt)));
    EXPECT_TRUE(logic.Rename(Answer("All")));
    EXPECT_EQ(book.doc.GetCategories().NameOf(2), "All");
    EXPECT_TRUE(book.messageBox.shown.empty());
}

TEST(CategoryListLogic, DeleteAsksThenRemovesAndLeavesNothingSelected) {
    Book book;
    CategoryListLogic logic(book.doc.GetCategories(), book.doc.GetRecords(), book.messageBox);
    book.messageBox.answers = {MbResult::No, MbResult::Yes};
    EXPECT_FALSE(logic.Delete());
    EXPECT_EQ(book.doc.GetCategories().GetCount(), 4u);
    EXPECT_TRUE(logic.Delete());
    ASSERT_EQ(book.messageBox.shown.size(), 2u);
    EXPECT_EQ(book.messageBox.shown[0].text,
              "Are you sure you want to delete the category Business?\n\nNote: All records "
              "under that name will be recategorized as UNFILED.");
    EXPECT_EQ(book.messageBox.shown[0].caption, "Confirmation");
    EXPECT_EQ(book.messageBox.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(book.messageBox.shown[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(logic.Entries(), (std::vector<std::string>{"Friends", "Personal"}));
    EXPECT_EQ(logic.Selected(), -1);
    EXPECT_EQ(book.Indexes(), (std::vector<std::uint16_t>{0, 0, 1, 2}));
}

TEST(CategoryListLogic, OnlyUnfiledLeavesNothingToSelect) {
    FakeMessageBox mb;
    CCategoryList list;
    list.AddTail("Unfiled");
    CRecordList records;
    CategoryListLogic logic(list, records, mb);
    EXPECT_TRUE(logic.Entries().empty());
    EXPECT_EQ(logic.Selected(), -1);
    EXPECT_FALSE(logic.Rename(Answer("X")));
    EXPECT_FALSE(logic.Delete());
    ASSERT_EQ(mb.shown.size(), 2u);
    EXPECT_EQ(mb.shown[0].text, "You must first select a category to rename it.");
    EXPECT_EQ(mb.shown[1].text, "You must first select a category to Delete it.");
    for (const auto& s : mb.shown) {
        EXPECT_EQ(s.caption, "Selection Error");
        EXPECT_EQ(s.icon, MbIcon::Information);
    }
    EXPECT_EQ(list.GetCount(), 1u);
}

// The one rule for the names a file or a card gives: the first that is, or can become, a
// category. Looking never adds; filing adds only the name the look reported as new.
TEST(CategoryRule, FirstUsableNameFilesAndOnlyFilingCreates) {
    const std::string tooLong(256, 'x');
    struct Case {
        std::vector<std::string_view> names;
        bool mayCreate;
        std::optional<std::uint16_t> found;
        std::string_view created; // empty: nothing is made
    };
    const Case cases[] = {
        {{"* myContacts", "personal"}, true, 2, {}},
        {{"System Group: Friends", "", "Chess", "Business"},
         true,
         CategoryRule::kNotYetACategory,
         "Chess"},
        {{"Chess", "Business"}, false, 1, {}},
        {{"all", "- edit categories", tooLong, "unfiled", "Business"}, true, 0, {}},
        {{"All", tooLong}, true, std::nullopt, {}},
        {{}, true, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        CCategoryList list;
        list.ResetToDefaults(); // Unfiled, Business, Personal
        SCOPED_TRACE(c.names.empty() ? std::string("no names") : std::string(c.names.back()));
        EXPECT_EQ(CategoryRule::Find(list, c.names, c.mayCreate), c.found);
        EXPECT_EQ(list.GetCount(), 3u);
        bool created = false;
        const auto filed = CategoryRule::FindOrCreate(list, c.names, c.mayCreate, &created);
        EXPECT_EQ(created, !c.created.empty());
        if (c.created.empty()) {
            EXPECT_EQ(filed, c.found);
            EXPECT_EQ(list.GetCount(), 3u);
        } else {
            EXPECT_EQ(filed, 3u);
            EXPECT_EQ(list.NameOf(3), c.created);
        }
    }
}
