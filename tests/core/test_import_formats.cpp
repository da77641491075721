// Files from other address books and spreadsheets: detection of encoding, separator and
// header row, the known layouts, and where every value of such a file ends up.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "TransferFakes.h"
#include "edit/FilingRule.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordExtras.h"
#include "model/TextDecode.h"
#include "transfer/CDelimitedReader.h"
#include "transfer/CImportUndo.h"
#include "transfer/CTextDecoder.h"
#include "transfer/ColumnProperties.h"
#include "transfer/FileFormat.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace {

std::string SampleBytes(const std::string& name) {
    std::ifstream in(std::string(KINBOOK_TEST_DATA_DIR) + "/import/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One line per record with every value, so a whole import is compared at once.
std::string Describe(const CContactRecord& r, const CCategoryList& categories) {
    static const char* const kLabels[] = {"Home", "Work",   "Mobile", "Pager",
                                          "Fax",  "E-Mail", "Other"};
    std::string d = r.m_strLastName + " | " + r.m_strFirstName + " | title=" + r.m_strTitle +
                    " | ref=" + r.m_strOtherRef + " | cat=" + categories.NameOf(r.m_nCategory) +
                    "\n  items:";
    for (int i = 0; i < CContactRecord::kItemCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!r.m_strItem[k].empty())
            d += std::string(" ") + (r.m_nItemLabel[k] < 7 ? kLabels[r.m_nItemLabel[k]] : "-") +
                 "=" + r.m_strItem[k];
    }
    d += "\n  address: " + r.m_strAddress + " / " + r.m_strCity + " / " + r.m_strState + " / " +
         r.m_strZip + " / " + r.m_strCountry + "\n  info:";
    for (const auto& o : r.m_strOtherInfo)
        d += " [" + o + "]";
    d += "\n  notes: " + r.m_strNotes + "\n";
    if (const CRecordExtras* extras = r.Extras()) {
        d += "  kept:";
        for (const VCardProperty& p : extras->properties) {
            d += " " + p.name;
            for (const VCardParam& param : p.params)
                d += ";" + param.name + "=" + param.values.at(0);
            d += ":" + p.value;
        }
        d += "\n";
    }
    return d;
}

class ImportFormats : public testing::Test {
protected:
    ImportFormats() { categories.ResetToDefaults(); }

    // What the Import dialogs do without a single drag: detect, arrange, import.
    ImportResult ImportBytes(const std::string& bytes, ImportFormatChoice choice = {},
                             bool createCategories = true) {
        fs.files["/in/file"] = bytes;
        std::vector<char> buffer;
        scan = CountRecords("/in/file", fs, box, buffer, choice);
        ImportOptions options;
        options.format = scan.format;
        options.rowNames = scan.format.hasHeader
                               ? transfer::ArrangeColumns(scan.format.firstRecord).rowNames
                               : kImportRowOrder;
        options.defaultCategory = "Unfiled";
        options.createCategories = createCategories;
        return RunImport("/in/file", scan.recordCount, options, records, categories, fs, box,
                         progress);
    }
    ImportResult ImportSample(const std::string& name) { return ImportBytes(SampleBytes(name)); }

    std::string All() const {
        std::string out;
        for (const auto& r : records)
            out += Describe(*r, categories);
        return out;
    }

    CRecordList records;
    CCategoryList categories;
    TransferMemoryFs fs;
    FakeMessageBox box;
    ScriptedProgress progress;
    ScanResult scan;
};

TEST_F(ImportFormats, WebMailExportNeedsNoDrag) {
    const ImportResult r = ImportSample("webmail-contacts.csv");
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(scan.format.encoding, TextEncoding::Utf8);
    EXPECT_TRUE(scan.format.hasHeader);
    EXPECT_EQ(scan.fieldCount, 58);
    EXPECT_EQ(transfer::ArrangeColumns(scan.format.firstRecord).profile, "Web mail contacts");
    EXPECT_EQ(All(),
              "Lovelace | Ada | title=Mathematician | ref= | cat=Friends\n"
              "  items: E-Mail=ada@example.org Mobile=+44 7700 900123 Home=+44 20 7946 0018\n"
              "  address: 12 St James's Square / London /  / SW1Y 4JH / UK\n"
              "  info: [] [] [] []\n"
              "  notes: Met at the analytical\r\nengine demo\n"
              "  kept: BDAY:1815-12-10 URL;TYPE=profile:https://example.org/ada ORG:Analytical "
              "Society\n"
              "Muñoz | Carlos | title= | ref= | cat=Work Team\n"
              "  items: E-Mail=carlos@work.example E-Mail=cmunoz@example.net Work=+34 91 555 "
              "0101 Fax=+34 91 555 0102 Pager=555 0199\n"
              "  address: Calle Mayor 5 / Madrid / Madrid / 28013 / Spain\n"
              "  info: [] [] [] []\n"
              "  notes: \n"
              "  kept: ORG:Muñoz y Hijos\n"
              "Northwind Help Desk |  | title= | ref= | cat=Unfiled\n"
              "  items: E-Mail=help@northwind.example Other=0800 555 0100\n"
              "  address:  /  /  /  / \n"
              "  info: [] [] [] []\n"
              "  notes: \n"
              "  kept: ORG:Northwind\n");
    // The groups named in the file became categories; the system groups did not.
    EXPECT_EQ(categories.GetCount(), 5u);
    EXPECT_EQ(r.categoriesCreated, 2);
}

// The layout the web mail service has written since 2024: every value of every column lands
// in a field or a kept property, without a single drag.
TEST_F(ImportFormats, CurrentWebMailLayoutLandsEveryValue) {
    const std::string bytes = SampleBytes("webmail-2024.csv");
    const ImportResult r = ImportBytes(bytes);
    ASSERT_EQ(r.imported, 12);
    const auto arranged = transfer::ArrangeColumns(scan.format.firstRecord);
    EXPECT_EQ(arranged.profile, "Web mail contacts (2024)");
    EXPECT_TRUE(SkippedColumns(arranged.rowNames, scan.format, scan.valued).empty());
    EXPECT_EQ(box.Texts().back(), "12 records imported.");

    // Every value of a line (but the labels beside values) stands in one record.
    std::vector<std::string> held;
    for (const auto& rec : records) {
        std::string all = categories.NameOf(rec->m_nCategory);
        for (std::string_view t : rec->Texts())
            all.append("\n").append(t);
        for (const VCardProperty& p :
             rec->Extras() ? rec->Extras()->properties : std::vector<VCardProperty>())
            all += "\n" + vcard::UnescapeText(p.value);
        std::erase(all, '\r');
        held.push_back(all);
    }
    CDelimitedReader reader(scan.format);
    std::vector<char> buffer;
    auto source = fs.OpenRead("/in/file");
    reader.Run(
        *source,
        [&](std::span<const std::string_view> fields, long long line) {
            EXPECT_TRUE(std::ranges::any_of(
                held,
                [&](const std::string& all) {
                    for (std::size_t c = 0; c < fields.size(); ++c) {
                        if (transfer::ReadWithAnotherColumn(scan.format.firstRecord[c]))
                            continue;
                        for (std::string_view v : transfer::SplitGroups(fields[c]))
                            if (all.find(v) == std::string::npos)
                                return false;
                    }
                    return true;
                }))
                << "line " << line;
            return true;
        },
        buffer);

    std::string all = All();
    EXPECT_NE(
        all.find("Lovelace | Ada Augusta | title=Mathematician | ref= | cat=Friends\n"
                 "  items: E-Mail=ada@example.org E-Mail=ada@society.example Mobile=+44 7700 "
                 "900123 Home=+44 20 7946 0018\n"
                 "  address: 12 St James's Square / London /  / SW1Y 4JH / UK\n"
                 "  info: [] [] [] []\n"
                 "  notes: Met at the analytical\r\nengine demo\n"
                 "  kept: X-KINBOOK-COLUMN;NAME=Name Prefix:Countess NICKNAME:Ada BDAY:1815-12-10 "
                 "X-KINBOOK-COLUMN;NAME=Photo:https://photos.example/ada.jpg "
                 "URL;TYPE=profile:https://example.org/ada URL;TYPE=blog:https://blog.example/ada "
                 "RELATED;VALUE=text;TYPE=spouse:William King ANNIVERSARY:1835-07-08 "
                 "X-KINBOOK-COLUMN;NAME=Graduation:1833-06-05 X-KINBOOK-COLUMN;NAME=Pet:Cat "
                 "ADR;TYPE=work:;;1 Engine Row\\nPO Box 7;Cambridge;;;UK "
                 "ORG:Analytical Society;Research CATEGORIES:Chess\n"),
        std::string::npos)
        << all;
    for (const char* part : {
             // items past the seventh, with their labels
             "kept: TEL;TYPE=home:91 555 0103 TEL;TYPE=fax:91 555 0104\n",
             "Northwind Traders |  | title= | ref= | cat=Unfiled", // filed under the company
             "Bob's Plumbing |  | title= | ref= | cat=Unfiled",    // or under File As
             "cat=Family\n  items:\n  address:  /  /  /  / \n  info: [] [] [] []\n  notes: \n"
             "  kept: NICKNAME:Amazing Grace BDAY:--12-09 ORG:US Navy CATEGORIES:Work Team\n",
             "RELATED;VALUE=text;TYPE=child:Tom RELATED;VALUE=text;TYPE=child:Sue "
             "ANNIVERSARY:--06-01",
             "BDAY;VALUE=text:December 10",
             "address: Via Roma 1\r\nScala B / Milano /  / 20121 / Italy", // the first address
             "address: Storgatan 1\r\nUppsala /  /  /  / ",                // given only as one text
         })
        EXPECT_NE(all.find(part), std::string::npos) << part;
}

TEST_F(ImportFormats, DesktopMailExportInWindows1252NeedsNoDrag) {
    const ImportResult r = ImportSample("desktop-mail.csv");
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(scan.format.encoding, TextEncoding::Cp1252);
    EXPECT_EQ(scan.fieldCount, 92);
    EXPECT_EQ(All(),
              "Acme Supplies |  | title= | ref= | cat=Unfiled\n"
              "  items: Work=+1 555 0166 Mobile=+1 555 0122 Work=+1 555 0100 Home=+1 555 0144 "
              "Home=+1 555 0155 Other=+1 555 0111 Pager=+1 555 0133\n"
              "  address:  /  /  /  / \n"
              "  info: [] [] [] []\n"
              "  notes: \n"
              "  kept: TEL:+1 555 0177 EMAIL:orders@acme.example ORG:Acme Supplies\n"
              "Größer | Jürgen K. | title=Architekt | ref= | cat=Kunden\n"
              "  items: Fax=+49 221 555011 Work=+49 221 555010 Home=+49 228 555020 Mobile=+49 "
              "171 5550303 E-Mail=j.groesser@oekobau.example\n"
              "  address: Gartenweg 7 / Bonn /  / 53111 / Germany\n"
              "  info: [] [] [] []\n"
              "  notes: Prefers calls “after 10” – not before.\r\nSecond line.\n"
              "  kept: X-KINBOOK-COLUMN;NAME=Prefix:Dr. BDAY;VALUE=text:4/4/1980 "
              "URL:http://oekobau.example/ ADR;TYPE=work:;;Hauptstraße 1;Köln;;50667;Germany "
              "ORG:Öko Bau GmbH\n"
              "Lefèvre | Brigitte | title= | ref= | cat=Business\n"
              "  items: Work=+33 1 55 55 01 02 E-Mail=brigitte@lumiere.example "
              "E-Mail=b.lefevre@example.fr\n"
              "  address: 3 rue de Rivoli\r\nBâtiment B / Paris /  / 75001 / France\n"
              "  info: [] [] [] []\n"
              "  notes: \n"
              "  kept: ORG:Café Lumière\n");
}

TEST_F(ImportFormats, MailClientExportNeedsNoDrag) {
    const ImportResult r = ImportSample("mail-client.csv");
    EXPECT_EQ(r.imported, 2);
    EXPECT_TRUE(box.shown.size() == 1) << "only the completion message";
    EXPECT_EQ(
        All(),
        "Hopper | Grace | title=Rear Admiral | ref= | cat=Unfiled\n"
        "  items: E-Mail=grace@navy.example Work=+1 202 555 0150 Mobile=+1 202 555 0151\n"
        "  address: 1 Compiler Way / Arlington / VA / 22201 / USA\n"
        "  info: [] [] [] []\n"
        "  notes: Found the first bug\n"
        "  kept: NICKNAME:Amazing Grace BDAY:1906-12-09 ORG:US Navy\n"
        "Öhman | Linus | title= | ref= | cat=Unfiled\n"
        "  items: E-Mail=linus@example.se E-Mail=lo@example.com Home=+46 18 555 12\n"
        "  address: Storgatan 1\r\nlgh 1102 / Uppsala /  / 753 20 / Sweden\n"
        "  info: [] [] [] []\n"
        "  notes: \n"
        "  kept: X-KINBOOK-COLUMN;NAME=Display Name:Linus Öhman (Uppsala) "
        "X-KINBOOK-COLUMN;NAME=Custom 1:Chess club ADR;TYPE=work:;;Kungsgatan 2;Uppsala;;;\n");
}

TEST_F(ImportFormats, SemicolonSpreadsheetKeepsDecimalCommasAndSkipsBlankLines) {
    const ImportResult r = ImportSample("spreadsheet-semicolon.csv");
    EXPECT_EQ(scan.format.separator, Separator::Semicolon);
    EXPECT_EQ(scan.recordCount, 2);
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(All(), "Bianchi | Luca | title= | ref= | cat=Unfiled\n"
                     "  items: E-Mail=luca@example.it\n"
                     "  address:  / Milano; Centro /  /  / \n"
                     "  info: [] [] [] []\n"
                     "  notes: \n"
                     "  kept: X-KINBOOK-COLUMN;NAME=Amount:12\\,75\n"
                     "Rossi | Maria | title= | ref= | cat=Unfiled\n"
                     "  items: Mobile=+39 06 5550 1234 E-Mail=maria@example.it\n"
                     "  address:  / Roma /  /  / \n"
                     "  info: [] [] [] []\n"
                     "  notes: \n"
                     "  kept: X-KINBOOK-COLUMN;NAME=Amount:1\\,50\n");
    std::vector<char> buffer;
    const PreviewResult p = PreviewRecord("/in/file", 1, 2, fs, box, buffer, scan.format);
    ASSERT_EQ(p.values.size(), 6u);
    EXPECT_EQ(p.values[4], "1,50");
}

TEST_F(ImportFormats, Utf16TextWithEitherByteOrder) {
    for (const char* name : {"unicode-text-utf16le.txt", "unicode-text-utf16be.txt"}) {
        records.clear();
        const ImportResult r = ImportSample(name);
        EXPECT_EQ(r.imported, 2) << name;
        EXPECT_EQ(All(), "Nakamura | Yuki | title= | ref= | cat=Unfiled\n"
                         "  items: Other=+81 3 5555 0101 E-Mail=yuki@example.jp\n"
                         "  address:  /  /  /  / \n"
                         "  info: [] [] [] []\n"
                         "  notes: 東京の友人\n"
                         "Żółć | Jan | title= | ref= | cat=Unfiled\n"
                         "  items: Other=+48 22 555 0102 E-Mail=jan@example.pl\n"
                         "  address:  /  /  /  / \n"
                         "  info: [] [] [] []\n"
                         "  notes: Gęślą jaźń 🎉\n")
            << name;
    }
}

TEST_F(ImportFormats, MixedQuotingBlankLinesAndAShortLastLine) {
    const ImportResult r = ImportSample("mixed-quoting.csv");
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(scan.fieldCount, 7) << "the widest record, not the short last one";
    EXPECT_EQ(All(), "Okafor | Chinwe | title= | ref= | cat=Unfiled\n"
                     "  items: Home=5550101\n"
                     "  address:  / Berlin /  / 10115 / Germany\n"
                     "  info: [] [] [] []\n"
                     "  notes: likes \"jollof\"\n"
                     "Short | Last | title= | ref= | cat=Unfiled\n"
                     "  items:\n"
                     "  address:  /  /  /  / \n"
                     "  info: [] [] [] []\n"
                     "  notes: \n"
                     "Tanaka | Kenji | title= | ref= | cat=Unfiled\n"
                     "  items: Home=5550102\n"
                     "  address:  / Tokyo /  / 100 / Japan\n"
                     "  info: [] [] [] []\n"
                     "  notes: \n");
}

// Only " ::: " separates several values; colons and partial marks around it are text.
TEST_F(ImportFormats, SeveralValuesSplitAtTheMarkOnly) {
    const ImportResult r = ImportBytes("Last Name,E-mail Address,Home Phone\r\n"
                                       "Colon,a:b ::: c:d ::: ,x :::y\r\n"
                                       "Mark, ::: ::: e,:: ::: :::\r\n"); // a mark needs its blanks
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(All(), "Colon |  | title= | ref= | cat=Unfiled\n"
                     "  items: E-Mail=a:b E-Mail=c:d Home=x :::y\n"
                     "  address:  /  /  /  / \n"
                     "  info: [] [] [] []\n"
                     "  notes: \n"
                     "Mark |  | title= | ref= | cat=Unfiled\n"
                     "  items: E-Mail=::: e Home=:: Home=:::\n"
                     "  address:  /  /  /  / \n"
                     "  info: [] [] [] []\n"
                     "  notes: \n");
}

TEST_F(ImportFormats, RefusalNamesTheLineAndTheText) {
    const ImportResult r = ImportSample("broken-quote.csv");
    EXPECT_EQ(scan.status, ScanStatus::Incompatible);
    EXPECT_EQ(r.outcome, ImportOutcome::Incompatible);
    EXPECT_EQ(r.imported, 1) << "the lines before the bad one stay";
    ASSERT_FALSE(box.shown.empty());
    EXPECT_EQ(box.shown.front().text,
              "This data file is not in a compatable format and cannot be imported.\n\n"
              "Line 3: \"Bad \"quote\" here\",\"x\"");
    EXPECT_EQ(box.shown.front().caption, "File Error");
    // A long line is cut to 40 bytes, never inside a character.
    box.shown.clear();
    ImportBytes("\"a\"\r\n\"b\"\r\n\"ééééé\"xéééééééééééééééééééééééééééé\r\n");
    EXPECT_EQ(box.shown.front().text,
              "This data file is not in a compatable format and cannot be imported.\n\n"
              "Line 3: \"ééééé\"xééééééééééééé");
}

TEST_F(ImportFormats, LastLineWithoutLineEndIsImported) {
    const ImportResult r = ImportBytes("\"Alpha\",\"Beta\"\r\n\"Gamma\",\"Delta\"");
    ASSERT_EQ(r.imported, 2);
    EXPECT_EQ(records[1]->m_strLastName, "Gamma");
    EXPECT_EQ(records[1]->m_strFirstName, "Delta");
}

struct HeaderCase {
    const char* line;
    bool header;
};
class HeaderDetection : public testing::TestWithParam<HeaderCase> {};
TEST_P(HeaderDetection, FirstLine) {
    const DetectedFormat f = DetectFormat(std::string_view(GetParam().line));
    EXPECT_EQ(f.headerDetected, GetParam().header) << GetParam().line;
}
INSTANTIATE_TEST_SUITE_P(
    Lines, HeaderDetection,
    testing::Values(HeaderCase{"Smith, John, john@x.org\r\n", false},
                    HeaderCase{"Last Name,First Name,E-mail Address\r\n", true},
                    HeaderCase{"\"surname\"\t\"given name\"\t\"Notes\"\r\n", true},
                    HeaderCase{"Name,Phone,City\r\nAnn,555 0101,Rome\r\n", true},
                    HeaderCase{"City,Smith,555 0101 22\r\n", false},
                    HeaderCase{"Alpha,Beta,Gamma\r\n", false}, HeaderCase{"Title\r\n", false},
                    HeaderCase{"\r\n\r\nFirst Name;Last Name\r\n", true}));

TEST(FormatDetection, EncodingsAndOverrides) {
    EXPECT_EQ(DetectFormat(std::string_view("a,b\r\n")).encoding, TextEncoding::Utf8);
    EXPECT_EQ(DetectFormat(std::string_view("M\xC3\xBCller,b\r\n")).encoding, TextEncoding::Utf8);
    EXPECT_EQ(DetectFormat(std::string_view("M\xFCller,b\r\n")).encoding, TextEncoding::Cp1252);
    EXPECT_EQ(DetectFormat(std::string_view("\xEF\xBB\xBF"
                                            "a\r\n"))
                  .encoding,
              TextEncoding::Utf8);
    EXPECT_EQ(DetectFormat(std::string_view("\xFF\xFE"
                                            "a\0,\0b\0",
                                            8))
                  .encoding,
              TextEncoding::Utf16LE);
    EXPECT_EQ(DetectFormat(std::string_view("\xFE\xFF\0a\0,\0b", 8)).encoding,
              TextEncoding::Utf16BE);
    // Without a mark, text whose every other byte is NUL is UTF-16 all the same.
    EXPECT_EQ(DetectFormat(std::string_view("a\0,\0b\0\r\0\n\0", 10)).encoding,
              TextEncoding::Utf16LE);
    ImportFormatChoice latin;
    latin.encoding = TextEncoding::Cp1252;
    EXPECT_EQ(DetectFormat(std::string_view("M\xC3\xBCller\r\n"), latin).encoding,
              TextEncoding::Cp1252);
    ImportFormatChoice wide;
    wide.encoding = TextEncoding::Utf16LE;
    EXPECT_EQ(DetectFormat(std::string_view("\xFE\xFF\0a", 4), wide).encoding,
              TextEncoding::Utf16BE)
        << "the mark tells the byte order of a UTF-16 choice";
    // Separators: semicolons win only when they outnumber commas and TABs outside quotes.
    EXPECT_EQ(DetectFormat(std::string_view("a;b;\"c,d,e\"\r\n")).separator, Separator::Semicolon);
    EXPECT_EQ(DetectFormat(std::string_view("a,b;c\r\n")).separator, Separator::TabComma);
    EXPECT_EQ(DetectFormat(std::string_view("a,\"b;c;d\"\r\n")).separator, Separator::TabComma);
    ImportFormatChoice comma;
    comma.separator = Separator::TabComma;
    EXPECT_EQ(DetectFormat(std::string_view("a;b;c\r\n"), comma).separator, Separator::TabComma);
}

// Decoding in pieces of any size gives what decoding the whole does.
TEST(TextDecoder, ChunkBoundariesNeverChangeTheText) {
    const std::string text = "Żółć \xF0\x9F\x8E\x89 “q” Müller é,\r\n東京";
    std::u16string wide = u"Żółć 🎉 “q” Müller é,\r\n東京";
    std::string le, be;
    for (char16_t u : wide) {
        le += static_cast<char>(u & 0xFF);
        le += static_cast<char>(u >> 8);
        be += static_cast<char>(u >> 8);
        be += static_cast<char>(u & 0xFF);
    }
    const std::string latin = "M\xFC"
                              "ller \x93q\x94 \x80";
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        std::string expected;
        std::string charset = {};
        std::size_t replaced = 0;
    };
    const Case cases[] = {
        {TextEncoding::Utf8, "\xEF\xBB\xBF" + text, text},
        {TextEncoding::Utf16LE, "\xFF\xFE" + le, text},
        {TextEncoding::Utf16BE, "\xFE\xFF" + be, text},
        {TextEncoding::Cp1252, latin, "Müller “q” €"},
        {TextEncoding::Utf8,
         "ok\xFF"
         "ok\xC3",
         "ok\xEF\xBF\xBDok\xEF\xBF\xBD",
         {},
         2},
        // Through iconv: two-byte characters cut between chunks, a shifting charset, and
        // a broken lead byte and a cut last character that each become U+FFFD.
        {TextEncoding::Named, "\xF0\xD2\xC9\xD7\xC5\xD4,\r\n", "Привет,\r\n", "koi8-r"},
        {TextEncoding::Named, "\x93\xFA\x96\x7B \x93\xFA\x96\x7B", "日本 日本", "Shift_JIS"},
        {TextEncoding::Named, "a\x1B$BF|K\\\x1B(Bz", "a日本z", "ISO-2022-JP"},
        {TextEncoding::Named, "\x82 a\x93", "\xEF\xBF\xBD a\xEF\xBF\xBD", "SHIFT_JIS", 2},
    };
    std::mt19937 rng(15);
    for (const Case& c : cases) {
        for (int round = 0; round < 200; ++round) {
            CTextDecoder decoder(c.encoding, c.charset);
            std::string out;
            std::size_t at = 0;
            while (at < c.bytes.size()) {
                const std::size_t n = std::min<std::size_t>(c.bytes.size() - at, 1 + rng() % 5);
                decoder.Decode(c.bytes.data() + at, n, out);
                at += n;
            }
            decoder.Finish(out);
            ASSERT_EQ(out, c.expected) << static_cast<int>(c.encoding) << " round " << round;
            ASSERT_EQ(decoder.Replaced(), c.replaced) << c.expected;

            // The same through a source, whose reads (and the file's) come in any sizes:
            // text handed on where it was read must be the same text.
            struct ChoppySource : IByteSource {
                std::size_t Read(char* buffer, std::size_t size) override {
                    const std::size_t n = std::min({size, bytes.size() - at, 1 + (*rng)() % 7});
                    std::copy_n(bytes.data() + at, n, buffer);
                    at += n;
                    return n;
                }
                std::string bytes;
                std::size_t at = 0;
                std::mt19937* rng = nullptr;
            } raw;
            raw.bytes = c.bytes;
            raw.rng = &rng;
            CDecodingSource source(raw, c.encoding, c.charset);
            std::string read;
            char buffer[9];
            for (std::size_t n; (n = source.Read(buffer, 1 + rng() % sizeof buffer)) > 0;)
                read.append(buffer, n);
            ASSERT_EQ(read, c.expected) << static_cast<int>(c.encoding) << " round " << round;
        }
    }
}

