#include "FakeMessageBox.h"
#include "TransferFakes.h"
#include "edit/FilingRule.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <gtest/gtest.h>

namespace {

struct Book {
    Book() { categories.ResetToDefaults(); }
    CContactRecord& Add(std::string last, std::string first = {}, std::uint16_t category = 1) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = std::move(last);
        r->m_strFirstName = std::move(first);
        r->m_nCategory = category;
        CContactRecord* p = r.get();
        FileRecord(records, std::move(r));
        return *p;
    }
    CRecordList records;
    CCategoryList categories;
};

class ExportTest : public testing::Test {
protected:
    ExportResult Export(CCategoryFilter category, std::vector<std::string> columns,
                        const char* variant = kVariantTabName) {
        ExportRequest req{"/out/x.tab", category, std::move(columns), variant};
        return RunExport(book.records, book.categories, req, fs, box, progress);
    }
    Book book;
    TransferMemoryFs fs;
    FakeMessageBox box;
    ScriptedProgress progress;
};

TEST_F(ExportTest, ThreeRecordsEndWithOneLineEndAndReportTheCount) {
    book.Add("Alpha", "Beta").m_strTitle = "Dr";
    book.Add("Gamma", "", 2);
    book.Add("Delta", "Eps", 0);
    const ExportResult r =
        Export(CCategoryFilter(), {"Last Name", "First Name", "Category"}, kVariantCommaName);
    EXPECT_EQ(r.outcome, ExportOutcome::Completed);
    EXPECT_EQ(fs.files["/out/x.tab"], "\"Alpha\",\"Beta\",\"Business\"\r\n"
                                      "\"Delta\",\"Eps\",\"Unfiled\"\r\n"
                                      "\"Gamma\",\"\",\"Personal\"\r\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "3 records exported.");
    EXPECT_EQ(box.shown[0].caption, "Export Complete");
    EXPECT_EQ(box.shown[0].icon, MbIcon::Information);
    EXPECT_EQ(progress.positions, (std::vector<int>{33, 66, 100, 100}));
}

TEST_F(ExportTest, CategoryFilterWritesOnlyItsRecordsAndPacesTheBarByThem) {
    book.Add("A", "", 1);
    book.Add("B", "", 2);
    book.Add("C", "", 1);
    book.Add("D", "", 0);
    const ExportResult r = Export(CCategoryFilter::Only(1), {"Last Name"});
    EXPECT_EQ(r.written, 2);
    EXPECT_EQ(fs.files["/out/x.tab"], "\"A\"\r\n\"C\"\r\n");
    EXPECT_EQ(progress.positions, (std::vector<int>{50, 100, 100}));
    EXPECT_EQ(box.shown.back().text, "2 records exported.");
}

TEST_F(ExportTest, RefusalsTouchNoFile) {
    book.Add("Alpha", "", 1);
    // No record in the category.
    EXPECT_EQ(Export(CCategoryFilter::Only(2), {"Last Name"}).outcome, ExportOutcome::NothingToDo);
    EXPECT_EQ(box.shown.back().text, "There are no records in the choosen category to export.");
    EXPECT_EQ(box.shown.back().caption, "Nothing to Do");
    EXPECT_TRUE(fs.files.empty());
    // Overwrite declined.
    fs.files["/out/x.tab"] = "keep me";
    box.answers.push_back(MbResult::No);
    EXPECT_EQ(Export(CCategoryFilter(), {"Last Name"}).outcome, ExportOutcome::Declined);
    EXPECT_EQ(box.shown.back().text, "The file /out/x.tab already exists, overwrite it?");
    EXPECT_EQ(box.shown.back().caption, "Overwrite Confirmation");
    EXPECT_EQ(box.shown.back().icon, MbIcon::Question);
    EXPECT_EQ(box.shown.back().buttons, MbButtons::YesNo);
    EXPECT_EQ(fs.files["/out/x.tab"], "keep me");
    // Not writable.
    fs.refuseCreate = true;
    box.answers.push_back(MbResult::Yes);
    EXPECT_EQ(Export(CCategoryFilter(), {"Last Name"}).outcome, ExportOutcome::NotWritable);
    EXPECT_EQ(box.shown.back().text, "/out/x.tab could not be written to.  Make sure the file or "
                                     "drive is not write protected.");
    EXPECT_EQ(box.shown.back().caption, "Drive Error");
    EXPECT_EQ(box.shown.back().icon, MbIcon::Stop);
    EXPECT_EQ(fs.files["/out/x.tab"], "keep me");
}

struct FailureCase {
    CFileException::Cause cause;
    const char* text;
    bool existed;
};

class ExportWriteFailure : public ExportTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ExportWriteFailure, ReportsAndLeavesNoNewFile) {
    const FailureCase& c = GetParam();
    for (int i = 0; i < 20000; ++i)
        book.records.push_back(std::make_unique<CContactRecord>());
    book.records[0]->m_strLastName = "First";
    if (c.existed)
        fs.files["/out/x.tab"] = "previous export";
    fs.failAfterBytes = 100000;
    fs.failCause = c.cause;
    const ExportResult r = Export(CCategoryFilter(), {"Last Name", "Notes"}, kVariantCommaName);
    EXPECT_EQ(r.outcome, ExportOutcome::Failed);
    ASSERT_FALSE(box.shown.empty());
    EXPECT_EQ(box.shown.back().text, c.text);
    EXPECT_EQ(box.shown.back().caption, "Disk Error");
    EXPECT_EQ(box.shown.back().icon, MbIcon::None);
    EXPECT_LT(r.written, 20000);
    if (c.existed)
        EXPECT_EQ(fs.files["/out/x.tab"], "previous export");
    else
        EXPECT_EQ(fs.files.count("/out/x.tab"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportWriteFailure,
    testing::Values(FailureCase{CFileException::DiskFull,
                                "The destination drive is out of disk space.  This export "
                                "operation will be canceled.",
                                false},
                    FailureCase{CFileException::IoError,
                                "An error occured while writing to the destination drive.  This "
                                "export operation will be canceled.",
                                true}));

TEST_F(ExportTest, CancelKeepsTheWholeLinesWrittenSoFar) {
    book.Add("A");
    book.Add("B");
    book.Add("C");
    progress.cancelAfter = 2; // asked before every record
    const ExportResult r = Export(CCategoryFilter(), {"Last Name"});
    EXPECT_EQ(r.outcome, ExportOutcome::Cancelled);
    EXPECT_EQ(fs.files["/out/x.tab"], "\"A\"\r\n\"B\"\r\n");
    EXPECT_TRUE(box.shown.empty()) << "a cancel says nothing";
}

TEST(ExportPaths, ExtensionsAndVariants) {
    EXPECT_EQ(PathWithExtension("/home/u/out", 4), "/home/u/out.tab");
    EXPECT_EQ(PathWithExtension("/home/u/out", 3), "/home/u/out.csv");
    EXPECT_EQ(PathForVariant("/home/u/out.tab", ExportVariant::Semicolon), "/home/u/out.csv");
    EXPECT_EQ(VariantFromText(kVariantSemicolonName), ExportVariant::Semicolon);
    EXPECT_EQ(PathWithExtension("/home/u/out", 2), "/home/u/out.csv");
    EXPECT_EQ(PathWithExtension("/home/u.d/out", 1), "/home/u.d/out.tab");
    EXPECT_EQ(PathWithExtension("/home/u/out.txt", 2), "/home/u/out.txt");
    EXPECT_EQ(PathForVariant("/home/u/out.txt", ExportVariant::CommaQuote), "/home/u/out.csv");
    EXPECT_EQ(PathForVariant("/home/u/out.csv", ExportVariant::Tab), "/home/u/out.tab");
    EXPECT_EQ(PathForVariant("/home/u/names.c", ExportVariant::CommaQuote), "/home/u/names.csv");
    EXPECT_EQ(PathForVariant("/home/u/names.json", ExportVariant::Tab), "/home/u/names.tab");
    EXPECT_EQ(PathForVariant("/home/u.v/names", ExportVariant::Tab), "/home/u.v/names.tab");
    EXPECT_EQ(VariantFromText("comma-quote delimited (*.csv)"), ExportVariant::CommaQuote);
    EXPECT_EQ(VariantFromText(kVariantTabName), ExportVariant::Tab);
}

// --- import ----------------------------------------------------------------

class ImportTest : public testing::Test {
protected:
    ImportResult Import(const std::string& text, std::vector<std::string> rows = kImportRowOrder) {
        fs.files["/in/f.csv"] = text;
        std::vector<char> buffer;
        const ScanResult scan = CountRecords("/in/f.csv", fs, box, buffer);
        return RunImport("/in/f.csv", scan.recordCount, rows, book.records, book.categories, fs,
                         box, progress);
    }
    const CContactRecord& At(std::size_t i) { return *book.records.at(i); }
    Book book;
    TransferMemoryFs fs;
    FakeMessageBox box;
    ScriptedProgress progress;
};

TEST_F(ImportTest, ExportedFileComesBackAsNumberedDuplicates) {
    CContactRecord& a = book.Add("Alpha", "Beta", 2);
    a.m_strTitle = "Dr";
    a.m_strItem[2] = "555-0101";
    a.m_nItemLabel[2] = LABEL_HOME;
    book.Add("Gamma", "Delta", 0);
    book.Add("Zeta", "", 1).m_strItem[0] = "unlabelled";
    const std::vector<std::string> cols = {"Last Name", "First Name", "Title", "Home", "Category"};
    ExportRequest req{"/in/f.csv", CCategoryFilter(), cols, kVariantTabName};
    ASSERT_EQ(RunExport(book.records, book.categories, req, fs, box, progress).outcome,
              ExportOutcome::Completed);
    std::vector<std::string> rows = cols;
    for (const std::string& n : kImportRowOrder)
        if (std::find(cols.begin(), cols.end(), n) == cols.end())
            rows.push_back(n);
    const ImportResult r = Import(fs.files["/in/f.csv"], rows);
    // Gamma comes back exactly as the book holds it and is not doubled; the other two
    // differ (an item moved to the first slot, an unlabelled item is not exported).
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(r.duplicates, 1);
    EXPECT_EQ(box.shown.back().text, "2 records imported, 1 already in the book.");
    EXPECT_EQ(box.shown.back().caption, "Import Complete");
    EXPECT_EQ(box.shown.back().icon, MbIcon::Information);
    ASSERT_EQ(book.records.size(), 5u);
    const CContactRecord& back = At(1);
    EXPECT_EQ(back.m_strLastName, "Alpha #1");
    EXPECT_EQ(back.m_strFirstName, "Beta");
    EXPECT_EQ(back.m_strTitle, "Dr");
    EXPECT_EQ(back.m_strItem[0], "555-0101");
    EXPECT_EQ(back.m_nItemLabel[0], LABEL_HOME);
    EXPECT_EQ(back.m_nCategory, 2);
    EXPECT_EQ(At(2).m_strLastName, "Gamma");
    EXPECT_EQ(At(3).m_strLastName, "Zeta");
    EXPECT_EQ(At(4).m_strLastName, "Zeta #1");
    EXPECT_EQ(At(4).m_nItemLabel[0], LABEL_NONE) << "an empty Home value fills no item";
}

TEST_F(ImportTest, DefaultRowsPutTheFirstColumnsIntoLastAndFirstName) {
    Import("Smith,John,Mr\r\n");
    ASSERT_EQ(book.records.size(), 1u);
    EXPECT_EQ(At(0).m_strLastName, "Smith");
    EXPECT_EQ(At(0).m_strFirstName, "John");
    EXPECT_EQ(At(0).m_strTitle, "Mr");
    EXPECT_EQ(At(0).m_nCategory, 1) << "no value for Category keeps the default";
}

struct CategoryCase {
    const char* value;
    int expected;
};

class ImportCategory : public ImportTest, public testing::WithParamInterface<CategoryCase> {};

TEST_P(ImportCategory, ValueDecidesTheIndex) {
    book.categories.AddTail("Golf");
    Import(std::string("\"X\",\"") + GetParam().value + "\"\r\n", {"Last Name", "Category"});
    ASSERT_EQ(book.records.size(), 1u);
    EXPECT_EQ(At(0).m_nCategory, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportCategory,
                         testing::Values(CategoryCase{"Nowhere", 0}, CategoryCase{"All", 0},
                                         CategoryCase{"all", 0},
                                         CategoryCase{"- Edit Categories", 0}, CategoryCase{"", 0},
                                         CategoryCase{"personal", 2}, CategoryCase{"Golf", 3}));

TEST_F(ImportTest, MissingNamesFallBackInOrder) {
    Import("\t\"Beta\"\t\"Ref\"\r\n"
           "\t\t\"Ref\"\r\n"
           "\t\t\r\n" // a blank line: never a record
           "\t\t\t\"unmatched\"\r\n"
           "\"Last\"\t\"First\"\t\"Ref\"\r\n",
           {"Last Name", "First Name", "Other Ref"});
    ASSERT_EQ(book.records.size(), 4u);
    EXPECT_EQ(At(0).m_strLastName, "Beta");
    EXPECT_EQ(At(0).m_strFirstName, "");
    EXPECT_EQ(At(0).m_strOtherRef, "Ref");
    EXPECT_EQ(At(1).m_strLastName, "Last");
    EXPECT_EQ(At(2).m_strLastName, "Ref");
    EXPECT_EQ(At(2).m_strOtherRef, "");
    EXPECT_EQ(At(3).m_strLastName, "Unnamed");
}

TEST_F(ImportTest, ItemsFillInColumnOrderAndTheEighthIsDropped) {
    Import("N,fax,,home,w,p,m,e,o,h2\r\n", {"Last Name", "FAX", "Home", "Home", "Work", "Pager",
                                            "Mobile", "E-Mail", "Other", "Notes"});
    // The second "Home" row wins the mapping; the first Home column goes unread.
    const CContactRecord& r = At(0);
    EXPECT_EQ(r.m_strItem[0], "fax");
    EXPECT_EQ(r.m_nItemLabel[0], LABEL_FAX);
    EXPECT_EQ(r.m_strItem[1], "home");
    EXPECT_EQ(r.m_nItemLabel[1], LABEL_HOME);
    EXPECT_EQ(r.m_strItem[6], "o");
    EXPECT_EQ(r.m_nItemLabel[6], LABEL_OTHER);
    EXPECT_EQ(r.m_strNotes, "h2");

    // Each name takes one column, so seven item columns at most can be matched: all seven
    // fill, and the value after them stays a note.
    Import("N,1,2,3,4,5,6,7,8\r\n",
           {"Last Name", "Home", "Work", "Pager", "Mobile", "FAX", "E-Mail", "Other", "Notes"});
    Import("M,1,2,3,4,5,6,7,8\r\n",
           {"Last Name", "Home", "Work", "Pager", "Mobile", "FAX", "E-Mail", "Other", "Notes"});
    const CContactRecord& m = At(0);
    EXPECT_EQ(m.m_strLastName, "M");
    EXPECT_EQ(m.m_strItem[6], "7");
    EXPECT_EQ(m.m_strNotes, "8");
}

TEST_F(ImportTest, SkippedAndEmptyRowsImportNothing) {
    Import("\"Smith\"\t\"note\"\t\"x\"\r\n",
           {"Last Name", ToggleSkippedMarker("Notes"), "", "Title"});
    EXPECT_EQ(At(0).m_strNotes, "");
    EXPECT_EQ(At(0).m_strTitle, "");
    EXPECT_EQ(box.shown.size(), 1u) << "only the completion message";
}

TEST_F(ImportTest, FirstByteLetterMakesCommasSplitEvenInTabFiles) {
    Import("Alpha, Jr.\tBeta\r\n");
    EXPECT_EQ(At(0).m_strLastName, "Alpha");
    EXPECT_EQ(At(0).m_strFirstName, " Jr.");
    EXPECT_EQ(At(0).m_strTitle, "Beta");
}

TEST_F(ImportTest, SecondImportSkipsWhatTheBookHoldsAndNumbersTheRest) {
    Import("\"Smith\"\t\"Ann\"\r\n\"Jones\"\t\"Bob\"\r\n");
    const ImportResult r = Import("\"Smith\"\t\"Ann\"\r\n\"Jones\"\t\"Bob\"\t\"Dr\"\r\n");
    EXPECT_EQ(r.imported, 1);
    EXPECT_EQ(r.duplicates, 1);
    ASSERT_EQ(book.records.size(), 3u);
    EXPECT_EQ(At(0).m_strLastName, "Jones");
    EXPECT_EQ(At(1).m_strLastName, "Jones #1");
    EXPECT_EQ(At(1).m_strTitle, "Dr");
    EXPECT_EQ(At(2).m_strLastName, "Smith");
}

TEST_F(ImportTest, CancelKeepsTheRecordsFiledSoFar) {
    progress.cancelAfter = 2;
    const ImportResult r = Import("a\nb\nc\nd\n");
    EXPECT_EQ(r.outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(book.records.size(), 3u);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ImportTest, EmptyMissingAndIncompatibleFiles) {
    // Empty: the scan says so, the import brings 0 records without dividing by zero.
    ImportResult r = Import("");
    EXPECT_EQ(box.shown.at(0).text, "/in/f.csv has no data.");
    EXPECT_EQ(box.shown.at(0).caption, "File Error");
    EXPECT_EQ(box.shown.at(0).icon, MbIcon::Stop);
    EXPECT_EQ(r.imported, 0);
    EXPECT_EQ(box.shown.at(1).text, "0 records imported.");
    EXPECT_EQ(progress.positions, (std::vector<int>{100}));
    box.shown.clear();

    r = RunImport("/in/none.tab", 0, kImportRowOrder, book.records, book.categories, fs, box,
                  progress);
    EXPECT_EQ(r.outcome, ImportOutcome::NotOpened);
    EXPECT_EQ(box.shown.at(0).text, "/in/none.tab could not be opened.");
    box.shown.clear();

    // Incompatible at the third line: the two before stay, the third is dropped. (Text
    // after a separator reads, as a bare number beside quoted text does.)
    fs.files["/in/bad.tab"] = "\"a\"\r\n\"b\"\t7\r\n\"c\"x\r\n\"d\"\r\n";
    r = RunImport("/in/bad.tab", 4, kImportRowOrder, book.records, book.categories, fs, box,
                  progress);
    EXPECT_EQ(r.outcome, ImportOutcome::Incompatible);
    EXPECT_EQ(book.records.size(), 2u);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "This data file is not in a compatable format and cannot be imported.\n\n"
              "Line 3: \"c\"x");
    EXPECT_EQ(box.shown[0].caption, "File Error");
}

TEST_F(ImportTest, MoreRecordsThanCountedKeepTheBarInRange) {
    fs.files["/in/f.csv"] = "a\nb\nc\n";
    RunImport("/in/f.csv", 1, kImportRowOrder, book.records, book.categories, fs, box, progress);
    for (int p : progress.positions)
        EXPECT_LE(p, 100);
    EXPECT_EQ(book.records.size(), 3u);
}

// --- the matching dialog's scan and preview ---------------------------------

TEST(ImportScan, CountsRecordsAndTheLastRecordsFields) {
    TransferMemoryFs fs;
    FakeMessageBox box;
    std::vector<char> buffer;
    fs.readPiece = 5; // the scan must not care how the file arrives
    std::string line25;
    for (int i = 0; i < 25; ++i)
        line25 += (i ? "," : "") + std::to_string(i);
    fs.files["/a"] = "x,y\r\n" + line25 + "\r\n" + line25; // last line without line end
    ScanResult s = CountRecords("/a", fs, box, buffer);
    EXPECT_EQ(s.status, ScanStatus::Ok);
    EXPECT_EQ(s.recordCount, 3);
    EXPECT_EQ(s.fieldCount, 25);
    EXPECT_TRUE(box.shown.empty());

    fs.files["/b"] = "\"a\"\r\n\"b\"x";
    EXPECT_EQ(CountRecords("/b", fs, box, buffer).status, ScanStatus::Incompatible);
    EXPECT_EQ(box.shown.back().text,
              "This data file is not in a compatable format and cannot be imported.\n\n"
              "Line 2: \"b\"x");
    fs.unreadable.push_back("/c");
    fs.files["/c"] = "x";
    EXPECT_EQ(CountRecords("/c", fs, box, buffer).status, ScanStatus::NotOpened);
    EXPECT_EQ(box.shown.back().text, "/c could not be opened.");
}

struct PreviewCase {
    int k;
    int shown;
    bool hasNext;
    std::vector<std::string> values;
};

class ImportPreview : public testing::TestWithParam<PreviewCase> {};

TEST_P(ImportPreview, ShowsRecordKAndOffersTheNext) {
    TransferMemoryFs fs;
    FakeMessageBox box;
    std::vector<char> buffer;
    fs.files["/p"] = "a1,a2\r\nb1,b2,b3\r\nc1";
    const PreviewCase& c = GetParam();
    const PreviewResult p = PreviewRecord("/p", c.k, 3, fs, box, buffer);
    EXPECT_EQ(p.record, c.shown);
    EXPECT_EQ(p.hasNext, c.hasNext);
    EXPECT_EQ(p.values, c.values);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportPreview,
                         testing::Values(PreviewCase{1, 1, true, {"a1", "a2"}},
                                         PreviewCase{2, 2, true, {"b1", "b2", "b3"}},
                                         PreviewCase{3, 3, false, {"c1"}},
                                         PreviewCase{4, 3, false, {}}));

TEST(ImportScan, ToggleMarker) {
    EXPECT_EQ(ToggleSkippedMarker("Notes"), "** Skipped Field ** Notes");
    EXPECT_EQ(ToggleSkippedMarker("** Skipped Field ** Notes"), "Notes");
    EXPECT_EQ(ToggleSkippedMarker("** SKIPPED field ** Notes"), "Notes");
    EXPECT_EQ(ToggleSkippedMarker(""), "** Skipped Field ** ");
    EXPECT_EQ(ToggleSkippedMarker("** Skipped Field ** "), "");
    EXPECT_EQ(ToggleSkippedMarker("** Skipped"), "** Skipped Field ** ** Skipped");
}

} // namespace
