// Another program changes the data file while the book is open (kinbook-cli in a process
// of its own, or a second document): its changes are seen, merged before every save and
// never written over; and what killed saves and damaged files leave behind is tidied up.
#include "FakeMessageBox.h"
#include "FaultyFileSystem.h"
#include "RunCli.h"
#include "TempDir.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "model/DocMessages.h"
#include "view/DisplayName.h"
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first,
                                       const std::string& phone = {}) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    r->m_strItem[0] = phone;
    return r;
}

// "Last, First phone" of each record of a book, in filing order.
std::vector<std::string> Lines(const CKinbookDoc& doc) {
    std::vector<std::string> out;
    for (const auto& r : doc.GetRecords())
        out.push_back(DisplayName(*r) + (r->m_strItem[0].empty() ? "" : " " + r->m_strItem[0]));
    return out;
}

CContactRecord& Named(CKinbookDoc& doc, const std::string& last) {
    for (const auto& r : doc.GetRecords())
        if (r->m_strLastName == last)
            return *r;
    throw std::runtime_error("no " + last);
}

void Remove(CKinbookDoc& doc, const std::string& last) {
    auto& records = doc.GetRecords();
    records.erase(std::find_if(records.begin(), records.end(),
                               [&](const auto& r) { return r->m_strLastName == last; }));
}

// Sets a file's modification time, seconds from now.
void SetModified(const std::string& path, int secondsFromNow, bool followLink = true) {
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = ::time(nullptr) + secondsFromNow;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, followLink ? 0 : AT_SYMLINK_NOFOLLOW), 0);
}

// A shell loop in a process of its own that runs kinbook-cli args for i from 0 to n - 1
// ("$i" in args) and stops at the first failure; Finish waits for it and gives its exit.
pid_t StartCliLoop(int n, const std::string& args) {
    const std::string script = "i=0; while [ $i -lt " + std::to_string(n) + " ]; do " +
                               ShellQuote(Cli()) + " " + args +
                               " >/dev/null || exit 1; i=$((i+1)); done";
    const char* argv[] = {"sh", "-c", script.c_str(), nullptr};
    pid_t pid = -1;
    ::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
    return pid;
}

int Finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The window's book on a data file that holds Adams and Baker.
class FileChanges : public testing::Test {
protected:
    FileChanges() : doc(messages, files) {
        doc.SetDataPath(path);
        CKinbookDoc writer(quiet, RealFileSystem());
        writer.GetCategories().ResetToDefaults();
        FileRecord(writer.GetRecords(), Person("Adams", "Ann"));
        FileRecord(writer.GetRecords(), Person("Baker", "Bob"));
        EXPECT_TRUE(writer.Save(path));
        EXPECT_TRUE(doc.LoadDataFile());
    }
    void SetUp() override { ASSERT_TRUE(CliIsThere()); }
    // What any reader finds in the file now.
    std::vector<std::string> InFile() {
        CKinbookDoc reader(quiet, RealFileSystem());
        EXPECT_TRUE(reader.Load(path));
        return Lines(reader);
    }
    // Another program: a document of its own that changes the file and saves.
    template <class Change> void OtherProgram(Change change) {
        CKinbookDoc other(quiet, RealFileSystem());
        ASSERT_TRUE(other.Load(path));
        change(other);
        ASSERT_TRUE(other.Save(path));
    }
    void RunOk(const std::vector<std::string>& args) {
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }

    TempDir dir;
    const std::string path = dir.File("book.kbk");
    FakeMessageBox quiet;
    FakeMessageBox messages;
    FaultyFileSystem files;
    CKinbookDoc doc;
};

} // namespace

TEST_F(FileChanges, AContactTheCommandLineAddedSurvivesTheNextNewContact) {
    RunOk({"add", path, "--last", "Young", "--first", "Yves"});
    FileRecord(doc.GetRecords(), Person("Carter", "Cy"));
    ASSERT_TRUE(doc.Save());
    const std::vector<std::string> all{"Adams, Ann", "Baker, Bob", "Carter, Cy", "Young, Yves"};
    EXPECT_EQ(InFile(), all);
    EXPECT_EQ(Lines(doc), all) << "the book in memory has them too";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileChanges, TwoProcessesTakingTurnsLoseNothing) {
    for (int i = 0; i < 10; ++i) {
        RunOk({"add", path, "--last", "Cli" + std::to_string(i)});
        FileRecord(doc.GetRecords(), Person("Doc" + std::to_string(i), ""));
        ASSERT_TRUE(doc.Save());
    }
    EXPECT_EQ(InFile().size(), 22u);
    EXPECT_EQ(Lines(doc).size(), 22u);
}

// ---- One writer at a time ------------------------------------------------------------

