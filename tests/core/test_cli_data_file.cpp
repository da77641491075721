// kinbook-cli new, check, sample and dump, run as a user would run them.
#include "BookBytes.h"
#include "RunCli.h"
#include "TempDir.h"
#include "model/DocMessages.h"
#include <gtest/gtest.h>

// Everything here is local to this file, so that case tables of other suites with
// the same names cannot clash with these.
namespace {

class CliDataFile : public testing::Test {
protected:
    void SetUp() override {
        if (Cli().empty())
            GTEST_SKIP() << "KINBOOK_CLI is not set (run through ctest)";
    }
    TempDir dir;
};

// The 39-byte empty book.
const std::string kEmptyBook = HexBytes("02 00 FF FF 00 00 09 00 43 43 61 74 65 67 6F 72 79"
                                        "08 42 75 73 69 6E 65 73 73 01 80 08 50 65 72 73 6F"
                                        "6E 61 6C 00 00");

TEST_F(CliDataFile, NewWritesTheEmptyBookAndRefusesToReplaceWithoutForce) {
    const std::string file = dir.File("book.kbk");
    CliRun run = RunCli({"new", file});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(file), kEmptyBook);

    WriteFileBytes(file, "precious");
    run = RunCli({"new", file});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(file), "precious");

    run = RunCli({"new", file, "--force"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadFileBytes(file), kEmptyBook);
}

