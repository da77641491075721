// kinbook-cli show and list, run as a user would run them.
#include "RunCli.h"
#include "TempDir.h"
#include <gtest/gtest.h>

namespace {

class CliView : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        ASSERT_EQ(RunCli({"new", book}).exitCode, 0);
        Add({"--last",    "Smith",           "--first",    "John",
             "--title",   "Manager",         "--category", "Business",
             "--item",    "Home:555-0100",   "--item",     "Work:",
             "--item",    "Mobile:555-0199", "--item",     "Other:555-0111",
             "--address", "12 Elm Street",   "--city",     "Springfield",
             "--zip",     "12345",           "--notes",    "Met at the fair."});
        Add({"--last", "smith", "--first", "anna", "--category", "Personal", "--item",
             "Work:555-0200", "--item", "E-Mail:anna@example.org", "--default-item", "2"});
        Add({"--last", "Sanders", "--category", "Business"});
        Add({"--last", "Adams", "--first", "Ann"});
    }
    void Add(std::vector<std::string> args) {
        args.insert(args.begin(), {"add", book});
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    TempDir dir;
    std::string book = dir.File("book.kbk");
};

} // namespace

TEST_F(CliView, ShowPrintsTheDetailTextByteForByte) {
    const CliRun run = RunCli({"show", book, "SMITH, john"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Category: Business\r\nJohn Smith\r\n\r\nManager\r\n\r\n"
                       "Home: 555-0100\r\nMobile: 555-0199\r\nOther: 555-0111\r\n\r\n"
                       "12 Elm Street\r\nSpringfield\r\n12345\r\n\r\nNOTES: \r\nMet at the fair.");
    EXPECT_EQ(RunCli({"show", book, "Sanders"}).out, "Category: Business\r\nSanders\r\n\r\n");
}

TEST_F(CliView, ShowFailsClearlyForAnUnknownName) {
    for (const char* name : {"Smith", "Smith,John", "Nobody"}) {
        const CliRun run = RunCli({"show", book, name});
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("no record is named"), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunCli({"show", book}).exitCode, 2);
}

TEST_F(CliView, ListShowsTheEntriesOfACategoryAndLetter) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "Adams, Ann\t\n"},
        {{"--letter", "s"}, "Sanders\t\nsmith, anna\tanna@example.org\nSmith, John\t555-0100\n"},
        {{"--letter", "S", "--category", "business"}, "Sanders\t\nSmith, John\t555-0100\n"},
        {{"--letter", "S", "--category", "Personal"}, "smith, anna\tanna@example.org\n"},
        {{"--letter", "Q"}, ""},
        {{"--category", "Unfiled"}, "Adams, Ann\t\n"},
    };
    for (const auto& [options, expected] : cases) {
        std::vector<std::string> args = {"list", book};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, expected) << testing::PrintToString(options);
    }
}

TEST_F(CliView, ListRefusesABadLetterOrCategory) {
    for (const std::vector<std::string>& options : {std::vector<std::string>{"--letter", "?"},
                                                    {"--letter", "AB"},
                                                    {"--letter", ""},
                                                    {"--category", "Golf"},
                                                    {"--category"}}) {
        std::vector<std::string> args = {"list", book};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(options);
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(RunCli({"list", dir.File("missing.kbk")}).exitCode, 1);
}