TEST_F(FileChanges, WritersAtOnceInProcessesOfTheirOwnAndTheWindowLoseNothing) {
    OtherProgram([](CKinbookDoc& other) {
        for (int i = 0; i < 20; ++i)
            FileRecord(other.GetRecords(), Person("Old" + std::to_string(i), "Ann"));
    });
    const std::string book = ShellQuote(path);
    const std::vector<pid_t> writers{
        StartCliLoop(25, "add " + book + " --last A$i"),
        StartCliLoop(25, "add " + book + " --last B$i"),
        StartCliLoop(10, "delete " + book + " \"Old$i, Ann\""),
        StartCliLoop(10, "edit " + book + " \"Old1$i, Ann\" --first Edited"),
    };
    for (int i = 0; i < 25; ++i) {
        FileRecord(doc.GetRecords(), Person("Doc" + std::to_string(i), ""));
        EXPECT_TRUE(doc.Save());
    }
    for (const pid_t writer : writers)
        EXPECT_EQ(Finish(writer), 0);
    std::vector<std::string> expected{"Adams, Ann", "Baker, Bob"};
    for (int i = 0; i < 25; ++i) {
        const std::string n = std::to_string(i);
        expected.insert(expected.end(), {"A" + n, "B" + n, "Doc" + n});
        if (i < 10)
            expected.push_back("Old1" + n + ", Edited");
    }
    std::vector<std::string> found = InFile();
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileChanges, AWriterThatCannotGetTheLockSaysSoAndWritesNothing) {
    auto held = RealFileSystem().LockForWriting(path, std::chrono::milliseconds(0));
    ASSERT_TRUE(held);
    EXPECT_FALSE(RealFileSystem().LockForWriting(path, std::chrono::milliseconds(0)));
    const CliRun run = RunCli({"add", path, "--last", "Young"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, std::string(DocMessages::kBookBusy) + "\n");
    held.reset();
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann", "Baker, Bob"}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"book.kbk", "book.kbk.uids"}))
        << "no lock file and no temporary behind";
}

TEST_F(FileChanges, AnEditGoesToTheSameRecordWhenItIsStillThere) {
    RunOk({"add", path, "--last", "Young", "--first", "Yves"});
    Named(doc, "Baker").m_strItem[0] = "555";
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann", "Baker, Bob 555", "Young, Yves"}));
}

TEST_F(FileChanges, AnEditOfARecordTheOtherProgramDeletedIsAdded) {
    RunOk({"delete", path, "Baker, Bob"});
    Named(doc, "Baker").m_strItem[0] = "555";
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann", "Baker, Bob 555"}));
}

TEST_F(FileChanges, AnEditOfARecordTheOtherProgramEditedTooKeepsBoth) {
    OtherProgram([](CKinbookDoc& other) { Named(other, "Baker").m_strItem[0] = "111"; });
    Named(doc, "Baker").m_strItem[0] = "555";
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(),
              (std::vector<std::string>{"Adams, Ann", "Baker, Bob 555", "Baker #1, Bob 111"}));
}

TEST_F(FileChanges, ADeleteRemovesTheRecordOnlyWhenItIsStillThere) {
    RunOk({"add", path, "--last", "Young", "--first", "Yves"});
    OtherProgram([](CKinbookDoc& other) { Named(other, "Adams").m_strItem[0] = "111"; });
    Remove(doc, "Baker"); // still there: removed
    Remove(doc, "Adams"); // changed there meanwhile: the change stays
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann 111", "Young, Yves"}));
}

// The UIDs follow the merge: a record the other program took away loses its UID (nothing
// may reach it through one), and one it edited keeps the UID the book knew it by.
TEST_F(FileChanges, UidsFollowTheRecordsAMergeTakesAwayAndBringsIn) {
    const std::string adams = doc.Uids().UidOf(Named(doc, "Adams"));
    const std::string baker = doc.Uids().UidOf(Named(doc, "Baker"));
    ASSERT_TRUE(doc.Save()); // the UIDs are on disk beside the book
    OtherProgram([](CKinbookDoc& other) {
        Remove(other, "Adams");
        Named(other, "Baker").m_strItem[0] = "555";
    });
    ASSERT_TRUE(doc.MergeFileChanges());
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"Baker, Bob 555"}));
    EXPECT_EQ(doc.Uids().RecordOf(adams), nullptr);
    EXPECT_EQ(doc.Uids().RecordOf(baker), &Named(doc, "Baker"));
    EXPECT_EQ(doc.Uids().UidOf(Named(doc, "Baker")), baker);
}

