#include "FakeMessageBox.h"
#include "RunCli.h"
#include "TempDir.h"
#include "TransferFakes.h"
#include "VCardCheck.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordExtras.h"
#include "model/CRecordUids.h"
#include "model/CSampleBook.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/CVCardReader.h"
#include "transfer/FileFormat.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

std::string Sample(const std::string& name) {
    return std::string(KINBOOK_TEST_DATA_DIR) + "/vcard/" + name;
}

struct Book {
    Book() { categories.ResetToDefaults(); }
    // As the Import command and kinbook-cli run it: detected, counted, then imported.
    ImportResult Import(const std::string& path, IFileSystem& fs = RealFileSystem(),
                        ImportOptions options = WithCreatedCategories()) {
        std::vector<char> buffer;
        const ScanResult scan = CountRecords(path, fs, box, buffer);
        EXPECT_EQ(scan.format.kind, FileKind::VCard) << path;
        options.format = scan.format;
        options.uids = &uids;
        return RunImport(path, scan.recordCount, options, records, categories, fs, box, progress);
    }
    static ImportOptions WithCreatedCategories() {
        ImportOptions options;
        options.createCategories = true;
        return options;
    }
    const CContactRecord& Named(const std::string& last) const {
        for (const auto& r : records) {
            if (r->m_strLastName == last)
                return *r;
        }
        ADD_FAILURE() << "no record " << last;
        static const CContactRecord none;
        return none;
    }
    CRecordList records;
    CCategoryList categories;
    CRecordUids uids;
    FakeMessageBox box;
    ScriptedProgress progress;
};

// The sample files as phones, services and desktop programs write them.
TEST(VCardSamples, APhonesVersion21WithQuotedPrintableAndWindows1252) {
    Book book;
    const ImportResult r = book.Import(Sample("phone-2.1.vcf"));
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(book.box.Texts(),
              std::vector<std::string>{"2 records imported."}); // the photo with them
    const CContactRecord& m = book.Named("M\xC3\xBCller");
    EXPECT_EQ(m.m_strFirstName, "J\xC3\xBCrgen");
    EXPECT_EQ(m.m_strItem[0], "+49 170 1234567");
    EXPECT_EQ(m.m_nItemLabel[0], LABEL_MOBILE);
    EXPECT_EQ(m.m_nItemLabel[1], LABEL_HOME);
    EXPECT_EQ(m.m_nItemLabel[2], LABEL_FAX);
    EXPECT_EQ(m.m_strItem[3], "juergen@example.de");
    EXPECT_EQ(m.m_nItemLabel[3], LABEL_EMAIL);
    EXPECT_EQ(m.m_nDefaultItem, 0);
    EXPECT_EQ(m.m_strAddress, "Hauptstra\xC3\x9F"
                              "e 5");
    EXPECT_EQ(m.m_strCountry, "Deutschland"); // joined over a soft line break
    EXPECT_EQ(m.m_strNotes, "Erste Zeile\r\nZweite Zeile, mit Komma und einem l\xC3\xA4ngeren "
                            "Text, der umgebrochen wird.");
    EXPECT_EQ(m.m_strOtherInfo[0], "");
    EXPECT_EQ(m.Extras()->FindShown("BDAY")->value, "1980-04-04");
    EXPECT_EQ(m.m_nCategory, 0);
    const CContactRecord& z = book.Named("Lef\xC3\xA8vre");
    EXPECT_EQ(z.m_strFirstName, "Zo\xC3\xA9");
    EXPECT_EQ(z.m_strOtherRef, "Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale");
    EXPECT_EQ(z.m_strTitle, "Charg\xC3\xA9"
                            "e d'affaires");
    EXPECT_EQ(z.m_strOtherInfo[0], "");
    EXPECT_NE(z.Extras()->FindShown("PHOTO")->value.find("/9j/4AAQ"), std::string::npos);
    EXPECT_EQ(z.m_strNotes, "Prix: 20 \xE2\x82\xAC \xE2\x80\x93 r\xC3\xA9"
                            "duit");
}

