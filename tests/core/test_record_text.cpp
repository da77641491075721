// A record keeps all its text in one block: every way of writing a field must leave each
// field holding exactly what plain strings would hold.
#include "MemoryBytes.h"
#include "model/BookMerge.h"
#include "model/CArchive.h"
#include "model/CContactRecord.h"
#include "model/CRecordUids.h"
#include "model/FieldVocabulary.h"
#include <array>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

constexpr int kFields = static_cast<int>(kTextFieldCount);

CRecordText& TextAt(CContactRecord& r, int f) {
    return r.Text(static_cast<RecordField>(f));
}

void ExpectSame(CContactRecord& rec, const std::array<std::string, kFields>& model, int step) {
    for (int f = 0; f < kFields; ++f)
        ASSERT_EQ(TextAt(rec, f).view(), model[static_cast<std::size_t>(f)])
            << "field " << f << " after step " << step;
}

// Random writes of every kind, against the same writes on plain strings; some texts are long
// enough to take the block past 64 KiB and back, and some are taken from the block itself.
TEST(RecordText, RandomWritesMatchPlainStrings) {
    std::mt19937 rng(2026);
    CContactRecord r;
    std::array<std::string, kFields> model;
    auto text = [&] {
        const unsigned kind = rng() % 10;
        const std::size_t n = kind == 0 ? 0 : kind == 9 ? 20000 + rng() % 30000 : rng() % 40;
        std::string t(n, ' ');
        for (auto& c : t)
            c = static_cast<char>(rng() % 256); // any byte, NUL included
        return t;
    };
    for (int step = 0; step < 4000; ++step) {
        const int f = static_cast<int>(rng() % kFields);
        const int g = static_cast<int>(rng() % kFields);
        auto& mf = model[static_cast<std::size_t>(f)];
        const auto& mg = model[static_cast<std::size_t>(g)];
        switch (rng() % 7) {
        case 0: {
            const std::string t = text();
            TextAt(r, f) = t;
            mf = t;
            break;
        }
        case 1: {
            const std::string t = text();
            TextAt(r, f) += t;
            mf += t;
            break;
        }
        case 2:
            TextAt(r, f).clear();
            mf.clear();
            break;
        case 3: // another field of the same record, or itself
            TextAt(r, f) = TextAt(r, g);
            mf = std::string(mg);
            break;
        case 4: { // a piece of another field, appended
            const std::string_view whole = TextAt(r, g);
            const std::string piece(mg.substr(mg.size() / 3, mg.size() / 2));
            TextAt(r, f) += whole.substr(mg.size() / 3, mg.size() / 2);
            mf += piece;
            break;
        }
        case 5:
            TextAt(r, f).swap(TextAt(r, g));
            std::swap(mf, model[static_cast<std::size_t>(g)]);
            break;
        default:
            TextAt(r, f).push_back('x');
            mf.push_back('x');
            break;
        }
        ExpectSame(r, model, step);
        if (step % 500 == 0) {
            CContactRecord copy(r);
            ExpectSame(copy, model, step);
            EXPECT_EQ(copy, r);
            CContactRecord moved(std::move(copy));
            ExpectSame(moved, model, step);
            CContactRecord assigned;
            assigned = moved;
            ExpectSame(assigned, model, step);
            // The copy's fields are its own: writing them leaves the original alone.
            assigned.m_strNotes = "changed";
            ExpectSame(r, model, step);
        }
    }
}

// A record read from the data file comes back field for field, in one block; and two records
// that differ in one byte of one field are not equal.
TEST(RecordText, ReadRecordMatchesWrittenAndEqualityLooksAtEveryField) {
    CContactRecord r;
    for (int f = 0; f < kFields; ++f)
        TextAt(r, f) = f % 3 == 0 ? std::string() : "field " + std::to_string(f);
    r.m_strNotes = std::string(70000, 'n'); // past 64 KiB
    r.m_nItemLabel[2] = LABEL_FAX;

    MemorySink sink;
    {
        CArchive out(sink);
        r.Serialize(out);
        out.Flush();
    }
    CContactRecord back;
    MemorySource source(sink.bytes);
    CArchive in(source);
    back.Serialize(in);
    EXPECT_EQ(back, r);
    for (int f = 0; f < kFields; ++f) {
        back = r;
        TextAt(back, f) += "!";
        EXPECT_NE(back, r) << f;
    }
    // Moving field boundaries without changing the joined text still differs.
    back = r;
    back.m_strLastName = "ab";
    back.m_strTitle = "";
    CContactRecord other = back;
    other.m_strLastName = "a";
    other.m_strTitle = "b";
    EXPECT_NE(back, other);
}

