// The command line names records and categories as the user reads them: twins, names
// beyond A-Z and Windows-1252 bytes from older data files.
#include "FakeMessageBox.h"
#include "RunCli.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include <gtest/gtest.h>

namespace {

class CliNames : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CliIsThere());
        book = dir.File("book.kbk");
        // A book from elsewhere: two records of one name, and a category and a last name
        // stored in Windows-1252.
        CKinbookDoc doc(quiet, RealFileSystem());
        doc.GetCategories().ResetToDefaults();
        doc.GetCategories().AddTail("Caf\xE9"); // 3
        Add(doc, "Smith", "John", "first");
        Add(doc, "Smith", "John", "second");
        Add(doc, "M\xFCller", "Zo\xEB", "old bytes", 3);
        Add(doc, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2", "", "cyrillic");
        ASSERT_TRUE(doc.Save(book));
    }
    static void Add(CKinbookDoc& doc, const char* last, const char* first, const char* notes,
                    std::uint16_t category = 1) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_strFirstName = first;
        r->m_strNotes = notes;
        r->m_nCategory = category;
        doc.GetRecords().push_back(std::move(r));
    }
    std::vector<std::string> Notes() {
        CKinbookDoc doc(quiet, RealFileSystem());
        EXPECT_TRUE(doc.Load(book));
        std::vector<std::string> out;
        for (const auto& r : doc.GetRecords())
            out.push_back(r->m_strNotes);
        return out;
    }

    FakeMessageBox quiet;
    TempDir dir;
    std::string book;
};

TEST_F(CliNames, ASharedNameIsReportedAndNthChoosesTheTwin) {
    CliRun r = RunCli({"show", book, "smith, john"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("2 contacts are named 'smith, john'; choose one with --nth 1 to --nth 2"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(r.out.empty());

    r = RunCli({"show", book, "Smith, John", "--nth", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("second"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli({"show", book, "Smith, John", "--nth", "3"}).exitCode, 2);
    EXPECT_EQ(RunCli({"show", book, "Smith, John", "--nth", "0"}).exitCode, 2);

    r = RunCli({"delete", book, "Smith, John"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(Notes().size(), 4u) << "an ambiguous name deletes nothing";
    r = RunCli({"delete", book, "Smith, John", "--nth", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Notes(), (std::vector<std::string>{"first", "old bytes", "cyrillic"}));
    // Now the name is one record's again: no --nth needed.
    r = RunCli({"show", book, "Smith, John"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("first"), std::string::npos);
}

TEST_F(CliNames, AddingATwinNumbersIt) {
    CliRun r = RunCli({"add", book, "--last", "SMITH", "--first", "john"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "SMITH #1\n");
    r = RunCli({"add", book, "--last", "\xC3\x85ngstr\xC3\xB6m", "--first", "Anders"});
    EXPECT_EQ(r.exitCode, 0) << r.err << " a last name may begin with any letter";
    r = RunCli({"add", book, "--last", "1st"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(CliNames, OldBytesAreNamedAsTheUserReadsThem) {
    // The category is listed as text, chosen by its typed name, and seen by the New check.
    CliRun r = RunCli({"categories", book});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("3\tCaf\xC3\xA9\t1\n"), std::string::npos) << r.out;
    r = RunCli({"list", book, "--category", "caf\xC3\xA9", "--letter", "m"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "M\xC3\xBCller, Zo\xC3\xAB\t\n") << "printed as UTF-8";
    r = RunCli({"categories", book, "--add", "CAF\xC3\x89"});
    EXPECT_EQ(r.exitCode, 0) << r.err << " only A to Z fold: CAFÉ is another name";
    r = RunCli({"categories", book, "--add", "caf\xC3\xA9"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "The word caf\xC3\xA9 already exists.\n");
    // The record is named by its decoded name too, and its bytes stay as they were.
    CKinbookDoc doc(quiet, RealFileSystem());
    ASSERT_TRUE(doc.Load(book));
    EXPECT_EQ(doc.GetRecords()[2]->m_strLastName, "M\xFCller");
    EXPECT_EQ(doc.GetCategories().NameOf(3), "Caf\xE9");
    r = RunCli({"show", book, "M\xC3\xBCller, Zo\xC3\xAB"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("old bytes"), std::string::npos);
}

TEST_F(CliNames, FindIgnoresCaseAndAccentsInEveryScriptAndHashListsTheRest) {
    CliRun r = RunCli({"find", book, "MULLER"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "M\xC3\xBCller, Zo\xC3\xAB\t\n");
    r = RunCli({"find", book, "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD"});
    EXPECT_EQ(r.out, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\t\n");
    r = RunCli({"list", book, "--letter", "#"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\t\n");
}

} // namespace
