#include "RunCli.h"
#include "TempDir.h"
#include <gtest/gtest.h>
#include <regex>

namespace {

int PdfPages(const std::string& path) {
    const std::string data = ReadFileBytes(path);
    if (data.rfind("%PDF", 0) != 0)
        return -1;
    const std::regex page(R"(/Type\s*/Page(?!s))");
    return static_cast<int>(std::distance(std::sregex_iterator(data.begin(), data.end(), page),
                                          std::sregex_iterator()));
}

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        book = dir.File("book.kbk");
        ASSERT_EQ(RunCli({"new", book}).exitCode, 0);
        ASSERT_EQ(RunCli({"add", book, "--last", "Smith", "--first", "John", "--item",
                          "Home:555-0100", "--notes", "Met at the fair."})
                      .exitCode,
                  0);
        ASSERT_EQ(RunCli({"add", book, "--last", "Brown", "--category", "Personal"}).exitCode, 0);
    }
    TempDir dir;
    std::string book;
};

} // namespace

TEST_F(CliPrint, WritesThePagesItCounts) {
    const std::string pdf = dir.File("out.pdf");
    // Two letters, each on a page of its own.
    const CliRun run = RunCli({"print", book, pdf, "--size", "pocket", "--border",
                               "--new-page-per-letter", "--content", "63"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PdfPages(pdf), 2);

    const CliRun together = RunCli({"print", book, pdf});
    EXPECT_EQ(together.out, "1\n");
    EXPECT_EQ(PdfPages(pdf), 1);

    const CliRun record = RunCli({"print", book, pdf, "--record", "SMITH, john", "--notes"});
    ASSERT_EQ(record.exitCode, 0) << record.err;
    EXPECT_EQ(record.out, "1\n");

    // A category without records still gives its one page.
    const CliRun empty = RunCli({"print", book, pdf, "--category", "business"});
    ASSERT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(empty.out, "1\n");
}

struct Refusal {
    const char* name;
    std::vector<std::string> options;
    int exitCode;
};

class CliPrintRefused : public CliPrint, public ::testing::WithParamInterface<Refusal> {};

TEST_P(CliPrintRefused, SaysWhyAndWritesNothing) {
    const std::string pdf = dir.File("out.pdf");
    std::vector<std::string> args{"print", GetParam().exitCode == 1 ? dir.File("none.kbk") : book,
                                  pdf};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFileBytes(pdf), "");
}

INSTANTIATE_TEST_SUITE_P(Options, CliPrintRefused,
                         ::testing::Values(Refusal{"UnknownSize", {"--size", "Letter"}, 2},
                                           Refusal{"TopOutOfRange", {"--top", "12"}, 2},
                                           Refusal{"LeftNotANumber", {"--left", "abc"}, 2},
                                           Refusal{"ContentTooHigh", {"--content", "64"}, 2},
                                           Refusal{"NoPoints", {"--points", "0"}, 2},
                                           Refusal{"UnknownCategory", {"--category", "Nowhere"}, 2},
                                           Refusal{"UnknownRecord", {"--record", "Nobody"}, 2},
                                           Refusal{"UnknownOption", {"--colour"}, 2},
                                           Refusal{"MissingFile", {}, 1}),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(CliPrint, EachSizeTakesItsOwnFontSizeUnlessOneIsGiven) {
    const std::string many = dir.File("many.kbk");
    ASSERT_EQ(RunCli({"sample", many, "--records", "60"}).exitCode, 0);
    const std::string pdf = dir.File("out.pdf");
    auto pages = [&](std::vector<std::string> options) {
        std::vector<std::string> args{"print", many, pdf, "--content", "63"};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.out;
    };
    // The defaults of the dialogs: 8 points on Pocket, 9 on Compact and Classic, 12 else.
    for (const auto& [size, points] : std::vector<std::pair<std::string, std::string>>{
             {"Pocket", "8"}, {"Compact", "9"}, {"Classic", "9"}, {"Regular", "12"}}) {
        SCOPED_TRACE(size);
        const std::string byDefault = pages({"--size", size});
        EXPECT_EQ(byDefault, pages({"--size", size, "--points", points}));
        EXPECT_NE(byDefault, pages({"--size", size, "--points", points == "12" ? "8" : "12"}));
    }
}

TEST_F(CliPrint, WarnsOfABorderTheSizeDoesNotOffer) {
    const std::string pdf = dir.File("out.pdf");
    const CliRun regular = RunCli({"print", book, pdf, "--size", "Regular", "--border"});
    ASSERT_EQ(regular.exitCode, 0) << regular.err;
    EXPECT_EQ(regular.err, "kinbook-cli print: the border is not offered on this size; "
                           "printing without it\n");
    const CliRun pocket = RunCli({"print", book, pdf, "--size", "Pocket", "--border"});
    ASSERT_EQ(pocket.exitCode, 0) << pocket.err;
    EXPECT_EQ(pocket.err, "");
    const CliRun plain = RunCli({"print", book, pdf, "--size", "Monarch"});
    EXPECT_EQ(plain.err, "");
}
