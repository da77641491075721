// Exports read back by an independent reader: Python's csv module, in every encoding and
// variant the export offers.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "TransferFakes.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CRecordExtras.h"
#include "port/IFileSystem.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <gtest/gtest.h>

namespace {

constexpr const char* kReader = R"(
import csv, sys
path, encoding, delimiter, out = sys.argv[1:]
with open(path, newline='', encoding=encoding) as f:
    rows = list(csv.reader(f, delimiter=delimiter))
with open(out, 'w', encoding='utf-8', newline='') as f:
    f.write('\x1e'.join('\x1f'.join(r) for r in rows))
)";

// The rows Python's csv module reads from the file, as UTF-8.
std::vector<std::vector<std::string>> ReadWithPython(TempDir& dir, const std::string& path,
                                                     const char* encoding, const char* delimiter) {
    WriteFileBytes(dir.File("reader.py"), kReader);
    const std::string out = dir.File("rows.txt");
    const std::string command = "python3 '" + dir.File("reader.py") + "' '" + path + "' " +
                                encoding + " '" + delimiter + "' '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    for (char c : ReadFileBytes(out)) {
        if (c == '\x1e')
            rows.push_back(std::vector<std::string>(1));
        else if (c == '\x1f')
            rows.back().emplace_back();
        else
            rows.back().back() += c;
    }
    return rows;
}

class ExportReadBack : public testing::Test {
protected:
    void SetUp() override {
        categories.ResetToDefaults();
        auto a = std::make_unique<CContactRecord>();
        a->m_strLastName = "Mu\xF1oz"; // stored by the older program, in Windows-1252
        a->m_strFirstName = "Jos\xE9";
        a->m_strNotes = "say \"hi\"\r\nthen go; 1,5 km";
        a->m_nCategory = 2;
        records.push_back(std::move(a));
        auto b = std::make_unique<CContactRecord>();
        b->m_strLastName = "Żółć"; // stored by this program, in UTF-8
        b->m_strFirstName = "€uro";
        records.push_back(std::move(b));
    }

    std::string Export(const char* variant, ExportEncoding encoding, bool header,
                       std::vector<std::string> columns = {"Last Name", "First Name", "Notes",
                                                           "Category"}) {
        ExportRequest request{dir.File("out.csv"), CCategoryFilter(), std::move(columns), variant};
        request.encoding = encoding;
        request.header = header;
        FakeMessageBox box;
        ScriptedProgress progress;
        const ExportResult r =
            RunExport(records, categories, request, RealFileSystem(), box, progress);
        EXPECT_EQ(r.outcome, ExportOutcome::Completed);
        lastMessage = box.Texts().back();
        return request.path;
    }

    TempDir dir;
    CRecordList records;
    CCategoryList categories;
    std::string lastMessage;
};

TEST_F(ExportReadBack, EveryEncodingAndVariantWithTheFieldNames) {
    const std::vector<std::string> header = {"Last Name", "First Name", "Notes", "Category"};
    const std::vector<std::string> first = {"Muñoz", "José", "say \"hi\"\r\nthen go; 1,5 km",
                                            "Personal"};
    struct Case {
        const char* variant;
        ExportEncoding encoding;
        const char* pythonEncoding;
        const char* delimiter;
        std::vector<std::string> second;
    };
    const Case cases[] = {
        {kVariantCommaName, ExportEncoding::Utf8, "utf-8", ",", {"Żółć", "€uro", "", "Business"}},
        {kVariantTabName,
         ExportEncoding::Utf8Bom,
         "utf-8-sig",
         "\t",
         {"Żółć", "€uro", "", "Business"}},
        {kVariantSemicolonName,
         ExportEncoding::Cp1252,
         "cp1252",
         ";",
         {"?ó??", "€uro", "", "Business"}},
    };
    for (const Case& c : cases) {
        const std::string path = Export(c.variant, c.encoding, true);
        const auto rows = ReadWithPython(dir, path, c.pythonEncoding, c.delimiter);
        ASSERT_EQ(rows.size(), 3u) << c.variant;
        EXPECT_EQ(rows[0], header) << c.variant;
        EXPECT_EQ(rows[1], first) << c.variant;
        EXPECT_EQ(rows[2], c.second) << c.variant;
        EXPECT_EQ(ReadFileBytes(path).rfind("\xEF\xBB\xBF", 0) == 0,
                  c.encoding == ExportEncoding::Utf8Bom);
    }
    EXPECT_EQ(lastMessage, "2 records exported.\n\n3 characters that Western (Windows-1252) "
                           "lacks were written as \"?\".");
}

