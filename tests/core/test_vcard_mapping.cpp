#include "TempDir.h"
#include "VCardCheck.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordUids.h"
#include "model/CSampleBook.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include "transfer/VCardMapping.h"
#include <gtest/gtest.h>

namespace {

CContactRecord Sample() {
    CContactRecord r;
    r.m_strLastName = "O'Brien";
    r.m_strFirstName = "Se\xC3\xA1n";
    r.m_strTitle = "Dr.";
    r.m_strOtherRef = "Acme; Sales, North";
    r.m_nCategory = 2;
    r.m_strItem[0] = "555-0100";
    r.m_nItemLabel[0] = LABEL_MOBILE;
    r.m_strItem[1] = "sean@example.org";
    r.m_nItemLabel[1] = LABEL_EMAIL;
    r.m_strItem[2] = "555-0102";
    r.m_nItemLabel[2] = LABEL_FAX;
    r.m_nDefaultItem = 1;
    r.m_strAddress = "1 Main St\r\nApt 4";
    r.m_strCity = "Springfield";
    r.m_strState = "IL";
    r.m_strZip = "62701";
    r.m_strCountry = "USA";
    r.m_strOtherInfo[1] = "Spouse: Mary";
    r.m_strNotes = "Line one\r\nLine two, with \\ and ;";
    return r;
}

CCategoryList DefaultCategories() {
    CCategoryList c;
    c.ResetToDefaults();
    return c;
}

std::string Written(const CContactRecord& r, VCardVersion v, const std::string& uid = "") {
    const CCategoryList categories = DefaultCategories();
    std::string out;
    CVCardWriter::AppendCard(RecordToVCard(r, categories, uid, v), out);
    return out;
}

CContactRecord ReadBack(const std::string& text) {
    const auto cards = ParseVCards(text);
    EXPECT_EQ(cards.size(), 1u);
    return VCardToRecord(cards.at(0)).record;
}

TEST(VCardMapping, ARecordIsWrittenAsOtherProgramsExpectIt) {
    EXPECT_EQ(Written(Sample(), VCardVersion::V40, "0b6c4c54-6b1a-5f2e-9d0e-1f2a3b4c5d6e"),
              "BEGIN:VCARD\r\n"
              "VERSION:4.0\r\n"
              "PRODID:-//Feltmoor//Kinbook//EN\r\n"
              "FN:Se\xC3\xA1n O'Brien\r\n"
              "N:O'Brien;Se\xC3\xA1n;;;\r\n"
              "TITLE:Dr.\r\n"
              "ORG:Acme\\; Sales\\, North\r\n"
              "TEL;TYPE=cell:555-0100\r\n"
              "EMAIL;PREF=1:sean@example.org\r\n"
              "TEL;TYPE=fax:555-0102\r\n"
              "ADR;TYPE=home:;;1 Main St\\nApt 4;Springfield;IL;62701;USA\r\n"
              "NOTE:Line one\\nLine two\\, with \\\\ and \\;\r\n"
              "CATEGORIES:Personal\r\n"
              "X-KINBOOK-OTHER-INFO:\r\n"
              "X-KINBOOK-OTHER-INFO:Spouse: Mary\r\n"
              "X-KINBOOK-DEFAULT-ITEM:2\r\n"
              "UID:urn:uuid:0b6c4c54-6b1a-5f2e-9d0e-1f2a3b4c5d6e\r\n"
              "END:VCARD\r\n");
    const std::string v30 = Written(Sample(), VCardVersion::V30, "x-1");
    EXPECT_NE(v30.find("VERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(v30.find("TEL;TYPE=CELL:555-0100\r\n"), std::string::npos);
    EXPECT_NE(v30.find("EMAIL;TYPE=INTERNET,PREF:sean@example.org\r\n"), std::string::npos);
    EXPECT_NE(v30.find("ADR;TYPE=HOME:"), std::string::npos);
    EXPECT_NE(v30.find("UID:x-1\r\n"), std::string::npos);
}

TEST(VCardMapping, EveryFieldComesBackInBothVersions) {
    for (VCardVersion v : {VCardVersion::V40, VCardVersion::V30}) {
        const CContactRecord original = Sample();
        const auto cards = ParseVCards(Written(original, v, "u-1"));
        ASSERT_EQ(cards.size(), 1u);
        VCardRecord back = VCardToRecord(cards[0]);
        EXPECT_EQ(back.categories, std::vector<std::string>{"Personal"});
        EXPECT_EQ(back.uid, "u-1");
        EXPECT_TRUE(back.spilled.empty());
        back.record.m_nCategory = original.m_nCategory;
        EXPECT_EQ(back.record, original);
    }
}

// Item layouts that types alone cannot carry: gaps, labels on empty items, unlabelled
// texts, an e-mail address under a phone label, the default on an empty item.
TEST(VCardMapping, OddItemLayoutsComeBackExactly) {
    CContactRecord r;
    r.m_strLastName = "Layout";
    r.m_nCategory = 0;
    r.m_nItemLabel[0] = LABEL_HOME; // a label without text
    r.m_strItem[1] = "a@example.org";
    r.m_nItemLabel[1] = LABEL_NONE;
    r.m_strItem[3] = "555-0103";
    r.m_nItemLabel[3] = LABEL_NONE;
    r.m_strItem[6] = "b@example.org";
    r.m_nItemLabel[6] = LABEL_WORK;
    r.m_nDefaultItem = 4;
    for (VCardVersion v : {VCardVersion::V40, VCardVersion::V30}) {
        const std::string text = Written(r, v);
        EXPECT_NE(text.find("X-KINBOOK-ITEMS:0 255* 255 255* 255 255 1*\r\n"), std::string::npos)
            << text;
        EXPECT_EQ(text.find("PREF"), std::string::npos); // the default item has no text
        CContactRecord back = ReadBack(text);
        EXPECT_EQ(back, r);
    }
    // Once another program dropped one of the items, the layout no longer fits and the
    // items simply fill in order.
    std::string edited = Written(r, VCardVersion::V40);
    edited.erase(edited.find("TEL:555-0103\r\n"), 14);
    const CContactRecord back = ReadBack(edited);
    EXPECT_EQ(back.m_strItem[0], "a@example.org");
    EXPECT_EQ(back.m_nItemLabel[0], LABEL_EMAIL);
    EXPECT_EQ(back.m_strItem[1], "b@example.org");
    EXPECT_EQ(back.m_nItemLabel[2], LABEL_NONE);
}

TEST(VCardMapping, NamesWithoutAFamilyNameAndCompanyCards) {
    struct Case {
        const char* body;
        const char* last;
        const char* first;
        const char* otherRef;
    } cases[] = {
        {"FN:Mary Ann Jones\r\n", "Jones", "Mary Ann", ""},
        {"N:;Madonna;;;\r\nFN:Madonna\r\n", "Madonna", "", ""},
        {"N:;;;;\r\nFN:Acme Ltd\r\nORG:Acme Ltd\r\n", "Acme Ltd", "", ""},
        {"KIND:org\r\nFN:Widgets\r\nORG:Widgets AB\r\n", "Widgets AB", "", ""},
        {"ORG:Lone Co\r\n", "Lone Co", "", ""},
        {"FN:Bob Smith\r\nORG:Acme\r\n", "Smith", "Bob", "Acme"},
        {"EMAIL:x@example.org\r\n", "Unnamed", "", ""},
        // a company name of blanks is not a name: written as one it would read back empty
        {"ORG;VALUE=uri:\t\r\n", "Unnamed", "", "\t"},
    };
    for (const Case& c : cases) {
        const CContactRecord r =
            ReadBack("BEGIN:VCARD\r\nVERSION:3.0\r\n" + std::string(c.body) + "END:VCARD\r\n");
        EXPECT_EQ(r.m_strLastName, c.last) << c.body;
        EXPECT_EQ(r.m_strFirstName, c.first) << c.body;
        EXPECT_EQ(r.m_strOtherRef, c.otherRef) << c.body;
    }
}

TEST(VCardMapping, WhatHasNoFieldGoesIntoOtherInfoThenNotesInPlainWords) {
    std::string body = "N:Doe;John;Quincy;Dr.;Jr.\r\nFN:Johnny Doe\r\nNOTE:Own note\r\n"
                       "BDAY:1980-04-04\r\nURL;TYPE=work:https://example.org\r\n"
                       "item1.TEL:555-0001\r\nitem1.X-ABLabel:Sister\r\n"
                       "ADR;TYPE=home:;;1 Home St;Town;;111;\r\n"
                       "ADR;TYPE=work:;;2 Work St\\nFloor 3;City;ST;222;Land\r\n"
                       "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nREV:2020-01-01\r\n";
    for (int i = 0; i < 8; ++i)
        body += "TEL;TYPE=work:555-01" + std::to_string(10 + i) + "\r\n";
    const auto cards = ParseVCards("BEGIN:VCARD\r\nVERSION:3.0\r\n" + body + "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    const VCardRecord in = VCardToRecord(cards[0]);
    const CContactRecord& r = in.record;
    EXPECT_EQ(r.m_strOtherInfo[0], "Middle name: Quincy");
    EXPECT_EQ(r.m_strOtherInfo[1], "Name prefix: Dr.");
    EXPECT_EQ(r.m_strOtherInfo[2], "Name suffix: Jr.");
    EXPECT_EQ(r.m_strOtherInfo[3], "Shown as: Johnny Doe");
    EXPECT_EQ(r.m_strNotes, "Own note\r\n"
                            "Sister: 555-0001\r\n"
                            "Phone (work): 555-0116\r\n"
                            "Phone (work): 555-0117\r\n"
                            "Address (work): 2 Work St, Floor 3, City, ST 222, Land\r\n"
                            "Birthday: 1980-04-04\r\n"
                            "Web (work): https://example.org");
    EXPECT_EQ(r.m_strItem[0], "555-0001");
    EXPECT_EQ(r.m_nItemLabel[0], LABEL_OTHER);
    EXPECT_EQ(r.m_strItem[6], "555-0115");
    EXPECT_EQ(r.m_strAddress, "1 Home St");
    EXPECT_EQ(in.binaries, std::vector<std::string>{"photo"});

    // A line break in a type (4.0's ^n) stays out of the line it names.
    const auto odd = ParseVCards("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Doe;;;;\r\n"
                                 "URL;TYPE=\"a^nb\":x\r\nEND:VCARD\r\n");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(VCardToRecord(odd[0]).record.m_strOtherInfo[0], "Web (a b): x");

    // A tel: URI with no number is as empty as a blank value: no item either way.
    const auto blank = ParseVCards("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Doe;;;;\r\n"
                                   "TEL;VALUE=uri:tel:\t\r\nTEL:\t\r\nEND:VCARD\r\n");
    ASSERT_EQ(blank.size(), 1u);
    for (const auto& item : VCardToRecord(blank[0]).record.m_strItem)
        EXPECT_EQ(item, "");
}

TEST(VCardMapping, ThePreferredItemBecomesTheDefault) {
    const auto cards = ParseVCards("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:A B\r\n"
                                   "TEL;PREF=3:1\r\nEMAIL:a@b.c\r\nTEL;TYPE=cell;PREF=1:2\r\n"
                                   "END:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A B\r\n"
                                   "TEL:1\r\nEMAIL;TYPE=INTERNET,PREF:a@b.c\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(VCardToRecord(cards[0]).record.m_nDefaultItem, 2);
    EXPECT_EQ(VCardToRecord(cards[1]).record.m_nDefaultItem, 1);
}

// A server's card changed here: Kinbook's fields are replaced, everything else stays,
// and what the import turned into words is not written back as text.
TEST(VCardMapping, MergingIntoAPreviousCardKeepsWhatKinbookDoesNotMap) {
    const std::string server =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
        "N:Doe;Jane;;;\r\nFN:Jane Doe\r\nTEL;TYPE=CELL:555-1\r\n"
        "item1.TEL:555-2\r\nitem1.X-ABLabel:Sister\r\n"
        "BDAY:1980-04-04\r\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n"
        "X-CUSTOM;X-P=1:keep me\r\nNOTE:hello\r\nEND:VCARD\r\n";
    const VCard previous = ParseVCards(server).at(0);
    VCardRecord in = VCardToRecord(previous);
    ASSERT_EQ(in.record.m_strOtherInfo[0], "Sister: 555-2");
    ASSERT_EQ(in.record.m_strOtherInfo[1], "Birthday: 1980-04-04");
    ASSERT_EQ(in.record.m_strOtherInfo[2], "X-CUSTOM: keep me");
    ASSERT_EQ(in.record.m_strNotes, "hello");

    CContactRecord edited = in.record;
    edited.m_strTitle = "Chief";
    edited.m_strItem[0] = "555-9";
    const CCategoryList categories = DefaultCategories();
    const VCard merged = RecordToVCard(edited, categories, in.uid, VCardVersion::V40, &previous);
    std::string out;
    CVCardWriter::AppendCard(merged, out);
    EXPECT_NE(out.find("VERSION:3.0\r\n"), std::string::npos); // the server's version
    EXPECT_NE(out.find("TITLE:Chief\r\n"), std::string::npos);
    EXPECT_NE(out.find("TEL;TYPE=CELL,PREF:555-9\r\n"), std::string::npos);
    EXPECT_NE(out.find("BDAY:1980-04-04\r\n"), std::string::npos);
    EXPECT_NE(out.find("PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n"), std::string::npos);
    EXPECT_NE(out.find("X-CUSTOM;X-P=1:keep me\r\n"), std::string::npos);
    EXPECT_NE(out.find("UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"), std::string::npos);
    EXPECT_NE(out.find("NOTE:hello\r\n"), std::string::npos);
    EXPECT_EQ(out.find("X-KINBOOK-OTHER-INFO"), std::string::npos);
    EXPECT_EQ(out.find("555-1"), std::string::npos);
    // The item that is still there keeps its group and so its label.
    EXPECT_NE(out.find("item1.TEL:555-2\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("item1.X-ABLABEL:Sister\r\n"), std::string::npos);
    // And reading the merged card again gives the edited record: nothing doubles.
    CContactRecord again = VCardToRecord(ParseVCards(out).at(0)).record;
    EXPECT_EQ(again.m_strNotes, edited.m_strNotes);
    EXPECT_EQ(again.m_strOtherInfo, edited.m_strOtherInfo);
    EXPECT_EQ(again.m_strTitle, "Chief");
}

// The sample book through both versions and back, field for field.
TEST(VCardMapping, AThousandRecordBookRoundTrips) {
    CCategoryList categories;
    CRecordList records;
    CSampleBook(2024).Fill(categories, records, 1000);
    CRecordUids uids;
    for (VCardVersion v : {VCardVersion::V40, VCardVersion::V30}) {
        std::string file;
        for (const auto& r : records)
            CVCardWriter::AppendCard(RecordToVCard(*r, categories, uids.UidOf(*r), v), file);
        std::vector<std::pair<int, VCardFault>> faults;
        const auto cards = ParseVCards(file, &faults);
        EXPECT_TRUE(faults.empty());
        ASSERT_EQ(cards.size(), records.size());
        for (std::size_t i = 0; i < cards.size(); ++i) {
            VCardRecord in = VCardToRecord(cards[i]);
            in.record.m_nCategory =
                in.categories.empty() ? 0 : categories.IndexOf(in.categories.front());
            ASSERT_EQ(in.record, *records[i]) << "record " << i;
            EXPECT_EQ(in.uid, uids.UidOf(*records[i]));
            EXPECT_TRUE(in.spilled.empty());
        }
    }
}

} // namespace

namespace {

// Every card we write must be read by another program with the same names, phones and
// e-mail addresses.
TEST(VCardMapping, Python3VobjectReadsTheSameNamesPhonesAndEmails) {
    CCategoryList categories;
    CRecordList records;
    CSampleBook(7).Fill(categories, records, 300);
    records.push_back(std::make_unique<CContactRecord>(Sample()));
    auto odd = std::make_unique<CContactRecord>();
    odd->m_strLastName = "Semi;colon, comma\\back";
    odd->m_strFirstName = "Line\r\nbreak";
    odd->m_strItem[2] = "x@example.org";
    odd->m_nItemLabel[2] = LABEL_NONE;
    odd->m_strItem[4] = "+1 555 0100 ext. 12; ask for \xE9mile"; // Windows-1252 bytes
    odd->m_nItemLabel[4] = LABEL_WORK;
    records.push_back(std::move(odd));
    CRecordUids uids;
    for (VCardVersion v : {VCardVersion::V40, VCardVersion::V30}) {
        TempDir dir;
        std::string file;
        for (const auto& r : records)
            CVCardWriter::AppendCard(RecordToVCard(*r, categories, uids.UidOf(*r), v), file);
        WriteFileBytes(dir.File("out.vcf"), file);
        std::string error;
        const std::vector<std::string> seen = VobjectLines(dir.File("out.vcf"), error);
        ASSERT_TRUE(error.empty()) << error;
        const std::vector<std::string> expected = ExpectedVobjectLines(records);
        ASSERT_EQ(seen.size(), expected.size());
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], expected[i]) << "card " << i;
    }
}

} // namespace