TEST_F(CliDataFile, NewIntoAMissingFolderSaysWhatTheProgramWouldSay) {
    const std::string file = dir.File("missing/book.kbk");
    const CliRun run = RunCli({"new", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, DocMessages::WithPath(DocMessages::kCannotCreate, file) + "\n");
}

struct CheckCase {
    const char* name;
    std::string bytes; // empty: no file at all
    int exitCode;
    std::string out;
    std::string err;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class CliCheck : public CliDataFile, public testing::WithParamInterface<CheckCase> {};

TEST_P(CliCheck, ReportsCountsOrTheProgramsMessage) {
    const std::string file = dir.File("book.kbk");
    if (!GetParam().bytes.empty())
        WriteFileBytes(file, GetParam().bytes);
    const CliRun run = RunCli({"check", file});
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_EQ(run.out, GetParam().out);
    // A file that is not there is said to be missing, not a backup that cannot be opened.
    EXPECT_EQ(run.err, GetParam().bytes.empty()
                           ? "kinbook-cli check: the file " + file + " does not exist\n"
                           : GetParam().err);
    // Checking writes nothing, not even a copy of a damaged file.
    EXPECT_EQ(dir.Entries().size(), GetParam().bytes.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliCheck,
    testing::Values(CheckCase{"EmptyBook", kEmptyBook, 0, "3 categories, 0 records\n", ""},
                    CheckCase{"OneRecord",
                              HexBytes("01 00 FF FF 00 00 09 00 43 43 61 74 65 67 6F 72 79"
                                       "08 42 75 73 69 6E 65 73 73 01 00 FF FF 00 00 0E 00"
                                       "43 43 6F 6E 74 61 63 74 52 65 63 6F 72 64 03 4C 65 65"
                                       "03 41 6E 6E 00 00 01 00 00 08 35 35 35 2D 31 32 33 34"
                                       "00 00 00 00 00 00 00 FF FF FF FF FF FF 00 00 00 00 00"
                                       "00 00 00 00 00"),
                              0, "2 categories, 1 records\n", ""},
                    CheckCase{"Cut", kEmptyBook.substr(0, 30), 1, "",
                              std::string(DocMessages::kLoadCorrupted) + "\n"},
                    CheckCase{"Missing", "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliDataFile, SampleIsTheSameForTheSameSeedAndLoads) {
    const std::string a = dir.File("a.kbk"), b = dir.File("b.kbk"), c = dir.File("c.kbk");
    ASSERT_EQ(RunCli({"sample", a, "--records", "300", "--seed", "42"}).exitCode, 0);
    ASSERT_EQ(RunCli({"sample", b, "--seed", "42", "--records", "300"}).exitCode, 0);
    ASSERT_EQ(RunCli({"sample", c, "--records", "300", "--seed", "43"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(a), ReadFileBytes(b));
    EXPECT_NE(ReadFileBytes(a), ReadFileBytes(c));
    const CliRun check = RunCli({"check", a});
    EXPECT_EQ(check.out, "7 categories, 300 records\n");
    EXPECT_EQ(RunCli({"sample", a, "--records", "1"}).exitCode, 2) << "a file is never replaced "
                                                                      "without --force";
}

struct UsageCase {
    std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    for (const auto& a : c.args)
        *os << a << ' ';
}

class CliUsage : public CliDataFile, public testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, BadUsageExitsWith2AndWritesNothing) {
    std::vector<std::string> args = GetParam().args;
    for (auto& a : args) {
        if (a == "FILE")
            a = dir.File("x.kbk");
    }
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("Usage: kinbook-cli"), std::string::npos) << run.err;
    EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Verbs, CliUsage,
    testing::Values(UsageCase{{"new"}}, UsageCase{{"new", "FILE", "FILE"}},
                    UsageCase{{"new", "FILE", "--forse"}}, UsageCase{{"check"}},
                    UsageCase{{"check", ""}}, UsageCase{{"dump", "FILE", "--pretty"}},
                    UsageCase{{"sample", "FILE"}}, UsageCase{{"sample", "FILE", "--records"}},
                    UsageCase{{"sample", "FILE", "--records", "-3"}},
                    UsageCase{{"sample", "FILE", "--records", "12x"}},
                    UsageCase{{"sample", "FILE", "--records", "99999999999"}},
                    UsageCase{{"sample", "FILE", "--records", "5", "--seed", "abc"}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(CliDataFile, DumpPrintsTheBookAsJsonDecodingOldText) {
    // "Unfiled", "Caf\xE9" (Windows-1252) and one record "Lee, Ann" with notes "a\r\nb".
    const std::string file = dir.File("book.kbk");
    WriteFileBytes(file,
                   HexBytes("01 00 FF FF 00 00 09 00 43 43 61 74 65 67 6F 72 79"
                            "04 43 61 66 E9"
                            "01 00 FF FF 00 00 0E 00 43 43 6F 6E 74 61 63 74 52 65 63 6F 72 64"
                            "03 4C 65 65 03 41 6E 6E 00 02 22 78 01 00 03"
                            "08 35 35 35 2D 31 32 33 34 00 00 00 00 00 00"
                            "00 FF FF FF FF FF 05"
                            "00 00 00 00 00 01 31 00 00 00 04 61 0D 0A 62"));
    const CliRun run = RunCli({"dump", file});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string item = R"({
          "text": "",
          "label": 255
        })";
    const std::string expected = R"({
  "categories": [
    "Unfiled",
    "Café"
  ],
  "records": [
    {
      "lastName": "Lee",
      "firstName": "Ann",
      "title": "",
      "otherRef": "\"x",
      "category": 1,
      "defaultItem": 3,
      "items": [
        {
          "text": "555-1234",
          "label": 0
        },
        )" + item + ",\n        " +
                                 item + ",\n        " + item + ",\n        " + item +
                                 ",\n        " + item + R"(,
        {
          "text": "",
          "label": 5
        }
      ],
      "address": "",
      "city": "",
      "state": "",
      "zip": "",
      "country": "",
      "otherInfo": [
        "1",
        "",
        "",
        ""
      ],
      "notes": "a\r\nb"
    }
  ]
}
)";
    EXPECT_EQ(run.out, expected);
}

TEST_F(CliDataFile, DumpOfADamagedFileGivesTheMessageOnly) {
    const std::string file = dir.File("book.kbk");
    WriteFileBytes(file, kEmptyBook.substr(0, 20));
    const CliRun run = RunCli({"dump", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(DocMessages::kLoadCorrupted) + "\n");
}

} // namespace