std::string FileBytes(CContactRecord& r) {
    MemorySink sink;
    CArchive out(sink);
    r.Serialize(out);
    out.Flush();
    return sink.bytes;
}

// Every pass that walks the field table sees a change of one field: the data file writes other
// bytes and reads them back as written, the fingerprint and the merge's content hash differ.
void ExpectEveryPassSees(CContactRecord& base, CContactRecord& changed) {
    CCategoryList categories;
    categories.ResetToDefaults();
    const std::string bytes = FileBytes(changed);
    EXPECT_NE(bytes, FileBytes(base));
    CContactRecord back;
    MemorySource source(bytes);
    CArchive in(source);
    back.Serialize(in);
    EXPECT_EQ(back, changed);
    EXPECT_NE(CRecordUids::Fingerprint(changed), CRecordUids::Fingerprint(base));
    EXPECT_NE(RecordContentHash(changed, categories), RecordContentHash(base, categories));
}

// The record's fields as the record names them, written out apart from the field table: the
// table must agree with the record on every field, and every pass must reach each one.
TEST(RecordFields, TheTableAgreesWithTheRecordAndEveryPassReachesEachField) {
    CContactRecord base;
    struct Text {
        CRecordText* member;
        std::string_view name, option;
    };
    // clang-format off
    const Text texts[] = {
        {&base.m_strFirstName, "First Name", "--first"}, {&base.m_strLastName, "Last Name", "--last"},
        {&base.m_strTitle, "Title", "--title"}, {&base.m_strOtherRef, "Other Ref", "--other-ref"},
        {&base.m_strItem[0], "Home", ""}, {&base.m_strItem[1], "Work", ""},
        {&base.m_strItem[2], "Pager", ""}, {&base.m_strItem[3], "Mobile", ""},
        {&base.m_strItem[4], "FAX", ""}, {&base.m_strItem[5], "E-Mail", ""},
        {&base.m_strItem[6], "Other", ""}, {&base.m_strAddress, "Address", "--address"},
        {&base.m_strCity, "City", "--city"}, {&base.m_strState, "State", "--state"},
        {&base.m_strZip, "Zip", "--zip"}, {&base.m_strCountry, "Country", "--country"},
        {&base.m_strOtherInfo[0], "Other Info 1st", ""}, {&base.m_strOtherInfo[1], "Other Info 2nd", ""},
        {&base.m_strOtherInfo[2], "Other Info 3rd", ""}, {&base.m_strOtherInfo[3], "Other Info 4th", ""},
        {&base.m_strNotes, "Notes", "--notes"}};
    // clang-format on
    static_assert(std::size(texts) == kTextFieldCount);
    for (const Text& t : texts)
        *t.member = std::string(t.name) + " value";
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const auto f = static_cast<RecordField>(i);
        SCOPED_TRACE(texts[i].name);
        EXPECT_EQ(&base.Text(f), texts[i].member);
        EXPECT_EQ(InfoOf(f).name, texts[i].name);
        EXPECT_EQ(InfoOf(f).option, texts[i].option);
        CContactRecord changed = base;
        changed.Text(f) = "changed";
        ExpectEveryPassSees(base, changed);
    }
    // The numbers: each set through the table lands in its member.
    for (std::size_t i = kTextFieldCount; i < kRecordFieldCount; ++i) {
        const auto f = static_cast<RecordField>(i);
        SCOPED_TRACE(i);
        CContactRecord changed = base;
        changed.SetNumber(f, 5);
        ExpectEveryPassSees(base, changed);
    }
    base.SetNumber(RecordField::Category, 300);
    base.SetNumber(RecordField::DefaultItem, 6);
    for (std::size_t slot = 0; slot < kItemSlots; ++slot)
        base.SetNumber(ItemLabelField(slot), static_cast<unsigned>(slot));
    EXPECT_EQ(base.m_nCategory, 300);
    EXPECT_EQ(base.m_nDefaultItem, 6);
    EXPECT_EQ(base.m_nItemLabel, (std::array<std::uint8_t, 7>{0, 1, 2, 3, 4, 5, 6}));
    // The export's names: the category, then the texts; an item's name stands for its label.
    EXPECT_EQ(FieldName(Field::Category), "Category");
    EXPECT_EQ(FieldName(Field::FirstName), "First Name");
    EXPECT_EQ(ItemLabelFor(Field::Pager), LABEL_PAGER);
    EXPECT_EQ(ItemLabelFor(Field::Mobile), LABEL_MOBILE);
    EXPECT_EQ(ItemLabelFor(Field::City), LABEL_NONE);
}

} // namespace
