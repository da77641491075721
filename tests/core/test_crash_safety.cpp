// Killing the program at any moment of a save must leave the data file either exactly as
// it was or exactly as the save meant to write it, never damaged or missing.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void FillBook(CKinbookDoc& doc, int records, const std::string& tag) {
    doc.GetCategories().ResetToDefaults();
    doc.GetCategories().AddTail("Friends " + tag);
    for (int i = 0; i < records; ++i) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = "Last" + std::to_string(100000 + i);
        r->m_strFirstName = tag + std::to_string(i);
        r->m_strItem[0] = "555-" + std::to_string(1000 + i % 9000);
        r->m_nItemLabel[0] = LABEL_HOME;
        r->m_strAddress = std::to_string(i) + " Long Street\r\nFlat " + tag;
        r->m_strNotes = std::string(200, static_cast<char>('a' + i % 26));
        r->m_nCategory = static_cast<std::uint16_t>(i % 4);
        doc.GetRecords().push_back(std::move(r));
    }
}

std::string SavedBytes(CKinbookDoc& doc, const TempDir& dir, const std::string& name) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(doc.Save(path));
    return ReadFileBytes(path);
}

enum class Outcome { Old, New, Absent };

struct KillStats {
    int old = 0, fresh = 0, absent = 0;
};

// Starts a child that saves `doc` to target and kills it after a random delay up to
// maxDelay; returns what the target holds afterwards.
Outcome SaveAndKill(CKinbookDoc& doc, const std::string& target, std::chrono::microseconds delay,
                    const std::string& oldBytes, const std::string& newBytes) {
    int fds[2];
    if (::pipe(fds) != 0)
        ADD_FAILURE() << "pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const char go = 1;
        if (::write(fds[1], &go, 1) != 1)
            ::_exit(3);
        doc.Save(target);
        ::_exit(0);
    }
    ::close(fds[1]);
    char got = 0;
    EXPECT_EQ(::read(fds[0], &got, 1), 1);
    ::close(fds[0]);
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);

    std::error_code ec;
    if (!std::filesystem::exists(target, ec))
        return Outcome::Absent;
    const std::string now = ReadFileBytes(target);
    if (now == oldBytes)
        return Outcome::Old;
    if (now == newBytes)
        return Outcome::New;
    ADD_FAILURE() << "the data file is neither the old nor the new book (" << now.size()
                  << " bytes)";
    return Outcome::Absent;
}

// The directory holds the data file, its UID sidecar and, at most, hidden temporaries that
// no load reads.
void ExpectOnlyDataFileAndTemporaries(const TempDir& dir, const std::string& name) {
    for (const auto& entry : dir.Entries()) {
        if (entry == name || entry == name + ".uids" || entry.rfind("reference-", 0) == 0)
            continue;
        EXPECT_EQ(entry.rfind("." + name + ".", 0), 0u) << "unexpected file " << entry;
    }
}

void ExpectLoadsCleanly(const std::string& path, std::size_t records) {
    FakeMessageBox mb;
    CKinbookDoc doc(mb, RealFileSystem());
    EXPECT_TRUE(doc.Load(path));
    EXPECT_TRUE(mb.shown.empty());
    EXPECT_EQ(doc.GetRecords().size(), records);
}

std::chrono::microseconds TimeOneSave(CKinbookDoc& doc, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    doc.Save(path);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

struct Scenario {
    const char* name;
    bool targetExists; // Save over an existing file (data file, New Archive) or a new one (Backup)
    int newRecords;    // 0: an empty book, as New Archive writes
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

class CrashSafety : public ::testing::TestWithParam<Scenario> {};

TEST_P(CrashSafety, KillAtRandomMomentsLeavesOldOrNewFile) {
    const Scenario sc = GetParam();
    TempDir dir;
    FakeMessageBox mb;
    CKinbookDoc oldDoc(mb, RealFileSystem());
    FillBook(oldDoc, 3000, "old");
    CKinbookDoc newDoc(mb, RealFileSystem());
    if (sc.newRecords > 0)
        FillBook(newDoc, sc.newRecords, "new");
    else
        newDoc.GetCategories().ResetToDefaults();
    const std::string oldBytes = SavedBytes(oldDoc, dir, "reference-old.kbk");
    const std::string newBytes = SavedBytes(newDoc, dir, "reference-new.kbk");
    ASSERT_NE(oldBytes, newBytes);

    const std::string name = "YourContactRecords.kbk";
    const std::string target = dir.File(name);
    const auto saveTime = TimeOneSave(newDoc, target);
    const auto maxDelay = saveTime + saveTime / 4 + std::chrono::microseconds(50);

    std::mt19937 rng(12345);
    KillStats stats;
    for (int i = 0; i < 70; ++i) {
        if (sc.targetExists)
            WriteFileBytes(target, oldBytes);
        else
            std::filesystem::remove(target);
        const std::chrono::microseconds delay(
            std::uniform_int_distribution<long>(0, maxDelay.count())(rng));
        switch (SaveAndKill(newDoc, target, delay, oldBytes, newBytes)) {
        case Outcome::Old:
            ++stats.old;
            break;
        case Outcome::New:
            ++stats.fresh;
            break;
        case Outcome::Absent:
            ++stats.absent;
            EXPECT_FALSE(sc.targetExists) << "an existing data file must never disappear";
            break;
        }
        ExpectOnlyDataFileAndTemporaries(dir, name);
        if (std::filesystem::exists(target))
            ExpectLoadsCleanly(target, ReadFileBytes(target) == oldBytes
                                           ? oldDoc.GetRecords().size()
                                           : newDoc.GetRecords().size());
    }
    RecordProperty("old", stats.old);
    RecordProperty("new", stats.fresh);
    RecordProperty("absent", stats.absent);
}

INSTANTIATE_TEST_SUITE_P(Saves, CrashSafety,
                         ::testing::Values(Scenario{"DataFile", true, 3100},
                                           Scenario{"Backup", false, 3100},
                                           Scenario{"NewArchive", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
