// A record keeps all its text in one block: every way of writing a field must leave each
// field holding exactly what plain strings would hold.
#include "MemoryBytes.h"
#include "model/CArchive.h"
#include "model/CContactRecord.h"
#include <gtest/gtest.h>
#include <array>
#include <random>
#include <string>

namespace {

constexpr int kFields = 21;

CRecordText& Field(CContactRecord& r, int f) {
    if (f < 4)
        return (&r.m_strFirstName)[f];
    if (f < 11)
        return r.m_strItem[static_cast<std::size_t>(f - 4)];
    if (f < 16)
        return (&r.m_strAddress)[f - 11];
    if (f < 20)
        return r.m_strOtherInfo[static_cast<std::size_t>(f - 16)];
    return r.m_strNotes;
}

void ExpectSame(CContactRecord& rec, const std::array<std::string, kFields>& model, int step) {
    for (int f = 0; f < kFields; ++f)
        ASSERT_EQ(Field(rec, f).view(), model[static_cast<std::size_t>(f)])
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
            Field(r, f) = t;
            mf = t;
            break;
        }
        case 1: {
            const std::string t = text();
            Field(r, f) += t;
            mf += t;
            break;
        }
        case 2:
            Field(r, f).clear();
            mf.clear();
            break;
        case 3: // another field of the same record, or itself
            Field(r, f) = Field(r, g);
            mf = std::string(mg);
            break;
        case 4: { // a piece of another field, appended
            const std::string_view whole = Field(r, g);
            const std::string piece(mg.substr(mg.size() / 3, mg.size() / 2));
            Field(r, f) += whole.substr(mg.size() / 3, mg.size() / 2);
            mf += piece;
            break;
        }
        case 5:
            Field(r, f).swap(Field(r, g));
            std::swap(mf, model[static_cast<std::size_t>(g)]);
            break;
        default:
            Field(r, f).push_back('x');
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
        Field(r, f) = f % 3 == 0 ? std::string() : "field " + std::to_string(f);
    Field(r, 20) = std::string(70000, 'n'); // past 64 KiB
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
        Field(back, f) += "!";
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

} // namespace
