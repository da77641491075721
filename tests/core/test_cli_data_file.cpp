#include "FakeMessageBox.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliDataFileTest : public testing::Test {
protected:
    void SetUp() override {
        const char* cli = std::getenv("KINBOOK_CLI");
        if (!cli || !*cli)
            GTEST_SKIP() << "KINBOOK_CLI is not set";
        m_cli = cli;
        dir = fs::temp_directory_path() / ("kinbook-cli-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        book = (dir / "book.kbk").string();
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
        bookBytes = ReadBytes(book);
    }
    void TearDown() override {
        if (!dir.empty())
            fs::remove_all(dir);
    }

    CliRun Run(const std::vector<std::string>& args) {
        std::string command = Quote(m_cli);
        for (const auto& a : args)
            command += " " + Quote(a);
        const fs::path out = dir / "out.txt", err = dir / "err.txt";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
        CliRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadBytes(out);
        run.err = ReadBytes(err);
        return run;
    }
    std::vector<std::string> Names() {
        CKinbookDoc doc(quiet, RealFileSystem());
        EXPECT_TRUE(doc.Load(book));
        return doc.GetCategories().FillComboNames();
    }

    FakeMessageBox quiet;
    std::string m_cli;
    fs::path dir;
    std::string book;
    std::string bookBytes;
};

} // namespace

TEST_F(CliDataFileTest, CategoriesListsIndexesNamesAndRecordCounts) {
    const CliRun r = Run({"categories", book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\tUnfiled\t1\n1\tBusiness\t2\n2\tPersonal\t0\n3\tFriends\t1\n");
}

TEST_F(CliDataFileTest, CategoriesAddRenameAndDeleteSaveTheBook) {
    EXPECT_EQ(Run({"categories", book, "--add", "Club"}).status, 0);
    EXPECT_EQ(Run({"categories", book, "--rename", "personal", "Family"}).status, 0);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"Unfiled", "Business", "Family", "Friends", "Club"}));
    const CliRun del = Run({"categories", book, "--delete", "Business"});
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(Run({"categories", book}).out,
              "0\tUnfiled\t3\n1\tFamily\t0\n2\tFriends\t1\n3\tClub\t0\n");
}

struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

class CliCategoryRefusal : public CliDataFileTest, public testing::WithParamInterface<Refusal> {};

TEST_P(CliCategoryRefusal, PrintsTheDialogsMessageExitsTwoAndWritesNothing) {
    std::vector<std::string> args{"categories", book};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CliRun r = Run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, GetParam().message + "\n");
    EXPECT_EQ(ReadBytes(book), bookBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CliCategoryRefusal,
    testing::Values(
        Refusal{{"--add", "all"}, "The word all is a reserved category name."},
        Refusal{{"--add", "- Edit Categories"},
                "The word - Edit Categories is a reserved category name."},
        Refusal{{"--add", "friends"}, "The word friends already exists."},
        Refusal{{"--add", ""}, "You must enter a category name to continue."},
        Refusal{{"--rename", "Nobody", "X"}, "You must first select a category to rename it."},
        Refusal{{"--rename", "Unfiled", "X"}, "You must first select a category to rename it."},
        Refusal{{"--rename", "Friends", ""}, "You must enter a category name to continue."},
        Refusal{{"--delete", "unfiled"}, "You must first select a category to Delete it."}));

TEST_F(CliDataFileTest, BackupCopiesAndRefusesToOverwriteWithoutForce) {
    const std::string copy = (dir / "copy.kbk").string();
    CliRun r = Run({"backup", book, copy});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Backup complete.\n");
    EXPECT_EQ(ReadBytes(copy), bookBytes);

    std::ofstream(copy, std::ios::trunc) << "mine";
    r = Run({"backup", book, copy});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ReadBytes(copy), "mine");
    EXPECT_EQ(Run({"backup", book, copy, "--force"}).status, 0);
    EXPECT_EQ(ReadBytes(copy), bookBytes);
}

TEST_F(CliDataFileTest, RestoreReadsTheWholeBackupBeforeReplacingTheFile) {
    const std::string copy = (dir / "copy.kbk").string();
    std::ofstream(copy, std::ios::binary) << bookBytes.substr(0, bookBytes.size() - 2);
    CliRun r = Run({"restore", book, copy});
    EXPECT_EQ(r.status, 2) << "refused without --force";
    r = Run({"restore", book, copy, "--force"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Backup was not restored."), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(book), bookBytes);

    const std::string fresh = (dir / "fresh.kbk").string();
    r = Run({"restore", fresh, book});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Backup restored.\n");
    EXPECT_EQ(ReadBytes(fresh), bookBytes);
}