TEST(VCardSamples, ADesktopVersion30WithItemGroupsAndCustomLabels) {
    Book book;
    const ImportResult r = book.Import(Sample("desktop-3.0.vcf"));
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(r.categoriesCreated, 1);
    EXPECT_EQ(book.categories.NameOf(static_cast<std::uint16_t>(book.categories.GetCount() - 1)),
              "Friends");
    const CContactRecord& j = book.Named("Appleseed");
    EXPECT_EQ(j.m_strFirstName, "Johnny");
    EXPECT_EQ(j.m_strOtherRef, "Orchard Inc.");
    EXPECT_EQ(j.m_strTitle, "Head Gardener");
    EXPECT_EQ(book.categories.NameOf(j.m_nCategory), "Friends");
    const std::array<std::uint8_t, 7> labels = {LABEL_MOBILE, LABEL_HOME, LABEL_OTHER, LABEL_EMAIL,
                                                LABEL_EMAIL,  LABEL_NONE, LABEL_NONE};
    EXPECT_EQ(j.m_nItemLabel, labels);
    EXPECT_EQ(j.m_strItem[2], "(555) 010-1002");
    EXPECT_EQ(j.m_strAddress, "12 Apple Lane\r\nUnit 3"); // the preferred address
    EXPECT_EQ(j.m_strZip, "95014");
    for (const CRecordText& line : j.m_strOtherInfo)
        EXPECT_EQ(line, "");
    EXPECT_EQ(j.m_strNotes, "Met at the cider festival, 2019.\r\n"
                            "Likes pears; and plums.");
    // What no field holds is shown from the extras, the groups beyond Friends among it.
    std::string shown;
    for (const VCardProperty& p : j.Extras()->properties) {
        if (!p.held)
            shown += p.group + "." + p.name + ":" + p.value + "\n";
    }
    EXPECT_EQ(shown, "item5.ADR:;;1 Orchard Way;Cupertino;CA;95014;USA\n"
                     "item6.URL:https://orchard.example/johnny\n"
                     "item6.X-ABLABEL:_$!<HomePage>!$_\n"
                     "item7.X-ABRELATEDNAMES:Jane Appleseed\n"
                     "item7.X-ABLABEL:_$!<Mother>!$_\n"
                     ".NICKNAME:Apples\n"
                     ".CATEGORIES:Gardening\n"
                     ".X-SOCIALPROFILE:https://social.example/johnny\n");
    const CContactRecord& company = book.Named("Orchard Supplies Ltd");
    EXPECT_EQ(company.m_strOtherRef, "");
    EXPECT_EQ(company.m_nItemLabel[0], LABEL_WORK);
    EXPECT_EQ(company.m_nItemLabel[1], LABEL_OTHER); // "Main"
    EXPECT_EQ(book.Named("Lone Company Inc.").m_strFirstName, "");
}

TEST(VCardSamples, Version40WithPreferencesAFoldedCharacterAndAPhoto) {
    Book book;
    const ImportResult r = book.Import(Sample("rfc-4.0.vcf"));
    EXPECT_EQ(r.imported, 2);
    EXPECT_TRUE(r.binaries.empty()); // the photo is kept
    const CContactRecord& a = book.Named("\xC3\x96"
                                         "berg-\xC3\x98"
                                         "sterg\xC3\xA5rd");
    EXPECT_EQ(a.m_strItem[0], "+46-8-555-0100"); // the tel: URI as the number
    EXPECT_EQ(a.m_nItemLabel[0], LABEL_HOME);
    EXPECT_EQ(a.m_nDefaultItem, 1); // PREF=1
    EXPECT_EQ(a.m_strNotes, "Fika on Fridays. Remember: she prefers tea, never coffee "
                            "\xE2\x80\x93 and the caf\xC3\xA4 by the harbour.");
    EXPECT_EQ(a.m_strAddress, "Storgatan 1\r\nBox 12");
    EXPECT_EQ(a.m_strOtherInfo[0], "");
    EXPECT_EQ(a.Extras()->FindShown("ANNIVERSARY")->value, "20090808");
    EXPECT_EQ(book.uids.RecordOf("4fbe8971-0bc3-424c-9c26-36c3e1eff6b1"), &a);
    EXPECT_EQ(book.Named("Nordic Widgets AB").Extras()->FindShown("URL")->value,
              "https://widgets.example.se");
}

// Imported and exported with no edit, a card comes out as it came, property for property:
// its photo, birthday, ten phones, two addresses and both groups among them.
TEST(VCardSamples, ARichCardImportedAndExportedIsTheSameCard) {
    Book book;
    EXPECT_EQ(book.Import(Sample("rich-3.0.vcf")).imported, 1);
    TempDir dir;
    const std::string out = dir.File("out.vcf");
    ASSERT_EQ(RunVCardExport(book.records, book.categories, book.uids, {out, {}, VCardVersion::V30},
                             RealFileSystem(), book.box, book.progress)
                  .outcome,
              ExportOutcome::Completed);
    const auto was = ParseVCards(ReadFileBytes(Sample("rich-3.0.vcf")));
    const auto now = ParseVCards(ReadFileBytes(out));
    ASSERT_EQ(now.size(), 1u);
    EXPECT_TRUE(std::equal(was[0].properties.begin(), was[0].properties.end(),
                           now[0].properties.begin(), now[0].properties.end(), SameKeptProperty));
}

