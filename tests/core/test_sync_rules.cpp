// The sync rules that need no server: decisions, pairing, conflict marks, and the state
// file beside the data file.
#include "FaultyFileSystem.h"
#include "TempDir.h"
#include "port/IFileSystem.h"
#include "sync/CSyncState.h"
#include "sync/SyncRules.h"
#include <gtest/gtest.h>
#include <random>

using kb::sync::Action;
using kb::sync::Side;

namespace {

void SetOtherInfo(CContactRecord& r, const std::array<const char*, 4>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        r.m_strOtherInfo[i] = lines[i];
}

TEST(SyncRules, NoEditIsEverLost) {
    struct Case {
        Side here, there;
        Action expected;
    };
    const Case cases[] = {
        {Side::Unchanged, Side::Unchanged, Action::None},
        {Side::Unchanged, Side::Changed, Action::Pull},
        {Side::Unchanged, Side::Gone, Action::DeleteHere},
        {Side::Changed, Side::Unchanged, Action::Push},
        {Side::Changed, Side::Changed, Action::Conflict},
        {Side::Changed, Side::Gone, Action::PushNew},
        {Side::Gone, Side::Unchanged, Action::DeleteThere},
        {Side::Gone, Side::Changed, Action::Restore},
        {Side::Gone, Side::Gone, Action::Forget},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kb::sync::Decide(c.here, c.there), c.expected)
            << static_cast<int>(c.here) << "/" << static_cast<int>(c.there);
}

CContactRecord Person(const std::string& last, const std::string& first,
                      std::vector<std::string> items) {
    CContactRecord r;
    r.m_strLastName = last;
    r.m_strFirstName = first;
    for (std::size_t i = 0; i < items.size() && i < 7; ++i)
        r.m_strItem[i] = items[i];
    return r;
}

TEST(SyncRules, SamePersonNeedsTheNameAndAPhoneOrMailInCommon) {
    const auto ann = Person("Smith", "Ann", {"+44 (20) 7946-0958", "Ann@Example.org"});
    EXPECT_TRUE(kb::sync::SamePerson(ann, Person("SMITH", "ann", {"442079460958"})));
    EXPECT_TRUE(kb::sync::SamePerson(ann, Person(" Smith ", "Ann", {"", "ann@example.ORG"})));
    // Same name, nothing to reach them by in common: two people.
    EXPECT_FALSE(kb::sync::SamePerson(ann, Person("Smith", "Ann", {"555 1234"})));
    EXPECT_FALSE(kb::sync::SamePerson(ann, Person("Smith", "Ann", {})));
    // Same phone, other first name: a household, not one person.
    EXPECT_FALSE(kb::sync::SamePerson(ann, Person("Smith", "Bob", {"+44 20 7946 0958"})));
    // Stored Windows-1252 here, UTF-8 from the server: the same name to the user.
    EXPECT_TRUE(kb::sync::SamePerson(Person("M\xfcller", "J\xfcrgen", {"j@x.de"}),
                                 Person("M\xc3\xbcller", "J\xc3\xbcrgen", {"J@X.DE"})));
    // Two digits are no phone number.
    EXPECT_FALSE(kb::sync::SamePerson(Person("A", "B", {"12"}), Person("A", "B", {"1-2"})));
}

TEST(SyncRules, PairingTakesEachServerRecordOnce) {
    const auto a1 = Person("Lee", "Kim", {"111 222"});
    const auto a2 = Person("Lee", "Kim", {"111 222", "kim@x.org"});
    const auto b = Person("Ng", "Al", {"al@x.org"});
    const auto s1 = Person("lee", "kim", {"111-222"});
    const auto s2 = Person("Other", "One", {"al@x.org"});
    const auto pairs = kb::sync::PairRecords({&a1, &a2, &b}, {&s2, &s1});
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0], (std::pair<std::size_t, std::size_t>{0, 1}));
}

TEST(SyncRules, ConflictMarkGoesToTheFirstFreeOtherInfoLineOnce) {
    CContactRecord r;
    SetOtherInfo(r, {"a", "", "c", ""});
    kb::sync::MarkConflict(r);
    EXPECT_EQ(r.m_strOtherInfo[1], "(conflict)");
    kb::sync::MarkConflict(r);
    EXPECT_EQ(r.m_strOtherInfo[3], "");
    SetOtherInfo(r, {"a", "b", "c", "d"});
    kb::sync::MarkConflict(r);
    kb::sync::MarkConflict(r);
    EXPECT_EQ(r.m_strOtherInfo[3], "d (conflict)");
}