// Whatever the bytes, a charset decoder gives valid UTF-8 and the same text in pieces as
// whole; converters that pass on what they read (UCS-4 beyond U+10FFFF) included.
TEST(TextDecoder, AnyBytesInAnyCharsetComeOutAsValidUtf8) {
    std::mt19937 rng(25);
    for (const char* charset :
         {"SHIFT_JIS", "ISO-2022-JP", "UTF-7", "GB18030", "UCS-4", "X-NONE"}) {
        for (int round = 0; round < 300; ++round) {
            std::string bytes(rng() % 64, '\0');
            for (char& c : bytes)
                c = static_cast<char>(rng());
            std::string whole;
            kb::AppendDecoded(bytes, charset, whole);
            ASSERT_TRUE(kb::IsValidUtf8(whole)) << charset;
            CTextDecoder decoder(TextEncoding::Named, charset);
            std::string pieces;
            for (std::size_t at = 0, n; at < bytes.size(); at += n) {
                n = std::min<std::size_t>(bytes.size() - at, 1 + rng() % 5);
                decoder.Decode(bytes.data() + at, n, pieces);
            }
            decoder.Finish(pieces);
            ASSERT_EQ(pieces, std::string(charset) == "X-NONE" ? kb::Cp1252ToUtf8(bytes) : whole)
                << charset << " round " << round;
        }
    }
}