TEST(VCardSamples, BrokenCardsAreNamedByLineAndTheRestComeIn) {
    Book book;
    const ImportResult r = book.Import(Sample("broken-middle.vcf"));
    EXPECT_EQ(r.outcome, ImportOutcome::Completed);
    EXPECT_EQ(r.imported, 3);
    ASSERT_EQ(book.box.shown.size(), 1u);
    EXPECT_EQ(book.box.shown[0].text,
              "3 records imported. 2 cards could not be read (lines 7 and 18).");
    EXPECT_EQ(book.box.shown[0].caption, "Import Complete");
    EXPECT_EQ(book.box.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(book.records.size(), 3u);
}

TEST(VCardTransfer, ImportIsFiledCancelledAndReportedLikeDelimitedImport) {
    TransferMemoryFs fs;
    fs.readPiece = 5;
    std::string file;
    for (const char* tel : {"1", "2", "3", "4"}) {
        const char* name = *tel == '1'   ? "Zulu"
                           : *tel == '2' ? "Alpha"
                           : *tel == '3' ? "Mike"
                                         : "Alpha";
        file += std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:") + name + ";Ann;;;\r\nTEL:" + tel +
                "\r\nCATEGORIES:All,Personal\r\nEND:VCARD\r\n";
    }
    fs.files["/in.vcf"] = file;
    Book book;
    book.progress.cancelAfter = 2;
    ImportResult r = book.Import("/in.vcf", fs);
    EXPECT_EQ(r.outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(book.records.size(), 3u); // the ones filed before Cancel stay
    EXPECT_TRUE(book.box.shown.empty());

    Book whole;
    r = whole.Import("/in.vcf", fs);
    ASSERT_EQ(whole.records.size(), 4u);
    EXPECT_EQ(whole.records[0]->m_strLastName, "Alpha");
    EXPECT_EQ(whole.records[1]->m_strLastName, "Alpha #1"); // the filing rule numbers twins
    EXPECT_EQ(whole.records[3]->m_strLastName, "Zulu");
    EXPECT_EQ(whole.records[0]->m_nCategory, 2); // "All" is never a category
    EXPECT_EQ(whole.progress.positions.back(), 100);

    // The same file again: every card is in the book already.
    r = whole.Import("/in.vcf", fs);
    EXPECT_EQ(r.imported, 0);
    EXPECT_EQ(r.duplicates, 4);
    EXPECT_EQ(whole.box.shown.back().text, "0 records imported, 4 already in the book.");
    EXPECT_EQ(whole.records.size(), 4u);

    ImportOptions vcard;
    vcard.format.kind = FileKind::VCard;
    RunImport("/missing.vcf", 1, vcard, whole.records, whole.categories, fs, whole.box,
              whole.progress);
    EXPECT_EQ(whole.box.shown.back().text, "/missing.vcf could not be opened.");
    EXPECT_EQ(whole.box.shown.back().caption, "File Error");
}

// CATEGORIES follow the rule of delimited import: the first that is a category or may be
// created; the default category for the rest.
TEST(VCardTransfer, CategoriesFollowTheImportsChoices) {
    TransferMemoryFs fs;
    const std::string longName(256, 'x');
    fs.files["/in.vcf"] = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:A\r\nN:A;;;;\r\n"
                          "CATEGORIES:Book Club,Personal\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:B\r\nN:B;;;;\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:C\r\nN:C;;;;\r\nCATEGORIES:" +
                          longName +
                          ",All\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:D\r\nN:D;;;;\r\n"
                          "CATEGORIES:unfiled,Personal\r\nEND:VCARD\r\n";
    auto categoryOf = [](const Book& book, const std::string& last) {
        return book.categories.NameOf(book.Named(last).m_nCategory);
    };
    ImportOptions options;
    options.defaultCategory = "Business";
    options.createCategories = false;
    Book kept;
    kept.Import("/in.vcf", fs, options);
    EXPECT_EQ(categoryOf(kept, "A"), "Personal"); // Book Club may not be made
    EXPECT_EQ(categoryOf(kept, "B"), "Business");
    EXPECT_EQ(categoryOf(kept, "C"), "Business"); // too long, reserved
    EXPECT_EQ(categoryOf(kept, "D"), "Unfiled");
    EXPECT_EQ(kept.categories.GetCount(), 3u);

    options.createCategories = true;
    Book made;
    const ImportResult r = made.Import("/in.vcf", fs, options);
    EXPECT_EQ(r.categoriesCreated, 1);
    EXPECT_EQ(categoryOf(made, "A"), "Book Club");
    EXPECT_EQ(categoryOf(made, "C"), "Business");
}

// Detection looks at the content, in whatever encoding the file is.
TEST(VCardTransfer, AVCardFileIsFoundByItsContentInAnyEncoding) {
    TransferMemoryFs fs;
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xC3\xBCller;J\xC3\xBCrgen;;;\r\n"
                             "EMAIL:j@example.de\r\nEND:VCARD\r\n";
    std::string utf16 = "\xFF\xFE";
    for (unsigned char c : std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xFCller;J\xFCrgen;;;"
                                       "\r\nEMAIL:j@example.de\r\nEND:VCARD\r\n")) {
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    fs.files["/utf8.txt"] = "\xEF\xBB\xBF\r\n" + card;
    fs.files["/utf16.txt"] = utf16;
    for (const char* path : {"/utf8.txt", "/utf16.txt"}) {
        Book book;
        const ImportResult r = book.Import(path, fs);
        EXPECT_EQ(r.imported, 1) << path;
        EXPECT_EQ(book.Named("M\xC3\xBCller").m_strItem[0], "j@example.de") << path;
    }
    EXPECT_EQ(DetectFormat(std::string_view("BEGIN:VCARD\r\n")).kind, FileKind::VCard);
    EXPECT_EQ(DetectFormat(std::string_view("begin:vcard  \nEND:VCARD\n")).kind, FileKind::VCard);
    EXPECT_EQ(DetectFormat(std::string_view("\"BEGIN:VCARD\",\"x\"\r\n")).kind,
              FileKind::Delimited);
    EXPECT_EQ(DetectFormat(std::string_view("Name,BEGIN:VCARD\r\n")).kind, FileKind::Delimited);
    EXPECT_EQ(DetectFormat(std::string_view("BEGIN:VCARDS,x\r\n")).kind, FileKind::Delimited);
}

// Old phones in Central Europe, Russia and Japan wrote their own charsets; a name
// nobody knows is read as unnamed text is, and said so.
TEST(VCardSamples, OldPhonesCharsetsAreReadByNameAndAnUnknownOneIsSaid) {
    TransferMemoryFs fs;
    fs.files["/in/old.vcf"] =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-2;ENCODING=QUOTED-PRINTABLE:"
        "Wi=B6niewski;Pawe=B3\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=KOI8-R:\xE9\xD7\xC1\xCE\xCF\xD7;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x93\x63\x92\x86;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-MARTIAN:Caf\xE9;\r\nEND:VCARD\r\n";
    Book book;
    const ImportResult r = book.Import("/in/old.vcf", fs);
    EXPECT_EQ(r.imported, 4);
    EXPECT_EQ(book.Named("Wiśniewski").m_strFirstName, "Paweł");
    book.Named("Иванов");
    book.Named("田中");
    book.Named("Café");
    ASSERT_EQ(book.box.shown.size(), 1u);
    EXPECT_EQ(book.box.shown[0].text,
              "4 records imported. 1 value names the unknown charset \"X-MARTIAN\" (line 15) "
              "and was read as UTF-8 or Windows-1252.");
    EXPECT_EQ(book.box.shown[0].icon, MbIcon::Exclamation);
}

TEST(VCardTransfer, FinishMessagesCountPhotosAndRefusedCards) {
    ImportResult r;
    r.imported = 1;
    EXPECT_EQ(ImportFinishMessage(r), "1 records imported.");
    r.binaries = {"photo", "logo", "photo"};
    EXPECT_EQ(ImportFinishMessage(r), "1 records imported. 2 photos and 1 logo were not imported.");
    r.binaries.clear();
    r.refusedLines = {4};
    r.duplicates = 2;
    EXPECT_EQ(ImportFinishMessage(r),
              "1 records imported, 2 already in the book. 1 card could not be read (line 4).");
    r.duplicates = 0;
    r.refusedLines = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(ImportFinishMessage(r), "1 records imported. 12 cards could not be read (lines 1, "
                                      "2, 3, 4, 5, 6, 7, 8, 9, 10 and more).");
    r.refusedLines.clear();
    kb::AddCharsetNote(r.charsetNotes, "ISO-8859-2", false, 3);
    kb::AddCharsetNote(r.charsetNotes, "iso-8859-2", false, 9);
    r.replaced = 1;
    EXPECT_EQ(ImportFinishMessage(r),
              "1 records imported. 2 values hold bytes that are not ISO-8859-2 text (lines 3 "
              "and 9); they show as \"\xEF\xBF\xBD\". 1 byte is not text in the file's "
              "encoding and shows as \"\xEF\xBF\xBD\".");
}

// A book out to a file and into an empty book: every record field for field, and the
// file read by python3-vobject with the same names, phones and e-mails.
TEST(VCardTransfer, ExportThenImportIntoAnEmptyBookGivesTheSameBook) {
    TempDir dir;
    CCategoryList categories;
    CRecordList records;
    CSampleBook(99).Fill(categories, records, 1000);
    CRecordUids uids;
    for (VCardVersion v : {VCardVersion::V40, VCardVersion::V30}) {
        const std::string path = dir.File(v == VCardVersion::V40 ? "book4.vcf" : "book3.vcf");
        FakeMessageBox box;
        ScriptedProgress progress;
        const ExportResult out = RunVCardExport(records, categories, uids, {path, {}, v},
                                                RealFileSystem(), box, progress);
        ASSERT_EQ(out.outcome, ExportOutcome::Completed);
        EXPECT_EQ(box.Texts(), std::vector<std::string>{"1000 records exported."});

        std::string error;
        EXPECT_EQ(VobjectLines(path, error), ExpectedVobjectLines(records)) << error;

        Book empty;
        empty.categories.RemoveAll();
        empty.categories.AddTail("Unfiled");
        const ImportResult in = empty.Import(path);
        EXPECT_EQ(in.imported, 1000);
        ASSERT_EQ(empty.records.size(), records.size());
        // What the import must give: the same records filed into an empty book by the
        // filing rule (which numbers twins that the sample book has side by side anew: a
        // card names them without their numbers).
        CRecordList expected;
        std::map<const CContactRecord*, const CContactRecord*> originalOf;
        {
            CRecordFiler filer(expected);
            for (const auto& r : records) {
                auto copy = std::make_unique<CContactRecord>(*r);
                copy->m_strLastName = TwinlessName(copy->m_strLastName);
                originalOf[copy.get()] = r.get();
                filer.File(std::move(copy));
            }
        }
        for (std::size_t i = 0; i < expected.size(); ++i) {
            CContactRecord back = *empty.records[i];
            // Categories are made in the order met: compare them by name.
            EXPECT_EQ(empty.categories.NameOf(back.m_nCategory),
                      categories.NameOf(expected[i]->m_nCategory));
            back.m_nCategory = expected[i]->m_nCategory;
            back.SetExtras(nullptr); // the card it came in
            ASSERT_EQ(back, *expected[i]) << i;
            EXPECT_EQ(empty.uids.UidOf(*empty.records[i]),
                      uids.UidOf(*originalOf[expected[i].get()]));
        }
    }
}

TEST(VCardTransfer, ExportAsksBeforeReplacingAndLeavesNothingOnAFailedWrite) {
    TransferMemoryFs fs;
    CCategoryList categories;
    CRecordList records;
    CSampleBook(5).Fill(categories, records, 50);
    CRecordUids uids;
    FakeMessageBox box;
    ScriptedProgress progress;
    fs.files["/out.vcf"] = "old";
    box.answers = {MbResult::No};
    EXPECT_EQ(RunVCardExport(records, categories, uids, {"/out.vcf", {}, VCardVersion::V40}, fs,
                             box, progress)
                  .outcome,
              ExportOutcome::Declined);
    EXPECT_EQ(fs.files["/out.vcf"], "old");
    EXPECT_EQ(box.shown.back().text, "The file /out.vcf already exists, overwrite it?");

    fs.failAfterBytes = 100;
    EXPECT_EQ(RunVCardExport(records, categories, uids, {"/out.vcf", {}, VCardVersion::V40}, fs,
                             box, progress)
                  .outcome,
              ExportOutcome::Failed);
    EXPECT_EQ(fs.files["/out.vcf"], "old");
    EXPECT_EQ(
        box.shown.back().text,
        "The destination drive is out of disk space.  This export operation will be canceled.");

    EXPECT_EQ(RunVCardExport(records, categories, uids,
                             {"/none.vcf", CCategoryFilter::Only(42), VCardVersion::V40}, fs, box,
                             progress)
                  .outcome,
              ExportOutcome::NothingToDo);
    EXPECT_EQ(fs.files.count("/none.vcf"), 0u);
}

// The count that paces the bar is the number of lines that begin with BEGIN:VCARD, in
// any case and after any line end, wherever the reads cut the file.
TEST(VCardTransfer, CardsAreCountedWhateverTheReadsCut) {
    std::mt19937 rng(11);
    const auto pick = [&rng](std::initializer_list<const char*> from) {
        return std::string(from.begin()[rng() % from.size()]);
    };
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int lines = static_cast<int>(rng() % 400);
        for (int l = 0; l < lines; ++l)
            text += pick({"BEGIN:VCARD", "begin:vcard", "Begin:VCard", "BEGIN:VCAR", "BEGIN:VCARDX",
                          " BEGIN:VCARD", "BBEGIN:VCARD", "FN:b", "b", "bEGIN:vcarD", "",
                          "N:Begin:VCARD;b", "END:VCARD",
                          "\xC3\xA9"
                          "BEGIN:VCARD"}) +
                    pick({"\r\n", "\n", "\r", "\r\r\n"});
        // What is counted: each piece between line ends that begins so.
        int expected = 0;
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            expected += kb::StartsWithNoCase(text.substr(start, end - start), "begin:vcard");
            start = end + 1;
        }
        struct Source final : IByteSource {
            const std::string* text;
            std::mt19937* rng;
            std::size_t pos = 0;
            std::size_t Read(char* buffer, std::size_t size) override {
                std::size_t n = (*rng)() % 3 == 0 ? 1 + (*rng)() % 12 : 1 + (*rng)() % 200;
                n = std::min({n, size, text->size() - pos});
                std::memcpy(buffer, text->data() + pos, n);
                pos += n;
                return n;
            }
        } source;
        source.text = &text;
        source.rng = &rng;
        EXPECT_EQ(CountVCards(source), expected) << text;
    }
}