TEST_F(FileChanges, CategoriesTheCommandLineAddsComeInWithTheirRecords) {
    RunOk({"categories", path, "--add", "Golf"});
    RunOk({"add", path, "--last", "Young", "--category", "Golf"});
    auto mine = Person("Carter", "Cy");
    mine->m_nCategory = doc.GetCategories().IndexOf("Personal");
    FileRecord(doc.GetRecords(), std::move(mine));
    ASSERT_TRUE(doc.Save());
    CKinbookDoc reader(quiet, RealFileSystem());
    ASSERT_TRUE(reader.Load(path));
    const CCategoryList& categories = reader.GetCategories();
    EXPECT_EQ(categories.FillComboNames(),
              (std::vector<std::string>{"Unfiled", "Business", "Personal", "Golf"}));
    EXPECT_EQ(categories.NameOf(Named(reader, "Young").m_nCategory), "Golf");
    EXPECT_EQ(categories.NameOf(Named(reader, "Carter").m_nCategory), "Personal");
}

TEST_F(FileChanges, AChangeWhileTheSaveIsWritingIsMergedAndWrittenAgain) {
    // A program that takes no lock replaces the file meanwhile.
    files.whileWriting = [this] {
        CKinbookDoc other(quiet, RealFileSystem());
        ASSERT_TRUE(other.Load(path));
        FileRecord(other.GetRecords(), Person("Young", "Yves"));
        ASSERT_TRUE(other.Save(dir.File("other.kbk")));
        fs::rename(dir.File("other.kbk"), path);
        fs::remove(dir.File("other.kbk.uids"));
    };
    FileRecord(doc.GetRecords(), Person("Carter", "Cy"));
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(),
              (std::vector<std::string>{"Adams, Ann", "Baker, Bob", "Carter, Cy", "Young, Yves"}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"book.kbk", "book.kbk.uids"}))
        << "no temporary behind";
}

TEST_F(FileChanges, ChangesAreToldBySizeTimeAndIdentity) {
    EXPECT_FALSE(doc.FileChangedOnDisk()) << "as loaded";
    ASSERT_TRUE(doc.Save());
    EXPECT_FALSE(doc.FileChangedOnDisk()) << "its own save is no change";

    const std::string bytes = ReadFileBytes(path);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    // Only touched: the time differs.
    SetModified(path, -100);
    EXPECT_TRUE(doc.FileChangedOnDisk());
    EXPECT_FALSE(doc.MergeFileChanges()) << "same content: nothing to bring in";
    EXPECT_FALSE(doc.FileChangedOnDisk()) << "looked at once";

    // Another file with the same bytes and time renamed over it: the identity differs.
    struct stat now {};
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    const std::string other = dir.File("other");
    WriteFileBytes(other, bytes);
    const timespec times[2] = {now.st_mtim, now.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(other.c_str(), path.c_str()), 0);
    EXPECT_TRUE(doc.FileChangedOnDisk());
    doc.MergeFileChanges();

    // Rewritten in place with the old time put back: the size differs.
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    WriteFileBytes(path, bytes + "x");
    const timespec same[2] = {now.st_mtim, now.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), same, 0), 0);
    EXPECT_TRUE(doc.FileChangedOnDisk());
    WriteFileBytes(path, bytes);
    doc.MergeFileChanges();

    // Gone: a change too, but nothing to merge; the next save writes the book again.
    fs::remove(path);
    EXPECT_TRUE(doc.FileChangedOnDisk());
    EXPECT_FALSE(doc.MergeFileChanges());
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"Adams, Ann", "Baker, Bob"}));
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann", "Baker, Bob"}));
}

TEST_F(FileChanges, ADataFileCreatedAfterAFirstStartIsMergedNotOverwritten) {
    TempDir other;
    const std::string later = other.File("later.kbk");
    CKinbookDoc fresh(messages, files);
    fresh.SetDataPath(later);
    ASSERT_TRUE(fresh.LoadDataFile()); // no file yet: a new book
    RunOk({"new", later});
    RunOk({"add", later, "--last", "Young"});
    FileRecord(fresh.GetRecords(), Person("Carter", "Cy"));
    ASSERT_TRUE(fresh.Save());
    CKinbookDoc reader(quiet, RealFileSystem());
    ASSERT_TRUE(reader.Load(later));
    EXPECT_EQ(Lines(reader), (std::vector<std::string>{"Carter, Cy", "Young"}));
}

TEST_F(FileChanges, ADamagedFileThatChangedUnderTheBookIsKeptAsideOnce) {
    const std::string damaged("\x05\x00garbage", 9);
    WriteFileBytes(path, damaged);
    EXPECT_FALSE(doc.MergeFileChanges());
    const std::string copy = path + ".damaged";
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{
                                    std::string(DocMessages::kLoadCorrupted),
                                    DocMessages::WithPath(DocMessages::kDamagedCopyKept, copy)}));
    EXPECT_EQ(ReadFileBytes(copy), damaged);
    EXPECT_FALSE(doc.FileChangedOnDisk()) << "told once";
    // The book is what it was, and the next save writes it.
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(InFile(), (std::vector<std::string>{"Adams, Ann", "Baker, Bob"}));
}