TEST_F(ImportFormats, ImportingTheSameFileTwiceSkipsWhatTheBookHolds) {
    ImportSample("webmail-contacts.csv");
    box.shown.clear();
    const ImportResult again = ImportSample("webmail-contacts.csv");
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.duplicates, 3);
    EXPECT_EQ(records.size(), 3u);
    EXPECT_EQ(box.Texts().back(), "0 records imported, 3 already in the book.");
}

TEST_F(ImportFormats, CategoriesFromTheFileAndTheDefault) {
    categories.AddTail("Friends");
    categories.AddTail("Go; Chess");
    const std::string file = "Last Name,Category\r\nA,friends\r\nB,New Group\r\nC,all\r\nD,\r\n"
                             "E,* starred ::: Club\r\nF," +
                             std::string(256, 'x') +
                             "\r\nG,Personal;Family\r\nH,\"Friends, Chess\"\r\nI,go; chess\r\n";
    ImportBytes(file);
    auto category = [&](const char* last) {
        for (const auto& r : records)
            if (r->m_strLastName == last)
                return categories.NameOf(r->m_nCategory);
        return std::string("?");
    };
    EXPECT_EQ(category("A"), "Friends");
    EXPECT_EQ(category("B"), "New Group");
    EXPECT_EQ(category("C"), "Unfiled");
    EXPECT_EQ(category("D"), "Unfiled");
    EXPECT_EQ(category("E"), "Club");
    EXPECT_EQ(category("F"), "Unfiled") << "a name over 255 characters is not created";
    EXPECT_EQ(category("G"), "Personal");
    EXPECT_EQ(category("H"), "Friends");
    EXPECT_EQ(category("I"), "Go; Chess") << "a category's whole name is not split";
    EXPECT_EQ(categories.GetCount(), 7u) << "further groups are no categories";
    for (const char* further : {"kept: CATEGORIES:Family\n", "kept: CATEGORIES:Chess\n"})
        EXPECT_NE(All().find(further), std::string::npos) << further;

    // Without creating, unknown names go to the default.
    records.clear();
    CCategoryList fresh;
    fresh.ResetToDefaults();
    categories = std::move(fresh);
    ImportBytes("Last Name,Category\r\nA,Elsewhere\r\nB,Personal\r\n", {}, false);
    EXPECT_EQ(category("A"), "Unfiled");
    EXPECT_EQ(category("B"), "Personal");
    EXPECT_EQ(categories.GetCount(), 3u);
}

