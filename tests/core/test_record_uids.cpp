#include "FakeMessageBox.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordUids.h"
#include "model/Sha1.h"
#include "port/IFileSystem.h"
#include <gtest/gtest.h>
#include <regex>

namespace {

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first = "") {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    return r;
}

TEST(Sha1, KnownDigests) {
    auto hex = [](const std::array<std::uint8_t, 20>& d) {
        std::string s;
        char buf[3];
        for (std::uint8_t b : d) {
            std::snprintf(buf, sizeof buf, "%02x", b);
            s += buf;
        }
        return s;
    };
    EXPECT_EQ(hex(kb::Sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(hex(kb::Sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(hex(kb::Sha1(std::string(1000, 'a'))), "291e9a6c66994949b57ba5e650361e98fc36b1ba");
}

TEST(RecordUids, AUidIsAVersion5UuidMadeFromTheContentAndUniqueInTheBook) {
    CRecordUids uids;
    auto a = Person("Smith", "Ann");
    auto b = Person("Smith", "Ann"); // the same content twice
    const std::string ua = uids.UidOf(*a);
    EXPECT_TRUE(std::regex_match(
        ua, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << ua;
    EXPECT_EQ(ua, CRecordUids::DerivedUid(CRecordUids::Fingerprint(*a)));
    EXPECT_EQ(uids.UidOf(*a), ua); // kept
    const std::string ub = uids.UidOf(*b);
    EXPECT_NE(ub, ua);
    EXPECT_EQ(uids.RecordOf(ua), a.get());
    EXPECT_EQ(uids.RecordOf(ub), b.get());
    // An edit does not change a UID once made.
    a->m_strTitle = "Dr.";
    EXPECT_EQ(uids.UidOf(*a), ua);
    // A UID taken by another record is refused.
    EXPECT_FALSE(uids.Set(*b, ua));
    EXPECT_TRUE(uids.Set(*b, "imported-1"));
    EXPECT_EQ(uids.RecordOf(ub), nullptr);
}

// What a user does over days: save, edit, save, reopen, another program reorders the file.
TEST(RecordUids, TheSidecarKeepsUidsThroughEditsReloadsAndMovedRecords) {
    TempDir dir;
    const std::string path = dir.File("book.kbk");
    FakeMessageBox box;
    std::string uidOfB;
    std::string uidOfC;
    {
        CKinbookDoc doc(box, RealFileSystem());
        doc.GetCategories().ResetToDefaults();
        doc.GetRecords().push_back(Person("Alpha"));
        doc.GetRecords().push_back(Person("Beta"));
        doc.GetRecords().push_back(Person("Gamma"));
        ASSERT_TRUE(doc.Save(path));
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"book.kbk", "book.kbk.uids"}));
        uidOfB = doc.Uids().UidOf(*doc.GetRecords()[1]);
        uidOfC = doc.Uids().UidOf(*doc.GetRecords()[2]);
        doc.GetRecords()[1]->m_strNotes = "edited";
        doc.GetRecords()[2]->m_strTitle = "edited too";
        ASSERT_TRUE(doc.Save(path));
    }
    {
        CKinbookDoc doc(box, RealFileSystem());
        ASSERT_TRUE(doc.Load(path));
        ASSERT_EQ(doc.GetRecords().size(), 3u);
        EXPECT_EQ(doc.Uids().UidOf(*doc.GetRecords()[1]), uidOfB);
        // Another program writes the records in another order (the sidecar is not told).
        std::swap(doc.GetRecords()[0], doc.GetRecords()[2]);
        const std::string sidecar = ReadFileBytes(path + ".uids");
        CKinbookDoc other(box, RealFileSystem());
        other.GetCategories().ResetToDefaults();
        for (auto& r : doc.GetRecords())
            other.GetRecords().push_back(std::make_unique<CContactRecord>(*r));
        ASSERT_TRUE(other.Save(dir.File("moved.kbk")));
        WriteFileBytes(dir.File("moved.kbk.uids"), sidecar);
        CKinbookDoc reopened(box, RealFileSystem());
        ASSERT_TRUE(reopened.Load(dir.File("moved.kbk")));
        EXPECT_EQ(reopened.Uids().UidOf(*reopened.GetRecords()[0]), uidOfC);
        EXPECT_EQ(reopened.Uids().UidOf(*reopened.GetRecords()[1]), uidOfB);
    }
    EXPECT_TRUE(box.shown.empty());
}

TEST(RecordUids, ARecordChangedElsewhereIsNewAndDeletedOnesLeaveTheFile) {
    CRecordList records;
    records.push_back(Person("Alpha"));
    records.push_back(Person("Beta"));
    CRecordUids uids;
    const std::string text = uids.Serialize(records);
    const std::string beta = uids.UidOf(*records[1]);

    // Beta edited by something that does not know the sidecar: no match, never a guess.
    CRecordList changed;
    changed.push_back(Person("Alpha"));
    changed.push_back(Person("Beta", "changed"));
    CRecordUids reread;
    reread.Attach(changed, text);
    EXPECT_EQ(reread.UidOf(*changed[0]), uids.UidOf(*records[0]));
    EXPECT_EQ(reread.Find(*changed[1]), nullptr);
    EXPECT_NE(reread.UidOf(*changed[1]), beta);

    // A deleted record's UID is not written again, and nothing else inherits it.
    records.pop_back();
    const std::string after = uids.Serialize(records);
    EXPECT_EQ(after.find(beta), std::string::npos);
    EXPECT_EQ(uids.RecordOf(beta), nullptr);

    // Without a sidecar (a book from before UIDs, or exported by another process), the UID
    // comes from the content as loaded, so an edit before the next save keeps it.
    CRecordList loaded;
    loaded.push_back(Person("Gamma"));
    const std::string asExported = CRecordUids().UidOf(*loaded[0]);
    CRecordUids fresh;
    fresh.Attach(loaded, "");
    loaded[0]->m_strNotes = "edited before any save";
    EXPECT_EQ(fresh.UidOf(*loaded[0]), asExported);

    // A file that is not ours gives no UIDs.
    CRecordUids garbage;
    garbage.Attach(records, "something else\n" + text);
    EXPECT_EQ(garbage.Find(*records[0]), nullptr);
}

} // namespace
