// kinbook-cli add, delete and find, run as a user would run them.
#include "RunCli.h"
#include "TempDir.h"
#include <gtest/gtest.h>

namespace {

class CliEdit : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        ASSERT_EQ(RunCli({"new", book}).exitCode, 0);
    }
    CliRun Add(std::vector<std::string> args) {
        args.insert(args.begin(), {"add", book});
        return RunCli(args);
    }
    std::string Find(const std::string& text, const std::string& scope = "0") {
        const CliRun run = RunCli({"find", book, text, "--scope", scope});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.out;
    }
    TempDir dir;
    std::string book = dir.File("book.kbk");
};

TEST_F(CliEdit, AddFilesByTheRuleAndPrintsTheFiledName) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> steps = {
        {{"--last", "Smith", "--first", "John"}, "Smith\n"},
        {{"--last", "Smith", "--first", "Mary"}, "Smith\n"},
        {{"--last", "Smith", "--first", "John"}, "Smith #1\n"},
        {{"--first", "john", "--last", "SMITH"}, "SMITH #2\n"},
        {{"--last", "Adams"}, "Adams\n"},
    };
    for (const auto& [args, out] : steps) {
        const CliRun run = Add(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, out);
    }
    // Result order is filing order: the numbered Johns in front of Mary.
    EXPECT_EQ(Find("smith"), "Smith, John\t\nSmith #1, John\t\nSMITH #2, john\t\nSmith, Mary\t\n");
}

TEST_F(CliEdit, AddBuildsTheRecordAsTheEditorWould) {
    const CliRun run =
        Add({"--last", "Lee", "--first", "Ann", "--category", "PERSONAL", "--item", "Home:555-0100",
             "--item", "e-mail:ann@example.org", "--default-item", "2", "--address",
             "12 Elm Street\nFlat 3", "--other-info", "Blue door", "--notes", "Met at the fair."});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Find("example", "1"), "Lee, Ann\tann@example.org\n");
    EXPECT_EQ(Find("street\r\nflat", "2"), "Lee, Ann\tann@example.org\n");
    EXPECT_EQ(Find("blue", "2"), "");
    EXPECT_EQ(Find("blue", "3"), "Lee, Ann\tann@example.org\n");
    EXPECT_EQ(Find("fair", "3"), "");
    EXPECT_EQ(Find("FAIR", "4"), "Lee, Ann\tann@example.org\n");
    const std::string dump = RunCli({"dump", book}).out;
    EXPECT_NE(dump.find("\"category\": 2"), std::string::npos) << dump;
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> args;
    std::string err; // exact, or a part when partial
    bool partial;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class CliEditRefused : public CliEdit, public testing::WithParamInterface<RefusedCase> {};

TEST_P(CliEditRefused, ExitsWith2AndLeavesTheBookAsItWas) {
    const std::string before = ReadFileBytes(book);
    const CliRun run = Add(GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    if (GetParam().partial)
        EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
    else
        EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(ReadFileBytes(book), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliEditRefused,
    testing::Values(
        RefusedCase{"NoLastName",
                    {"--first", "Ann"},
                    "All contacts must contain a last name.  Record not filed.\n",
                    false},
        RefusedCase{"Digit",
                    {"--last", "1st Bank"},
                    "Since contacts are filed alphabetically, the last name must begin with a "
                    "letter.  Record not filed.\n",
                    false},
        RefusedCase{"Blank",
                    {"--last", " Lee"},
                    "Since contacts are filed alphabetically, the last name must begin with a "
                    "letter.  Record not filed.\n",
                    false},
        RefusedCase{"EightItems",
                    {"--last", "Lee", "--item", "Home:1", "--item", "Home:2", "--item", "Home:3",
                     "--item", "Home:4", "--item", "Home:5", "--item", "Home:6", "--item", "Home:7",
                     "--item", "Home:8"},
                    "at most 7 items",
                    true},
        RefusedCase{"FiveOtherInfo",
                    {"--last", "Lee", "--other-info", "1", "--other-info", "2", "--other-info", "3",
                     "--other-info", "4", "--other-info", "5"},
                    "at most 4",
                    true},
        RefusedCase{"BadLabel", {"--last", "Lee", "--item", "Cell:1"}, "LABEL:TEXT", true},
        RefusedCase{"NoColon", {"--last", "Lee", "--item", "Home"}, "LABEL:TEXT", true},
        RefusedCase{"DefaultItem0", {"--last", "Lee", "--default-item", "0"}, "1 to 7", true},
        RefusedCase{"DefaultItem8", {"--last", "Lee", "--default-item", "8"}, "1 to 7", true},
        RefusedCase{"NoSuchCategory", {"--last", "Lee", "--category", "Golf"}, "Golf", true},
        RefusedCase{"Twice", {"--last", "Lee", "--last", "Li"}, "twice", true},
        RefusedCase{"Unknown", {"--last", "Lee", "--nick", "L"}, "--nick", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliEdit, DeleteRemovesTheFirstRecordOfThatDisplayName) {
    Add({"--last", "Smith", "--first", "John", "--item", "Home:1"});
    Add({"--last", "smith", "--first", "john", "--item", "Home:2"}); // Smith #1
    Add({"--last", "Lee"});
    CliRun run = RunCli({"delete", book, "SMITH, JOHN"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Find("i"), "smith #1, john\t2\n");
    run = RunCli({"delete", book, "lee"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string before = ReadFileBytes(book);
    run = RunCli({"delete", book, "Smith, John"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Smith, John"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(book), before);
}

TEST_F(CliEdit, FindRefusesAnEmptyStringAndABadScope) {
    CliRun run = RunCli({"find", book, ""});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "No search data was entered.\n");
    run = RunCli({"find", book, "x", "--scope", "5"});
    EXPECT_EQ(run.exitCode, 2);
    run = RunCli({"find", dir.File("missing.kbk"), "x"});
    EXPECT_EQ(run.exitCode, 1);
}

} // namespace