TEST(SyncRules, ASyncRemovingMostOfWhatItSharesOnEitherSideIsMass) {
    struct Case {
        int here, there, shared;
        bool mass;
    };
    const Case cases[] = {
        {70, 0, 70, true},  {0, 70, 70, true}, {11, 0, 21, true}, {11, 0, 22, false},
        {10, 0, 10, false}, {0, 11, 20, true}, {6, 6, 12, false}, {11, 11, 100, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ((kb::sync::Removals{c.here, c.there, c.shared}.Mass()), c.mass)
            << c.here << "/" << c.there << " of " << c.shared;
    EXPECT_EQ((kb::sync::Removals{70, 0, 70}.Text()),
              "This sync would remove 70 of the 70 synced contacts from this book, because the "
              "server no longer lists them.");
}

TEST(SyncRules, ACardIsTheSameWhateverItsFoldingAndLineEnds) {
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Kim;;;\r\nNOTE:a long note\r\n"
                             "END:VCARD\r\n";
    EXPECT_TRUE(kb::sync::SameCard(card, "BEGIN:VCARD\nVERSION:3.0\nN:Lee;Kim;;;\nNOTE:a\n  long "
                                         "note\nEND:VCARD\n"));
    EXPECT_FALSE(kb::sync::SameCard(card, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Kit;;;\r\nNOTE:a "
                                          "long note\r\nEND:VCARD\r\n"));
    EXPECT_FALSE(kb::sync::SameCard(card, ""));
}

TEST(SyncRules, BookFingerprintIgnoresOrderButSeesEveryChange) {
    const auto f = kb::sync::BookFingerprint({{"a", 1}, {"b", 2}});
    EXPECT_EQ(f, kb::sync::BookFingerprint({{"b", 2}, {"a", 1}}));
    EXPECT_NE(f, kb::sync::BookFingerprint({{"a", 1}, {"b", 3}}));
    EXPECT_NE(f, kb::sync::BookFingerprint({{"a", 1}}));
    EXPECT_NE(f, kb::sync::BookFingerprint({{"a", 2}, {"b", 1}}));
}

std::string RandomBytes(std::mt19937& rng, std::size_t max) {
    std::uniform_int_distribution<std::size_t> len(0, max);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(len(rng), '\0');
    for (char& c : s)
        c = static_cast<char>(byte(rng));
    return s;
}

CSyncState RandomState(std::mt19937& rng) {
    CSyncState s;
    s.m_strBookUrl = "https://h.example/dav/" + RandomBytes(rng, 10);
    s.m_strToken = RandomBytes(rng, 30);
    s.m_nBookFingerprint = rng();
    for (int i = 0; i < 20; ++i) {
        SyncEntry e;
        e.href = RandomBytes(rng, 40);
        e.etag = RandomBytes(rng, 20);
        e.card = RandomBytes(rng, 300);
        e.fingerprint = (static_cast<std::uint64_t>(rng()) << 32) | rng();
        s.m_entries["uid-" + RandomBytes(rng, 12)] = e;
    }
    return s;
}

bool SameState(const CSyncState& a, const CSyncState& b) {
    if (a.m_strBookUrl != b.m_strBookUrl || a.m_strToken != b.m_strToken ||
        a.m_nBookFingerprint != b.m_nBookFingerprint || a.m_entries.size() != b.m_entries.size())
        return false;
    for (const auto& [uid, e] : a.m_entries) {
        const auto it = b.m_entries.find(uid);
        if (it == b.m_entries.end() || it->second.href != e.href || it->second.etag != e.etag ||
            it->second.card != e.card || it->second.fingerprint != e.fingerprint)
            return false;
    }
    return true;
}

TEST(SyncState, AnyContentSurvivesTheRoundTrip) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 50; ++round) {
        const CSyncState s = RandomState(rng);
        CSyncState back;
        ASSERT_TRUE(back.Parse(s.Serialize()));
        EXPECT_TRUE(SameState(s, back)) << "round " << round;
    }
}

TEST(SyncState, AFileCutShortIsDamagedNeverAShorterList) {
    std::mt19937 rng(7);
    CSyncState s = RandomState(rng);
    s.m_entries.erase(std::next(s.m_entries.begin(), 3), s.m_entries.end());
    const std::string text = s.Serialize();
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        CSyncState back;
        EXPECT_FALSE(back.Parse(std::string_view(text).substr(0, cut))) << cut;
        EXPECT_TRUE(back.Empty());
    }
    CSyncState back;
    EXPECT_FALSE(back.Parse(text + "x"));
}

TEST(SyncState, SidecarBesideTheDataFileWrittenAtomically) {
    TempDir dir;
    const std::string data = dir.File("book.kbk");
    CSyncState none;
    EXPECT_TRUE(none.Load(data, RealFileSystem())); // no file yet: nothing synced
    EXPECT_TRUE(none.Empty());

    std::mt19937 rng(3);
    const CSyncState s = RandomState(rng);
    ASSERT_TRUE(s.Save(data, RealFileSystem()));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"book.kbk.sync"});
    const std::string before = ReadFileBytes(dir.File("book.kbk.sync"));

    // A full disk half way leaves the previous state exactly as it was.
    FaultyFileSystem faulty;
    faulty.failWriteAfter = 100;
    EXPECT_FALSE(RandomState(rng).Save(data, faulty));
    EXPECT_EQ(ReadFileBytes(dir.File("book.kbk.sync")), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"book.kbk.sync"});

    CSyncState back;
    ASSERT_TRUE(back.Load(data, RealFileSystem()));
    EXPECT_TRUE(SameState(s, back));

    WriteFileBytes(dir.File("book.kbk.sync"), before.substr(0, before.size() / 2));
    EXPECT_FALSE(back.Load(data, RealFileSystem()));
    EXPECT_TRUE(back.Empty());
}

} // namespace
