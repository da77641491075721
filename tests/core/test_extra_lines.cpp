// What a contact has beyond its fields: the lines people read (detail text, printout, Find),
// the editor's rows and the way back, and the photo's bytes.
#include "edit/RecordSearch.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CRecordExtras.h"
#include "print/CPrintText.h"
#include "view/ContactPhoto.h"
#include "view/DetailText.h"
#include "view/ExtraLines.h"
#include "view/ExtraRows.h"
#include <gtest/gtest.h>
#include <random>

namespace {

VCardProperty Prop(std::string name, std::string value, std::vector<VCardParam> params = {},
                   std::string group = {}) {
    VCardProperty p;
    p.group = std::move(group);
    p.name = std::move(name);
    p.params = std::move(params);
    p.value = std::move(value);
    return p;
}

struct LineCase {
    VCardProperty property;
    std::string line; // empty: the property shows no line
};

// One of every kind, as cards and columns bring them; the lines in the same order.
std::vector<LineCase> Cases() {
    VCardProperty held = Prop("TEL", "555-0000");
    held.held = true;
    VCardProperty photo = Prop("PHOTO", "iVBORw0KGgo=", {{"ENCODING", {"b"}}});
    photo.binary = true;
    return {
        {Prop("BDAY", "1980-03-12"), "Birthday: 12 March 1980"},
        {Prop("ANNIVERSARY", "20040501"), "Anniversary: 1 May 2004"},
        {Prop("X-ANNIVERSARY", "--1224"), "Anniversary: 24 December"},
        {Prop("BDAY", "1981-02-29"), "Birthday: 1981-02-29"}, // no such day: shown as it is
        {Prop("NICKNAME", "Bob,Bobby\\, Jr."), "Nickname: Bob, Bobby, Jr."},
        {Prop("ORG", "Acme\\; Sons;Sales;East"),
         "Organization: Acme; Sons\r\nDepartment: Sales, East"},
        {Prop("TEL", "555-0100", {{"TYPE", {"work", "VOICE"}}}), "Phone (work): 555-0100"},
        {Prop("TEL", "555-0101", {{"WORK", {}}, {"PREF", {}}, {"QUOTED-PRINTABLE", {}}}),
         "Phone (work): 555-0101"},
        {Prop("EMAIL", "b@x.org", {{"TYPE", {"INTERNET,HOME"}}}), "E-mail (home): b@x.org"},
        {Prop("ADR", ";;1 Main St\\n2nd floor;Springfield;IL;62701;USA", {{"TYPE", {"work"}}}),
         "Address (work): 1 Main St, 2nd floor, Springfield, IL 62701, USA"},
        {Prop("URL", "http://b.example", {}, "item1"), "Web page (HomePage): http://b.example"},
        {Prop("X-ABLABEL", "_$!<HomePage>!$_", {}, "item1"), ""},
        {Prop("CATEGORIES", "Chess,Work"), "Groups: Chess, Work"},
        {Prop("X-KINBOOK-COLUMN", "42", {{"NAME", {"Shoe size"}}}), "Shoe size: 42"},
        {Prop("X-SKYPE-NAME", "bob.b"), "Skype name: bob.b"},
        {Prop("NOTE", "one\\ntwo"), "Note: one\r\ntwo"},
        {held, ""},
        {photo, ""},
        {Prop("UID", "abc"), ""},
        {Prop("TEL", "", {{"TYPE", {"fax"}}}), ""},
        {Prop("X-KINBOOK", "2"), ""},
    };
}

CRecordExtras AllCases() {
    CRecordExtras extras;
    for (LineCase& c : Cases())
        extras.properties.push_back(std::move(c.property));
    return extras;
}

bool SameProperties(const CRecordExtras& a, const CRecordExtras& b) {
    return a == b; // group, name, parameters, value and held, in order
}

} // namespace

