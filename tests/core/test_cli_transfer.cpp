// kinbook-cli export and import, run as a user would run them.
#include "RunCli.h"
#include "TempDir.h"
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class CliTransfer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        ASSERT_EQ(RunCli({"new", book}).exitCode, 0);
    }
    void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    TempDir dir;
    std::string book = dir.File("book.kbk");
    std::string in = dir.File("in.csv");
    std::string out = dir.File("out.tab");
};

TEST_F(CliTransfer, ImportThenExportGivesTheValuesBack) {
    Write(in, "\xEF\xBB\xBFSmith,\"Springfield, IL\",Personal,\"say \"\"hi\"\"\"\n"
              "Doe,\"two\nlines\",Business,x\n");
    CliRun run = RunCli({"import", book, in, "--fields", "Last Name, Address,Category,Notes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2 records imported.\n");

    run = RunCli(
        {"export", book, out, "--format", "csv", "--fields", "Last Name,Address,Category,Notes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2 records exported.\n");
    EXPECT_EQ(ReadFileBytes(out),
              "\"Doe\",\"two\r\nlines\",\"Business\",\"x\"\r\n"
              "\"Smith\",\"Springfield, IL\",\"Personal\",\"say \"\"hi\"\"\"\r\n");

    // The tab variant of one category, with the default fields.
    run = RunCli({"export", book, out, "--category", "personal", "--force"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out),
              "\"Smith\"\t\t\t\t\t\t\t\t\t\t\t\"Springfield, IL\"\t\t\t\t\t\t\t\t\t"
              "\"say \"\"hi\"\"\"\t\"Personal\"\r\n");
}

TEST_F(CliTransfer, RefusalsLeaveFilesAsTheyWere) {
    Write(out, "keep");
    CliRun run = RunCli({"export", book, out});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(ReadFileBytes(out), "keep");
    EXPECT_EQ(RunCli({"export", book, dir.File("x"), "--fields", "Last Name,Phone"}).exitCode, 2);
    EXPECT_EQ(RunCli({"export", book, dir.File("x"), "--format", "xls"}).exitCode, 2);
    EXPECT_EQ(RunCli({"import", book, in, "--fields", "Surname"}).exitCode, 2);

    const std::string before = ReadFileBytes(book);
    Write(in, "\"a\"\r\n\"b\" c\r\n");
    run = RunCli({"import", book, in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "This data file is not in a compatable format and cannot be imported.\n\n"
                       "Line 2: \"b\" c\n");
    EXPECT_EQ(ReadFileBytes(book), before);

    run = RunCli({"import", book, dir.File("missing.csv")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("missing.csv could not be opened."), std::string::npos) << run.err;

    // A line or a card longer than 64 MiB, after one that is fine.
    const std::string huge((64u << 20) + 1, 'x');
    Write(in, "Before,x\r\nBig," + huge + "\r\n");
    run = RunCli({"import", book, in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "Line 2 is longer than 64 MiB and cannot be imported.  Nothing was imported.\n");
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\n";
    Write(in, card + card + "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:" + huge + "\r\nEND:VCARD\r\n");
    run = RunCli({"import", book, in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The card on line 9 is longer than 64 MiB and cannot be imported.  "
                       "Nothing was imported.\n");
    EXPECT_EQ(ReadFileBytes(book), before);
}

TEST_F(CliTransfer, AnImportThatCannotBeSavedSaysSoAndNotThatItImported) {
    std::string lines;
    for (int i = 0; i < 500; ++i)
        lines += "Surname" + std::to_string(i) + ",Given\n";
    Write(in, lines);
    const std::string before = ReadFileBytes(book);
    // A limit on the size of files written stands in for a full disk: the save's writes
    // fail beyond 4 KiB.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const CliRun run = RunCli({"import", book, in, "--fields", "Last Name,First Name"});
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("The import was not saved; " + book + " is as it was."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(book), before);
}

TEST_F(CliTransfer, SkippedColumnsAndAnEmptyCategoryExport) {
    Write(in, "x\tSmith\tAnn\ta@x.example\tb@x.example\r\n");
    const CliRun in1 =
        RunCli({"import", book, in, "--fields", "*,Last Name,First Name,E-Mail,E-Mail"});
    ASSERT_EQ(in1.exitCode, 0);
    EXPECT_EQ(in1.out, "1 records imported. 1 column with values was not imported: column 1.\n");
    CliRun run = RunCli({"export", book, out, "--fields", "First Name,Last Name"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out), "\"Ann\"\t\"Smith\"\r\n");
    // With names and no field list every item goes out: the second e-mail after the usual
    // columns.
    run = RunCli({"export", book, out, "--force", "--header"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(ReadFileBytes(out).ends_with(
        "\"Category\"\t\"E-Mail\"\r\n\"Smith\"\t\"Ann\"" + std::string(8, '\t') +
        "\"a@x.example\"" + std::string(12, '\t') + "\"Unfiled\"\t\"b@x.example\"\r\n"));
    const CliRun none = RunCli({"export", book, dir.File("none.tab"), "--category", "Personal"});
    EXPECT_EQ(none.out, "There are no records in the choosen category to export.\n");
}

TEST_F(CliTransfer, ImportsOtherProgramsFilesByTheirColumnNames) {
    const std::string sample = std::string(KINBOOK_TEST_DATA_DIR) + "/import/webmail-contacts.csv";
    CliRun run = RunCli({"import", book, sample});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 records imported.\n");
    run = RunCli({"import", book, sample});
    EXPECT_EQ(run.out, "0 records imported, 3 already in the book.\n");

    run = RunCli({"export", book, out, "--fields", "Last Name,First Name,Category", "--header",
                  "--format", "semicolon", "--encoding", "cp1252"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out), "\"Last Name\";\"First Name\";\"Category\"\r\n"
                                  "\"Lovelace\";\"Ada\";\"Friends\"\r\n"
                                  "\"Mu\xF1oz\";\"Carlos\";\"Work Team\"\r\n"
                                  "\"Northwind Help Desk\";\"\";\"Unfiled\"\r\n");
}

TEST_F(CliTransfer, FormatOptionsOverrideDetection) {
    Write(in, "Last Name;First Name\r\nRossi;Maria\r\n");
    ASSERT_EQ(RunCli({"import", book, in, "--separator", "tab-comma", "--header", "no",
                      "--category", "Personal", "--no-create-categories"})
                  .exitCode,
              0);
    CliRun run = RunCli({"export", book, out, "--fields", "Last Name,Category", "--force"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out), "\"Last Name;First Name\"\t\"Personal\"\r\n"
                                  "\"Rossi;Maria\"\t\"Personal\"\r\n");
    EXPECT_EQ(RunCli({"import", book, in, "--separator", "pipe"}).exitCode, 2);
    EXPECT_EQ(RunCli({"import", book, in, "--encoding", "ebcdic"}).exitCode, 2);
    EXPECT_EQ(RunCli({"import", book, in, "--category", "Nowhere"}).exitCode, 2);
    EXPECT_EQ(RunCli({"export", book, out, "--encoding", "latin9"}).exitCode, 2);

    Write(in, "M\xFCller,Anna\r\n");
    ASSERT_EQ(RunCli({"import", book, in, "--encoding", "cp1252"}).exitCode, 0);
    run = RunCli({"export", book, out, "--fields", "Last Name", "--force"});
    EXPECT_NE(ReadFileBytes(out).find("\"Müller\""), std::string::npos)
        << "stored as UTF-8 on the way in";
    // Any charset the system knows, by its name.
    Write(in, "\xF0\xD2\xC9\xD7\xC5\xD4,\xE9\xD7\xC1\xCE\r\n");
    ASSERT_EQ(RunCli({"import", book, in, "--encoding", "KOI8-r"}).exitCode, 0);
    run = RunCli({"export", book, out, "--fields", "Last Name,First Name", "--force"});
    EXPECT_NE(ReadFileBytes(out).find("\"Привет\"\t\"Иван\""), std::string::npos);
    // In a vCard file it is the charset of the values that name none.
    Write(in, "BEGIN:VCARD\r\nVERSION:2.1\r\nN:\xF0\xC5\xD4\xD2\xCF\xD7;\r\n"
              "NOTE;CHARSET=ISO-8859-2:\xB3\r\nEND:VCARD\r\n");
    ASSERT_EQ(RunCli({"import", book, in, "--encoding", "koi8-r"}).exitCode, 0);
    run = RunCli({"export", book, out, "--fields", "Last Name,Notes", "--force"});
    EXPECT_NE(ReadFileBytes(out).find("\"Петров\"\t\"ł\""), std::string::npos);
}

} // namespace