TEST_F(ExportReadBack, WithoutTheNewOptionsTheFileIsAsBefore) {
    records.erase(records.begin()); // only text this program stored
    const std::string path = Export(kVariantTabName, ExportEncoding::Utf8, false);
    EXPECT_EQ(ReadFileBytes(path), "\"Żółć\"\t\"€uro\"\t\t\"Business\"\r\n");
    EXPECT_EQ(lastMessage, "1 records exported.");
}

// Every item of a label and every kept property can be written, and an import of the file
// (without a drag) gives them back.
TEST_F(ExportReadBack, EveryItemAndKeptPropertyComeBack) {
    records.clear();
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = "Adams #1"; // a twin inside the book only
    const std::uint8_t labels[] = {LABEL_EMAIL, LABEL_HOME, LABEL_EMAIL, LABEL_WORK, LABEL_EMAIL};
    const char* items[] = {"a@x.example", "555 0101", "b@x.example", "555 0102", "c@x.example"};
    for (std::size_t i = 0; i < 5; ++i) {
        r->m_strItem[i] = items[i];
        r->m_nItemLabel[i] = labels[i];
    }
    auto& kept = r->EditExtras().properties;
    for (auto [name, value] : {std::pair{"BDAY", "19800404"},
                               {"NICKNAME", "Em"},
                               {"URL", "https://one.example"},
                               {"URL", "https://two.example"},
                               {"ORG", "Acme\\; Ltd;Sales"},
                               {"CATEGORIES", "Chess,Go\\, Baduk"}})
        kept.emplace_back().name = name, kept.back().value = value;
    records.push_back(std::move(r));

    const std::vector<std::string> columns = {
        "Last Name", "E-Mail",   "E-Mail",   "E-Mail",       "E-Mail",     "Home",  "Birthday",
        "Nickname",  "Web Page", "Web Page", "Organization", "Department", "Groups"};
    const std::string path = Export(kVariantCommaName, ExportEncoding::Utf8, true, columns);
    const auto rows = ReadWithPython(dir, path, "utf-8", ",");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], columns);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Adams", "a@x.example", "b@x.example",
                                                 "c@x.example", "", "555 0101", "1980-04-04", "Em",
                                                 "https://one.example", "https://two.example",
                                                 "Acme; Ltd", "Sales", "Chess ::: Go, Baduk"}));

    CRecordList back;
    FakeMessageBox box;
    ScriptedProgress progress;
    std::vector<char> buffer;
    const ScanResult scan = CountRecords(path, RealFileSystem(), box, buffer);
    ImportOptions options;
    options.format = scan.format;
    options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
    ASSERT_EQ(RunImport(path, scan.recordCount, options, back, categories, RealFileSystem(), box,
                        progress)
                  .imported,
              1);
    const CContactRecord& b = *back.front();
    EXPECT_EQ(b.m_strLastName, "Adams");
    EXPECT_EQ(b.m_strItem[2], "c@x.example");
    EXPECT_EQ(b.m_nItemLabel[2], LABEL_EMAIL);
    ASSERT_NE(b.Extras(), nullptr);
    std::string properties;
    for (const VCardProperty& p : b.Extras()->properties)
        properties += p.name + ":" + p.value + "\n";
    EXPECT_EQ(properties, "BDAY:1980-04-04\nNICKNAME:Em\nURL:https://one.example\n"
                          "URL:https://two.example\nORG:Acme\\; Ltd;Sales\n"
                          "CATEGORIES:Chess,Go\\, Baduk\n");
}

} // namespace