TEST(ExtraLines, EveryKindReadsAsALabelledLine) {
    std::string expected;
    for (const LineCase& c : Cases())
        if (!c.line.empty())
            expected += c.line + "\r\n";
    const CRecordExtras extras = AllCases();
    EXPECT_EQ(ExtraLinesText(&extras), expected);
    EXPECT_EQ(ExtraLinesText(nullptr), "");

    EXPECT_EQ(WriteExtraDate(*ParseExtraDate("--02-29")), "--02-29");
    EXPECT_EQ(WriteExtraDate(*ParseExtraDate("20000229T101500Z")), "2000-02-29");
    for (const char* bad : {"", "1980-3-12", "--13-01", "0000-01-01", "1980-12-32", "circa 1800"})
        EXPECT_FALSE(ParseExtraDate(bad)) << bad;
}

TEST(ExtraLines, ShownAfterTheDetailTextPrintedBeforeTheNotesAndFound) {
    CContactRecord r;
    r.m_strLastName = "Brown";
    r.m_strNotes = "Plays chess.";
    r.EditExtras() = AllCases();
    CCategoryList categories;
    categories.ResetToDefaults();
    const std::string detail = ComposeDetailText(r, categories);
    EXPECT_NE(detail.find("Plays chess.\r\n\r\nBirthday: 12 March 1980\r\n"), std::string::npos);
    EXPECT_TRUE(detail.ends_with("Skype name: bob.b\r\nNote: one\r\ntwo\r\n"));

    const CPrintText printed = CPrintText::ForRecord(r, true);
    const auto& entries = printed.Entries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[1], (CPrintEntry{"Birthday:", " 12 March 1980"}));
    EXPECT_EQ(entries.back(), (CPrintEntry{"Notes:", " Plays chess."}));

    struct {
        const char* text;
        int scope;
        bool found;
    } const finds[] = {
        {"bobby", SCOPE_NAMES, true},
        {"0100", SCOPE_ITEMS, true},
        {"b.example", SCOPE_ITEMS, true},
        {"0100", SCOPE_ADDRESS, false},
        {"SPRINGFIELD", SCOPE_ADDRESS, true},
        {"march", SCOPE_ALL_BUT_NOTES, true},
        {"1980-03-12", SCOPE_ALL_BUT_NOTES, true},
        {"chess", SCOPE_ALL_BUT_NOTES, true},
        {"two", SCOPE_ALL_BUT_NOTES, false},
        {"two", SCOPE_ALL, true},
        {"0000", SCOPE_ALL, false}, // held by a field: the field is looked at, not the copy
    };
    for (const auto& f : finds)
        EXPECT_EQ(RecordContains(r, f.text, f.scope), f.found) << f.text << " " << f.scope;
}