TEST_F(ImportFormats, NothingIsDropped) {
    // Nine items: seven kept in column order, the rest kept as properties, as are the
    // labelled extras.
    const ImportResult r = ImportBytes(
        "\"Smith\",\"h1\",\"w1\",\"m1\",\"p1\",\"f1\",\"e1\",\"o1\",\"h2\",\"w2\"\r\n", {}, true);
    ASSERT_EQ(r.imported, 1);
    records.clear();
    ImportOptions options;
    std::vector<char> buffer;
    fs.files["/in/x"] = "Smith,1,2,3,4,5,6,h1,w1,m1,p1,f1,e1,o1,h2,w2\r\n";
    options.format = CountRecords("/in/x", fs, box, buffer).format;
    options.rowNames = {"Last Name", "Extra: A", "Extra: B", "Extra: C", "Extra: D", "Extra: E",
                        "Extra: F",  "Home",     "Work",     "Mobile",   "Pager",    "FAX",
                        "E-Mail",    "Other",    "Home",     "Work"};
    RunImport("/in/x", 1, options, records, categories, fs, box, progress);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(
        Describe(*records[0], categories),
        "Smith |  | title= | ref= | cat=Business\n"
        "  items: Home=h1 Work=w1 Mobile=m1 Pager=p1 Fax=f1 E-Mail=e1 Other=o1\n"
        "  address:  /  /  /  / \n"
        "  info: [] [] [] []\n"
        "  notes: \n"
        "  kept: X-KINBOOK-COLUMN;NAME=A:1 X-KINBOOK-COLUMN;NAME=B:2 X-KINBOOK-COLUMN;NAME=C:3 "
        "X-KINBOOK-COLUMN;NAME=D:4 X-KINBOOK-COLUMN;NAME=E:5 X-KINBOOK-COLUMN;NAME=F:6 "
        "TEL;TYPE=home:h2 TEL;TYPE=work:w2\n");
}

