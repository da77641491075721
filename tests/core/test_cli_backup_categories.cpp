// kinbook-cli categories, backup and restore, run as a user would run them.
#include "FakeMessageBox.h"
#include "RunCli.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include <gtest/gtest.h>

namespace {

class CliBookTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        book = dir.File("book.kbk");
        // "Unfiled", "Business", "Personal", "Friends"; records in 1, 1, 3 and 0.
        CKinbookDoc doc(quiet, RealFileSystem());
        doc.GetCategories().ResetToDefaults();
        doc.GetCategories().AddTail("Friends");
        for (std::uint16_t category : {1, 1, 3, 0}) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = "N" + std::to_string(doc.GetRecords().size());
            r->m_nCategory = category;
            doc.GetRecords().push_back(std::move(r));
        }
        ASSERT_TRUE(doc.Save(book));
        bookBytes = ReadFileBytes(book);
    }
    std::vector<std::string> Names() {
        CKinbookDoc doc(quiet, RealFileSystem());
        EXPECT_TRUE(doc.Load(book));
        return doc.GetCategories().FillComboNames();
    }

    FakeMessageBox quiet;
    TempDir dir;
    std::string book;
    std::string bookBytes;
};

} // namespace

TEST_F(CliBookTest, CategoriesListsIndexesNamesAndRecordCounts) {
    const CliRun r = RunCli({"categories", book});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\tUnfiled\t1\n1\tBusiness\t2\n2\tPersonal\t0\n3\tFriends\t1\n");
}

TEST_F(CliBookTest, CategoriesAddRenameAndDeleteSaveTheBook) {
    EXPECT_EQ(RunCli({"categories", book, "--add", "Club"}).exitCode, 0);
    EXPECT_EQ(RunCli({"categories", book, "--rename", "personal", "Family"}).exitCode, 0);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"Unfiled", "Business", "Family", "Friends", "Club"}));
    const CliRun del = RunCli({"categories", book, "--delete", "Business"});
    EXPECT_EQ(del.exitCode, 0) << del.err;
    EXPECT_EQ(RunCli({"categories", book}).out,
              "0\tUnfiled\t3\n1\tFamily\t0\n2\tFriends\t1\n3\tClub\t0\n");
}

namespace {
struct CategoryRefusal {
    std::vector<std::string> args;
    std::string message;
};
} // namespace

class CliCategoryRefusal : public CliBookTest,
                           public testing::WithParamInterface<CategoryRefusal> {};

TEST_P(CliCategoryRefusal, PrintsTheDialogsMessageExitsTwoAndWritesNothing) {
    std::vector<std::string> args{"categories", book};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, GetParam().message + "\n");
    EXPECT_EQ(ReadFileBytes(book), bookBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CliCategoryRefusal,
    testing::Values(CategoryRefusal{{"--add", "all"}, "The word all is a reserved category name."},
                    CategoryRefusal{{"--add", "- Edit Categories"},
                                    "The word - Edit Categories is a reserved category name."},
                    CategoryRefusal{{"--add", "friends"}, "The word friends already exists."},
                    CategoryRefusal{{"--add", ""}, "You must enter a category name to continue."},
                    CategoryRefusal{{"--rename", "Nobody", "X"},
                                    "You must first select a category to rename it."},
                    CategoryRefusal{{"--rename", "Unfiled", "X"},
                                    "You must first select a category to rename it."},
                    CategoryRefusal{{"--rename", "Friends", ""},
                                    "You must enter a category name to continue."},
                    CategoryRefusal{{"--delete", "unfiled"},
                                    "You must first select a category to Delete it."}));

TEST_F(CliBookTest, CategoryNamesAreAtMost255Characters) {
    const std::string longest(255, 'x');
    EXPECT_EQ(RunCli({"categories", book, "--add", longest}).exitCode, 0);
    const std::string tooLong = std::string(255, 'y') + "\xC3\xA9"; // 256 characters
    const CliRun r = RunCli({"categories", book, "--rename", longest, tooLong});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("at most 255 characters"), std::string::npos) << r.err;
    EXPECT_EQ(Names().back(), longest);
}

TEST_F(CliBookTest, BackupCopiesAndRefusesToOverwriteWithoutForce) {
    const std::string copy = dir.File("copy.kbk");
    CliRun r = RunCli({"backup", book, copy});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Backup complete.\n");
    EXPECT_EQ(ReadFileBytes(copy), bookBytes);

    WriteFileBytes(copy, "mine");
    r = RunCli({"backup", book, copy});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(ReadFileBytes(copy), "mine");
    EXPECT_EQ(RunCli({"backup", book, copy, "--force"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(copy), bookBytes);
}

TEST_F(CliBookTest, RestoreReadsTheWholeBackupBeforeReplacingTheFile) {
    const std::string copy = dir.File("copy.kbk");
    WriteFileBytes(copy, bookBytes.substr(0, bookBytes.size() - 2));
    CliRun r = RunCli({"restore", book, copy});
    EXPECT_EQ(r.exitCode, 2) << "refused without --force";
    // Cut short, followed by other bytes, or zeros that read as an empty book.
    for (const std::string& damaged :
         {bookBytes.substr(0, bookBytes.size() - 2), bookBytes + std::string(5000, '\x7F'),
          std::string(1 << 20, '\0')}) {
        WriteFileBytes(copy, damaged);
        r = RunCli({"restore", book, copy, "--force"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("Backup was not restored."), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadFileBytes(book), bookBytes);
    }
    // Nor is a file of zeros taken for a book to add to.
    r = RunCli({"add", copy, "--last", "Zed"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadFileBytes(copy), std::string(1 << 20, '\0'));

    const std::string fresh = dir.File("fresh.kbk");
    r = RunCli({"restore", fresh, book});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Backup restored.\n");
    EXPECT_EQ(ReadFileBytes(fresh), bookBytes);
}