TEST(ExtraRows, UntouchedRowsKeepEveryPropertyAndChangesKeepTheirPlace) {
    const CRecordExtras before = AllCases();
    std::vector<ExtraRow> rows = ExtraRowsOf(&before);
    EXPECT_TRUE(SameProperties(ApplyExtraRows(&before, rows), before));

    // rows: 0 BDAY, 1 ANNIVERSARY, 2 X-ANNIVERSARY, 3 bad BDAY, 4 NICKNAME, 5 Organization,
    // 6 Department, 7 TEL work, 8 TEL 2.1, 9 EMAIL, 10 ADR, 11 URL, 12 Groups, ...; the
    // properties are the same less one (the ORG makes two rows).
    ASSERT_EQ(rows[7].label, "Phone (work)");
    EXPECT_EQ(rows[2].value, "--12-24");
    rows[0].value = "1980-03-13";
    rows[7].value = "555-0199";
    rows[8].label = "Phone (home, cell)";
    rows[11].label = "Web page (blog)";
    rows[6].value = "Marketing";
    rows[12].value = "Chess, Go";
    rows.erase(rows.begin() + 9); // the e-mail
    rows.push_back({"Phone (work)", "555-0300"});
    rows.push_back({"Groups", "Bridge"}); // joins the one list
    rows.push_back({"Shoe size", "43"});
    rows.push_back({"Favourite café", "Brühe"});
    rows.push_back({"Birthday", "--07-04"});
    rows.push_back({"Kinbook", "1"});               // never the program's own bookkeeping property
    rows.push_back({"Organization", "Chess Club"}); // a second one, beside the first
    const CRecordExtras after = ApplyExtraRows(&before, rows);

    std::vector<VCardProperty> expected = before.properties;
    expected[0].value = "1980-03-13";
    expected[5].value = "Acme\\; Sons;Marketing";
    expected[6].value = "555-0199"; // TYPE kept as it was
    // The new types take the old one's place; what is no type stays.
    expected[7].params = {{"TYPE", {"home", "cell"}}, {"PREF", {}}, {"QUOTED-PRINTABLE", {}}};
    expected[11].value = "blog"; // the card's own label
    expected[12].value = "Chess,Go,Bridge";
    expected.erase(expected.begin() + 8);
    expected.push_back(Prop("TEL", "555-0300", {{"TYPE", {"work"}}}));
    expected.push_back(Prop("X-SHOE-SIZE", "43"));
    expected.push_back(Prop("X-KINBOOK-COLUMN", "Brühe", {{"NAME", {"Favourite café"}}}));
    expected.push_back(Prop("BDAY", "--07-04"));
    expected.push_back(Prop("X-KINBOOK-COLUMN", "1", {{"NAME", {"Kinbook"}}}));
    expected.push_back(Prop("ORG", "Chess Club"));
    EXPECT_TRUE(SameProperties(after, CRecordExtras{expected}));
    for (std::size_t i = 0; i < std::min(after.properties.size(), expected.size()); ++i)
        EXPECT_TRUE(SameKeptProperty(after.properties[i], expected[i]))
            << i << ": " << after.properties[i].name << ":" << after.properties[i].value;

    // Every row emptied: only what the rows do not show is left.
    for (ExtraRow& row : rows)
        row.value.clear();
    std::size_t left = 0;
    for (const LineCase& c : Cases())
        left += c.line.empty() ? 1 : 0;
    EXPECT_EQ(ApplyExtraRows(&before, rows).properties.size(), left);
}

TEST(ContactPhoto, BytesKeptExactlyThroughBase64AndDataUris) {
    std::mt19937 random(7);
    for (std::size_t size = 0; size < 70; ++size) {
        std::string bytes(size, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        CRecordExtras extras;
        SetPhoto(extras, bytes, PhotoType(bytes));
        ASSERT_TRUE(ShownPhoto(&extras));
        EXPECT_EQ(PhotoBytes(*ShownPhoto(&extras)), bytes) << size;
    }
    CRecordExtras extras;
    extras.properties = {Prop("NOTE", "x"), Prop("PHOTO", "data:image/png;base64,iVBO\r\n Rw==")};
    extras.properties[1].group = "g";
    EXPECT_EQ(PhotoBytes(*ShownPhoto(&extras)), std::string("\x89PNG"));
    SetPhoto(extras, "\xFF\xD8\xFF\xE0", "JPEG"); // in the old one's place, its group kept
    EXPECT_EQ(extras.properties[1].group, "g");
    EXPECT_EQ(extras.properties[1].value, "/9j/4A==");
    EXPECT_EQ(extras.properties[1].ParamValues("TYPE"), std::vector<std::string>{"JPEG"});
    EXPECT_EQ(PhotoType("\xFF\xD8\xFF\xE0"), "JPEG");

    VCardProperty bad = Prop("PHOTO", "iVBO*Rw==");
    bad.binary = true;
    EXPECT_FALSE(PhotoBytes(bad));
    EXPECT_FALSE(PhotoBytes(Prop("PHOTO", "http://x.example/me.jpg")));
    EXPECT_FALSE(DecodeBase64("QUJD=Q"));
    EXPECT_TRUE(RemovePhoto(extras));
    EXPECT_EQ(extras.properties.size(), 1u);
}