TEST_F(ImportFormats, SkippedColumnsWithValuesAreNamed) {
    // A column without a name and one marked skipped hold values; "Unused" holds none.
    fs.files["/in/file"] =
        "Last Name,First Name,,Colour,Unused\r\nSmith,Ann,x,blue,\r\nJones,Bo,,,\r\n";
    std::vector<char> buffer;
    scan = CountRecords("/in/file", fs, box, buffer);
    std::vector<std::string> rows = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
    ASSERT_EQ(rows[3], "Extra: Colour");
    EXPECT_TRUE(SkippedColumns(rows, scan.format, scan.valued).size() == 1) << "only column 3";
    rows[3] = ToggleSkippedMarker(rows[3]);
    EXPECT_EQ(SkippedColumnsMessage(SkippedColumns(rows, scan.format, scan.valued)),
              "2 columns with values will not be imported: column 3 and Colour.");
}

TEST(ImportColumns, CommonSpellingsAndRowNames) {
    EXPECT_EQ(transfer::MatchColumnName("E-mail 2"), "E-Mail");
    EXPECT_EQ(transfer::MatchColumnName("ZIP Code"), "Zip");
    EXPECT_EQ(transfer::MatchColumnName("Country/Region"), "Country");
    EXPECT_EQ(transfer::MatchColumnName("cellular"), "Mobile");
    EXPECT_EQ(transfer::MatchColumnName("Other Info 3rd"), "Other Info 3rd");
    EXPECT_EQ(transfer::MatchColumnName("Favourite colour"), "");
    const auto arranged =
        transfer::ArrangeColumns({"Surname", "Favourite colour", "Street", "Home Address", ""});
    EXPECT_EQ(arranged.profile, "");
    ASSERT_GE(arranged.rowNames.size(), 5u);
    EXPECT_EQ(arranged.rowNames[0], "Last Name");
    EXPECT_EQ(arranged.rowNames[1], "Extra: Favourite colour") << "kept under its name";
    EXPECT_EQ(arranged.rowNames[2], "Address");
    EXPECT_EQ(arranged.rowNames[3], "Extra: Home Address") << "a second street is kept";
    EXPECT_EQ(arranged.rowNames[4], "** Skipped Field ** ");
    // The field names no column took follow, so they can still be dragged into place.
    EXPECT_EQ(arranged.rowNames[5], "First Name");
    using K = transfer::ColumnRole::Kind;
    EXPECT_EQ(transfer::ParseRowName("City 2").kind, K::AddressPart);
    EXPECT_EQ(transfer::ParseRowName("Address 3 (more)").part,
              transfer::ColumnRole::Part::StreetMore);
    EXPECT_EQ(transfer::ParseRowName("City 10").kind, K::Invalid);
    EXPECT_EQ(transfer::ParseRowName("Extra: Birthday").label, "Birthday");
    EXPECT_EQ(transfer::ParseRowName("Surname").kind, K::Invalid);
}

} // namespace