// ---- What damaged files and killed saves leave behind -----------------------------------

TEST(DamagedFiles, StartingAgainOnTheSameDamagedFileMakesNoSecondCopy) {
    TempDir dir;
    const std::string path = dir.File("book.kbk");
    const std::string damaged("\x05\x00garbage", 9);
    WriteFileBytes(path, damaged);
    for (int start = 0; start < 3; ++start) {
        FakeMessageBox messages;
        CKinbookDoc doc(messages, RealFileSystem());
        doc.SetDataPath(path);
        EXPECT_FALSE(doc.LoadDataFile());
        EXPECT_EQ(messages.Texts().back(),
                  DocMessages::WithPath(DocMessages::kDamagedCopyKept, path + ".damaged"));
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"book.kbk", "book.kbk.damaged"}));
    // Damaged differently: a copy of its own, beside the first.
    WriteFileBytes(path, damaged + "more");
    FakeMessageBox messages;
    CKinbookDoc doc(messages, RealFileSystem());
    doc.SetDataPath(path);
    EXPECT_FALSE(doc.LoadDataFile());
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"book.kbk", "book.kbk.damaged", "book.kbk.damaged.1"}));
    EXPECT_EQ(ReadFileBytes(path + ".damaged.1"), damaged + "more");
}

TEST(DamagedFiles, TheCommandLineMakesNoCopyItWouldNeverNeed) {
    ASSERT_TRUE(CliIsThere());
    TempDir dir;
    const std::string path = dir.File("book.kbk");
    const std::string damaged("\x05\x00garbage", 9);
    WriteFileBytes(path, damaged);
    // A verb that stops at a failed load never saves over the file.
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"categories", path, "--add", "Golf"},
                                               {"add", path, "--last", "Young"},
                                               {"delete", path, "Young"}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, std::string(DocMessages::kLoadCorrupted) + "\n") << args[0];
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"book.kbk"}));
    EXPECT_EQ(ReadFileBytes(path), damaged);
}

TEST(DamagedFiles, AnEmptyPathIsNoNewBook) {
    FakeMessageBox messages;
    CKinbookDoc doc(messages, RealFileSystem());
    doc.GetRecords().push_back(Person("Adams", "Ann"));
    doc.GetCategories().ResetToDefaults();
    EXPECT_FALSE(doc.Load(""));
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{std::string(DocMessages::kCannotOpenBackup)}));
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"Adams, Ann"})) << "the book is untouched";
}

TEST(KilledSaves, OnlyOurOwnOldTemporariesAreRemovedByTheNextSave) {
    TempDir dir;
    const std::string path = dir.File("book.kbk");
    const std::vector<std::string> stale{".book.kbk.AbC123", ".book.kbk.zz9ZZ9"};
    const std::vector<std::string> kept{".book.kbk.Fresh1",  // a save that may still be running
                                        ".book.kbk.AbC12",   // not six characters
                                        ".book.kbk.AbC1234", // nor seven
                                        ".book.kbk.AbC-12",  // not a letter or digit
                                        "book.kbk.AbC123",   // no leading dot
                                        ".other.kbk.AbC123", // another file's
                                        ".book.kbk.Dir123",  // a folder
                                        ".book.kbk.Lnk123",  // a link
                                        "notes.txt"};
    for (const auto& name : stale)
        WriteFileBytes(dir.File(name), "old book");
    for (const auto& name : kept) {
        if (name == ".book.kbk.Dir123")
            fs::create_directory(dir.File(name));
        else if (name == ".book.kbk.Lnk123")
            fs::create_symlink(dir.File("notes.txt"), dir.File(name));
        else
            WriteFileBytes(dir.File(name), "something");
    }
    for (const auto& name : stale)
        SetModified(dir.File(name), -61);
    for (const auto& name : kept)
        if (name != ".book.kbk.Fresh1")
            SetModified(dir.File(name), -3600, false);

    FakeMessageBox messages;
    CKinbookDoc doc(messages, RealFileSystem());
    doc.GetCategories().ResetToDefaults();
    ASSERT_TRUE(doc.Save(path));
    std::vector<std::string> expected = kept;
    expected.push_back("book.kbk");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Entries(), expected);

    // A command that opens the book to change it removes them too, saved or not.
    for (const auto& name : stale) {
        WriteFileBytes(dir.File(name), "old book");
        SetModified(dir.File(name), -61);
    }
    EXPECT_EQ(RunCli({"delete", path, "Nobody"}).exitCode, 1);
    EXPECT_EQ(dir.Entries(), expected);
}
