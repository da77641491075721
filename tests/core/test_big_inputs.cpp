// Big and odd inputs: huge books, huge values, hostile delimited files and very long
// names are read, written, shown and printed correctly or refused cleanly.
#include "FakeClock.h"
#include "FakeMessageBox.h"
#include "RecordingSurface.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "port/IProgress.h"
#include "print/CPrintJob.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include "view/DetailText.h"
#include "view/DisplayName.h"
#include "view/FitText.h"
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#define KINBOOK_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KINBOOK_UNDER_SANITIZER 1
#endif
#endif

namespace {

class NoProgress final : public IProgress {
public:
    void SetPosition(int) override {}
    bool CancelRequested() override { return false; }
};

struct ImportOutcomeCase {
    const char* name;
    std::string bytes;
    ImportOutcome outcome; // what a whole import gives
    int records;           // records imported
};

ImportResult ImportFile(const std::string& path, CRecordList& records, FakeMessageBox& mb) {
    CCategoryList categories;
    categories.ResetToDefaults();
    std::vector<char> buffer;
    const ScanResult scan = CountRecords(path, RealFileSystem(), mb, buffer);
    NoProgress progress;
    return RunImport(path, scan.recordCount, kImportRowOrder, records, categories, RealFileSystem(),
                     mb, progress);
}

} // namespace

TEST(BigInputs, AMillionRecordsLoadAndSave) {
#ifdef KINBOOK_UNDER_SANITIZER
    GTEST_SKIP() << "too slow under the sanitizers; the normal build runs it";
#endif
    TempDir dir;
    FakeMessageBox mb;
    CKinbookDoc doc(mb, RealFileSystem());
    doc.GetCategories().ResetToDefaults();
    constexpr int kRecords = 1'000'000;
    doc.GetRecords().reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = "L" + std::to_string(i);
        r->m_strFirstName = "F";
        r->m_strItem[0] = "555";
        r->m_nItemLabel[0] = LABEL_WORK;
        doc.GetRecords().push_back(std::move(r));
    }
    const std::string path = dir.File("big.kbk");
    ASSERT_TRUE(doc.Save(path));

    CKinbookDoc loaded(mb, RealFileSystem());
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_TRUE(mb.shown.empty());
    ASSERT_EQ(loaded.GetRecords().size(), static_cast<size_t>(kRecords));
    EXPECT_EQ(loaded.GetRecords().back()->m_strLastName, "L999999");
    EXPECT_EQ(loaded.GetRecords()[123456]->m_strItem[0], "555");
    ASSERT_TRUE(loaded.Save(path));
    EXPECT_EQ(ReadFileBytes(path).size(), std::filesystem::file_size(path));
}

TEST(BigInputs, ATenMegabyteNoteSurvivesSaveAndLoad) {
    TempDir dir;
    FakeMessageBox mb;
    CKinbookDoc doc(mb, RealFileSystem());
    doc.GetCategories().ResetToDefaults();
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = "Notes";
    std::string note;
    note.reserve(10u << 20);
    while (note.size() < (10u << 20))
        note += "Line of a very long note \xE2\x80\x94 with UTF-8.\r\n";
    r->m_strNotes = note;
    doc.GetRecords().push_back(std::move(r));
    const std::string path = dir.File("note.kbk");
    ASSERT_TRUE(doc.Save(path));
    CKinbookDoc loaded(mb, RealFileSystem());
    ASSERT_TRUE(loaded.Load(path));
    ASSERT_EQ(loaded.GetRecords().size(), 1u);
    EXPECT_EQ(loaded.GetRecords()[0]->m_strNotes, note);
    EXPECT_TRUE(mb.shown.empty());
}

TEST(BigInputs, ValuesOverAMegabyteAreCutAtACharacterAndCounted) {
    TempDir dir;
    const std::string path = dir.File("long.csv");
    // The cut at 1 MiB would fall inside the "é" (and, in the card, inside "\n").
    const std::string keep(std::size_t{1 << 20} - 1, 'a');
    WriteFileBytes(path, "Ann," + keep + "\xC3\xA9 and more\r\nBob," + keep + "\r\n");
    FakeMessageBox mb;
    CRecordList records;
    ImportResult result = ImportFile(path, records, mb);
    ASSERT_EQ(result.outcome, ImportOutcome::Completed);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->m_strFirstName, keep);
    EXPECT_EQ(records[1]->m_strFirstName, keep);
    EXPECT_EQ(mb.Texts().back(), "2 records imported. 1 value longer than 1 MiB was shortened.");

    const std::string card = dir.File("long.vcf");
    WriteFileBytes(card, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nNOTE:" + keep +
                             "\\nmore\r\nTITLE:" + keep + "bb\r\nEND:VCARD\r\n");
    records.clear();
    mb.shown.clear();
    result = ImportFile(card, records, mb);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->m_strNotes, keep);
    EXPECT_EQ(records[0]->m_strTitle, keep + "b");
    EXPECT_EQ(mb.Texts().back(), "1 records imported. 2 values longer than 1 MiB were shortened.");
}