TEST(VCardTransfer, PathForVCard) {
    EXPECT_EQ(PathForVCard("/a/b.tab"), "/a/b.vcf");
    EXPECT_EQ(PathForVCard("/a.d/b"), "/a.d/b.vcf");
}

} // namespace

namespace {

// kinbook-cli as a user runs it: a vCard file found by its content, whatever its name, and
// both export formats read by python3-vobject.
TEST(VCardCli, ImportFindsCardsByContentAndExportWritesBothVersions) {
    if (Cli().empty())
        GTEST_SKIP() << "KINBOOK_CLI is not set (run through ctest)";
    TempDir dir;
    const std::string book = dir.File("book.kbk");
    ASSERT_EQ(RunCli({"new", book}).exitCode, 0);
    const std::string in = dir.File("contacts.txt"); // no .vcf: the content decides
    WriteFileBytes(in, ReadFileBytes(Sample("desktop-3.0.vcf")));
    CliRun run = RunCli({"import", book, in});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 records imported.\n");
    EXPECT_TRUE(std::filesystem::exists(book + ".uids"));

    for (const char* format : {"vcard", "vcard3"}) {
        const std::string out = dir.File(std::string(format) + ".vcf");
        run = RunCli({"export", book, out, "--format", format});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "3 records exported.\n");
        const std::string bytes = ReadFileBytes(out);
        EXPECT_NE(bytes.find(std::string("VERSION:") + (format[5] ? "3.0" : "4.0")),
                  std::string::npos);
        std::string error;
        const std::vector<std::string> seen = VobjectLines(out, error);
        ASSERT_EQ(seen.size(), 3u) << error;
        // The card's own FN goes back out: nobody edited the name.
        EXPECT_EQ(seen[0],
                  "Appleseed\x1fJohnny\x1fMr. Johnny Q. Appleseed Jr.\x1e(555) 010-1000\x1f(555) "
                  "010-1001\x1f(555) 010-1002\x1ejohnny@example.com\x1f"
                  "j.appleseed@orchard.example");
        // The same records give the same UIDs on every export.
        const std::string again = dir.File("again.vcf");
        ASSERT_EQ(RunCli({"export", book, again, "--format", format, "--force"}).exitCode, 0);
        EXPECT_EQ(ReadFileBytes(again), bytes);
    }
    EXPECT_EQ(RunCli({"export", book, dir.File("x.vcf"), "--format", "vcard5"}).exitCode, 2);
}

} // namespace