namespace {

// Undo Import over real files: the data file comes back byte for byte.
TEST(ImportUndo, RestoresTheBookByteForByte) {
    TempDir dir;
    const std::string data = dir.File("book.kbk");
    FakeMessageBox box;
    CKinbookDoc doc(box, RealFileSystem());
    doc.SetDataPath(data);
    ASSERT_TRUE(doc.LoadDataFile());
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = "Keeper";
    r->m_strNotes = "was here first";
    FileRecord(doc.GetRecords(), std::move(r));
    ASSERT_TRUE(doc.Save());
    const std::string before = ReadFileBytes(data);

    CImportUndo undo;
    EXPECT_FALSE(undo.Available(doc));
    ASSERT_TRUE(undo.Prepare(doc));
    const std::string in = dir.File("contacts.csv");
    WriteFileBytes(in, SampleBytes("webmail-contacts.csv"));
    std::vector<char> buffer;
    const ScanResult scan = CountRecords(in, RealFileSystem(), box, buffer);
    ImportOptions options;
    options.format = scan.format;
    options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
    options.defaultCategory = "Unfiled";
    options.createCategories = true;
    ScriptedProgress progress;
    const ImportResult result = RunImport(in, scan.recordCount, options, doc.GetRecords(),
                                          doc.GetCategories(), RealFileSystem(), box, progress);
    ASSERT_TRUE(doc.Save());
    undo.Completed(doc, result.imported, "contacts.csv");
    ASSERT_TRUE(undo.Available(doc));
    EXPECT_EQ(undo.Question(), "Remove the 3 contacts imported from contacts.csv?");
    EXPECT_NE(ReadFileBytes(data), before);

    ASSERT_TRUE(undo.Undo(doc));
    EXPECT_EQ(ReadFileBytes(data), before);
    ASSERT_EQ(doc.GetRecords().size(), 1u);
    EXPECT_EQ(doc.GetCategories().GetCount(), 3u) << "the created categories went too";
    EXPECT_FALSE(undo.Available(doc)) << "one undo per import";
    EXPECT_FALSE(std::filesystem::exists(CImportUndo::CopyPathFor(data)));
}

TEST(ImportUndo, OfferedOnlyUntilTheBookChanges) {
    TempDir dir;
    FakeMessageBox box;
    CKinbookDoc doc(box, RealFileSystem());
    doc.SetDataPath(dir.File("book.kbk"));
    ASSERT_TRUE(doc.LoadDataFile());
    CImportUndo undo;
    ASSERT_TRUE(undo.Prepare(doc));
    EXPECT_TRUE(std::filesystem::exists(dir.File(".book.kbk.before-import")));
    ASSERT_TRUE(doc.Save());
    undo.Completed(doc, 0, "empty.csv");
    EXPECT_FALSE(undo.Available(doc)) << "nothing imported, nothing to undo";
    ASSERT_TRUE(undo.Prepare(doc));
    ASSERT_TRUE(doc.Save());
    undo.Completed(doc, 2, "two.csv");
    EXPECT_TRUE(undo.Available(doc));
    ASSERT_TRUE(doc.Save()); // any later change of the book
    EXPECT_FALSE(undo.Available(doc));
    EXPECT_FALSE(undo.Undo(doc));
}

} // namespace