TEST(BigInputs, ALineOrCardOver64MegabytesIsRefusedBeforeTheImport) {
    TempDir dir;
    const std::string huge((64u << 20) + 1, 'x');
    const std::string csv = dir.File("huge.csv");
    WriteFileBytes(csv, "Before,x\r\n\"Big\",\"" + huge + "\"\r\n");
    const std::string vcf = dir.File("huge.vcf");
    WriteFileBytes(vcf, "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:" + huge);
    const std::string refused = " is longer than 64 MiB and cannot be imported.  Nothing was "
                                "imported.";
    for (const auto& [path, text] :
         {std::pair{csv, "Line 2" + refused}, std::pair{vcf, "The card on line 4" + refused}}) {
        FakeMessageBox mb;
        std::vector<char> buffer;
        EXPECT_EQ(CountRecords(path, RealFileSystem(), mb, buffer).status,
                  ScanStatus::Incompatible);
        EXPECT_EQ(mb.Texts(), std::vector<std::string>{text});
    }
}

class OddDelimitedFile : public ::testing::TestWithParam<ImportOutcomeCase> {};

TEST_P(OddDelimitedFile, ImportsOrRefusesCleanly) {
    const auto& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("odd.csv");
    WriteFileBytes(path, c.bytes);
    FakeMessageBox mb;
    CRecordList records;
    const ImportResult result = ImportFile(path, records, mb);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.imported, c.records);
    EXPECT_EQ(records.size(), static_cast<size_t>(c.records));
    if (c.outcome == ImportOutcome::Incompatible) {
        ASSERT_FALSE(mb.shown.empty());
        EXPECT_EQ(mb.shown.front().text.rfind(
                      "This data file is not in a compatable format and cannot be imported.", 0),
                  0u);
    }
}

std::string Columns(int n) {
    std::string line;
    for (int i = 0; i < n; ++i)
        line += (i ? "," : "") + std::to_string(i);
    return line + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddDelimitedFile,
    ::testing::Values(
        ImportOutcomeCase{"FiftyMegabyteLine", "Big," + std::string(50u << 20, 'x') + "\r\n",
                          ImportOutcome::Completed, 1},
        ImportOutcomeCase{"TenThousandColumns", Columns(10000) + Columns(3),
                          ImportOutcome::Completed, 2},
        ImportOutcomeCase{"NulBytes", std::string("Nul,\0name,\0\0\r\nNext,x\r\n", 22),
                          ImportOutcome::Completed, 2},
        ImportOutcomeCase{"InvalidUtf8", "Caf\xE9,\xFF\xFE\xC3\r\nOk,y\r\n",
                          ImportOutcome::Completed, 2},
        ImportOutcomeCase{"ByteOrderMark", "\xEF\xBB\xBF\"Business\",\"Ann\",\"Lee\"\r\n",
                          ImportOutcome::Completed, 1},
        ImportOutcomeCase{"QuotedGarbage", "\"a\",\"b\"\r\n\"say \"hi\"\"\r\n",
                          ImportOutcome::Incompatible, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BigInputs, AThousandCharacterNameShowsFitsAndPrints) {
    CCategoryList categories;
    categories.ResetToDefaults();
    CContactRecord r;
    r.m_strLastName = "L" + std::string(999, 'x');
    r.m_strFirstName = std::string(1000, 'y');
    r.m_strNotes = std::string(1000, 'n');

    EXPECT_EQ(DisplayName(r).size(), 2002u);
    const std::string detail = ComposeDetailText(r, categories);
    EXPECT_NE(detail.find(r.m_strFirstName + " " + r.m_strLastName), std::string::npos);
    const std::string fitted =
        FitTextToWidth(DisplayName(r), 300, [](std::string_view s) { return int(s.size()) * 7; });
    EXPECT_LE(fitted.size() * 7, 300u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");

    CRecordList records;
    records.push_back(std::make_unique<CContactRecord>(r));
    FakeClock clock;
    for (PrintMode mode : {PrintMode::Book, PrintMode::Record}) {
        CPrintSettings settings;
        settings.m_nPrintData = 63;
        settings.m_bContactNotes = true;
        CPrintJob job(mode, settings, records, categories, records[0].get(), clock);
        RecordingSurface surface;
        const int pages = job.BeginPrinting(surface);
        EXPECT_GE(pages, 1);
        std::size_t printed = 0;
        for (int p = 1; p <= pages; ++p) {
            RecordingSurface page;
            job.BeginPrinting(page);
            job.PrintPage(page, p);
            for (const auto& t : page.texts)
                printed += t.text.size();
        }
        // Every character of the long name is printed somewhere, broken over lines.
        EXPECT_GE(printed, r.m_strLastName.size() + r.m_strFirstName.size());
    }
}
