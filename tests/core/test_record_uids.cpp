#include "FakeMessageBox.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordUids.h"
#include "model/CSampleBook.h"
#include "model/Sha1.h"
#include "port/IFileSystem.h"
#include <gtest/gtest.h>
#include <map>
#include <random>
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
    // Around the block edges, where the length takes a block of its own.
    EXPECT_EQ(hex(kb::Sha1(std::string(55, 'a'))), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(hex(kb::Sha1(std::string(56, 'a'))), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(hex(kb::Sha1(std::string(63, 'a'))), "03f09f5b158a7a8cdad920bddc29b81c18a551f5");
    EXPECT_EQ(hex(kb::Sha1(std::string(64, 'a'))), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
    EXPECT_EQ(hex(kb::Sha1(std::string(119, 'a'))), "ee971065aaa017e0632a8ca6c77bb3bf8b1dfc56");
    EXPECT_EQ(hex(kb::Sha1(std::string(120, 'a'))), "f34c1488385346a55709ba056ddd08280dd4c6d6");
}

TEST(Sha1, TheProcessorsInstructionsGiveThePlainCodesDigest) {
    if (!kb::Sha1IsAccelerated())
        GTEST_SKIP() << "this processor has no SHA instructions";
    std::mt19937 random(7);
    std::string bytes;
    for (std::size_t length = 0; length < 400; ++length) {
        bytes.resize(length);
        for (char& c : bytes)
            c = static_cast<char>(random());
        ASSERT_EQ(kb::Sha1(bytes), kb::Sha1Portable(bytes)) << "length " << length;
    }
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

    // A save gives records of the same content each its own UID, in list order.
    CRecordList twins;
    for (int i = 0; i < 3; ++i)
        twins.push_back(Person("Twin"));
    CRecordUids saved;
    const std::string text = saved.Serialize(twins);
    const std::uint64_t fp = CRecordUids::Fingerprint(*twins[0]);
    for (int k = 0; k < 3; ++k) {
        ASSERT_NE(saved.Find(*twins[static_cast<std::size_t>(k)]), nullptr);
        EXPECT_EQ(*saved.Find(*twins[static_cast<std::size_t>(k)]), CRecordUids::DerivedUid(fp, k));
        EXPECT_NE(text.find(CRecordUids::DerivedUid(fp, k) + "\t"), std::string::npos);
    }
}

// Fingerprints and UIDs are kept in sidecar and sync files, so they must never change: the
// values below come from an independent FNV-1a and SHA-1 (Python's hashlib).
TEST(RecordUids, FingerprintsAndDerivedUidsAreThoseAlreadyOnDisk) {
    const auto ann = Person("Smith", "Ann");
    EXPECT_EQ(CRecordUids::Fingerprint(*ann), 0x184005ffdb5a1f08ull);
    EXPECT_EQ(CRecordUids::DerivedUid(0x184005ffdb5a1f08ull),
              "894b7dac-910a-5cd8-8fc9-37671886f370");
    EXPECT_EQ(CRecordUids::DerivedUid(0x184005ffdb5a1f08ull, 1),
              "cb1043dd-1de8-5145-b5c3-96e67a1a590b");

    // Every value counts, each closed by a unit separator, numbers in decimal.
    auto reference = [](const CContactRecord& r) {
        std::string content;
        auto add = [&](const std::string& s) {
            content += s;
            content += '\x1f';
        };
        add(r.m_strFirstName);
        add(r.m_strLastName);
        add(r.m_strTitle);
        add(r.m_strOtherRef);
        add(std::to_string(r.m_nCategory));
        add(std::to_string(r.m_nDefaultItem));
        for (int i = 0; i < CContactRecord::kItemCount; ++i) {
            add(r.m_strItem[static_cast<std::size_t>(i)]);
            add(std::to_string(r.m_nItemLabel[static_cast<std::size_t>(i)]));
        }
        for (const CRecordText* s : {&r.m_strAddress, &r.m_strCity, &r.m_strState, &r.m_strZip,
                                     &r.m_strCountry, &r.m_strOtherInfo[0], &r.m_strOtherInfo[1],
                                     &r.m_strOtherInfo[2], &r.m_strOtherInfo[3], &r.m_strNotes})
            add(*s);
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (const char c : content)
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        return h;
    };
    CSampleBook sample(11);
    CRecordList records;
    for (int i = 0; i < 301; ++i) {
        auto r = sample.Next();
        r->m_nCategory = static_cast<std::uint16_t>(i * 317);
        r->m_nDefaultItem = static_cast<std::uint8_t>(i);
        r->m_nItemLabel[static_cast<std::size_t>(i % 7)] = static_cast<std::uint8_t>(i * 7);
        r->m_strNotes.append(static_cast<std::size_t>(i), static_cast<char>(i));
        ASSERT_EQ(CRecordUids::Fingerprint(*r), reference(*r)) << i;
        records.push_back(std::move(r));
    }
    // A whole book at once, hashed four records side by side: any count, empty records,
    // and one much longer than the rest.
    records.insert(records.begin() + 5, std::make_unique<CContactRecord>());
    records[17]->m_strNotes = std::string(70000, 'n');
    for (const std::size_t count : {0, 1, 3, 4, 5, 9, 302}) {
        CRecordList some;
        for (std::size_t i = 0; i < count; ++i)
            some.push_back(std::make_unique<CContactRecord>(*records[i]));
        const std::vector<std::uint64_t> all = CRecordUids::Fingerprints(some);
        ASSERT_EQ(all.size(), count);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(all[i], reference(*some[i])) << count << " records, record " << i;
    }
    // Long names take more than one block of the hash.
    EXPECT_EQ(CRecordUids::DerivedUid(0, 123456789).size(), 36u);
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

TEST(RecordUids, RandomUseKeepsEveryUidUniqueFoundAndOwnedByItsRecord) {
    // Many records, few contents and few chosen UIDs, so that derived UIDs need salts,
    // chosen ones are refused, and the tables see long runs, removals and growth.
    std::mt19937 random(11);
    CRecordList records;
    for (int i = 0; i < 600; ++i)
        records.push_back(Person("Name" + std::to_string(i % 7)));
    CRecordUids uids;
    std::map<const CContactRecord*, std::string> model;
    auto check = [&](const CRecordUids& u) {
        for (const auto& r : records) {
            const auto it = model.find(r.get());
            const std::string* found = u.Find(*r);
            ASSERT_EQ(found != nullptr, it != model.end());
            if (found != nullptr) {
                ASSERT_EQ(*found, it->second);
                ASSERT_EQ(u.RecordOf(*found), r.get());
            }
        }
    };
    for (int step = 0; step < 20000; ++step) {
        const CContactRecord& r = *records[random() % records.size()];
        switch (random() % 5) {
        case 0:
        case 1: {
            const std::string uid = uids.UidOf(r);
            if (model.count(&r)) {
                ASSERT_EQ(uid, model[&r]);
            }
            for (const auto& [other, taken] : model) {
                ASSERT_TRUE(other == &r || taken != uid);
            }
            model[&r] = uid;
            break;
        }
        case 2: {
            const std::string uid = "chosen-" + std::to_string(random() % 50);
            bool free = true;
            for (const auto& [other, taken] : model)
                free = free && (other == &r || taken != uid);
            ASSERT_EQ(uids.Set(r, uid), free);
            if (free)
                model[&r] = uid;
            break;
        }
        case 3:
            uids.Forget(r);
            model.erase(&r);
            break;
        default:
            if (step % 50 == 0) {
                // Keep a random half of the records' UIDs, through a copy.
                CRecordList kept;
                for (auto& rec : records) {
                    if (random() % 2)
                        kept.push_back(std::unique_ptr<CContactRecord>(rec.get()));
                    else
                        model.erase(rec.get());
                }
                uids.Retain(kept);
                for (auto& rec : kept)
                    (void)rec.release();
                CRecordUids copy(uids);
                check(copy);
            }
            break;
        }
    }
    check(uids);
}

} // namespace
