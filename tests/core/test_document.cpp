// Loading and saving the data file through the document: what survives each failure and
// exactly what the user is told.
#include "BookBytes.h"
#include "FakeMessageBox.h"
#include "FaultyFileSystem.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "model/DocMessages.h"
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace DocMessages;

// Everything here is local to this file, so that case tables of other suites with
// the same names cannot clash with these.
namespace {

const std::string kCorrupted(kLoadCorrupted);
const std::string kDrive(kLoadDrive);
const std::string kBackup(kCannotOpenBackup);

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    r->m_strNotes = std::string(300, 'n'); // records bigger than the smallest buffers
    return r;
}

// A document on a temporary folder whose data file holds a few records.
class DocumentTest : public testing::Test {
protected:
    DocumentTest() : doc(messages, files) { doc.SetDataPath(dir.File("YourContactRecords.kbk")); }

    void FillBook(CKinbookDoc& d, int records = 3) {
        d.DeleteContents();
        d.GetCategories().ResetToDefaults();
        d.GetCategories().AddTail("Golf");
        for (int i = 0; i < records; ++i)
            d.GetRecords().push_back(Person("Name" + std::to_string(i), "Ann"));
    }
    // Writes a good data file and returns its bytes.
    std::string WriteGoodFile(int records = 3) {
        FakeMessageBox quiet;
        CKinbookDoc writer(quiet, RealFileSystem());
        writer.SetDataPath(doc.GetDataPath());
        FillBook(writer, records);
        EXPECT_TRUE(writer.Save());
        return ReadFileBytes(doc.GetDataPath());
    }
    std::vector<std::string> Names() const { return doc.GetCategories().FillComboNames(); }

    TempDir dir;
    FakeMessageBox messages;
    FaultyFileSystem files;
    CKinbookDoc doc;
};

TEST_F(DocumentTest, FirstStartWithoutADataFileIsANewBookWithoutAMessage) {
    EXPECT_TRUE(doc.LoadDataFile());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Business", "Personal"}));
    EXPECT_TRUE(doc.GetRecords().empty());
    EXPECT_TRUE(dir.Entries().empty()) << "nothing is written until the first change";
    // Sorted as the drop-down shows them: "- Edit Categories" first.
    EXPECT_EQ(doc.FilterEntries(), (std::vector<std::string>{"- Edit Categories", "All", "Business",
                                                             "Personal", "Unfiled"}));
}

TEST_F(DocumentTest, SaveThenLoadGivesTheSameBook) {
    FillBook(doc);
    ASSERT_TRUE(doc.Save());
    CKinbookDoc other(messages, files);
    ASSERT_TRUE(other.Load(doc.GetDataPath()));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(other.GetCategories().FillComboNames(), Names());
    ASSERT_EQ(other.GetRecords().size(), 3u);
    EXPECT_EQ(*other.GetRecords()[2], *doc.GetRecords()[2]);
    // The data file and the UIDs of its records beside it.
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"YourContactRecords.kbk", "YourContactRecords.kbk.uids"}));
}

TEST_F(DocumentTest, LoadReplacesTheListsCompletely) {
    WriteGoodFile(2);
    FillBook(doc, 5);
    ASSERT_TRUE(doc.LoadDataFile());
    EXPECT_EQ(doc.GetRecords().size(), 2u);
    EXPECT_EQ(doc.GetCategories().GetCount(), 4u);
}

TEST_F(DocumentTest, AMissingBackupIsReportedAndChangesNothing) {
    FillBook(doc);
    EXPECT_FALSE(doc.Load(dir.File("gone.kbk")));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kBackup);
    EXPECT_EQ(messages.shown[0].caption, "Kinbook");
    EXPECT_EQ(messages.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].buttons, MbButtons::Ok);
    EXPECT_EQ(doc.GetRecords().size(), 3u);
    EXPECT_EQ(doc.GetCategories().GetCount(), 4u);
}

TEST_F(DocumentTest, ACutDataFileKeepsWhatWasReadAndACopyOfTheFile) {
    const std::string good = WriteGoodFile(3);
    const std::string cut = good.substr(0, good.size() - 10); // inside the last notes
    WriteFileBytes(doc.GetDataPath(), cut);

    EXPECT_FALSE(doc.LoadDataFile());
    const std::string copy = doc.GetDataPath() + ".damaged";
    ASSERT_EQ(messages.Texts(),
              (std::vector<std::string>{kCorrupted, WithPath(kDamagedCopyKept, copy)}));
    EXPECT_EQ(messages.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(messages.shown[1].caption, "Kinbook");
    EXPECT_EQ(messages.shown[1].icon, MbIcon::Information);
    EXPECT_EQ(doc.GetRecords().size(), 2u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Business", "Personal", "Golf"}));
    EXPECT_EQ(ReadFileBytes(copy), cut);

    // The next save may replace the damaged file: the copy keeps it.
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadFileBytes(copy), cut);

    // A second damaged load never overwrites the first copy.
    WriteFileBytes(doc.GetDataPath(), "\x01");
    messages.shown.clear();
    EXPECT_FALSE(doc.LoadDataFile());
    EXPECT_EQ(messages.Texts().back(), WithPath(kDamagedCopyKept, copy + ".1"));
    EXPECT_EQ(ReadFileBytes(copy), cut);
    EXPECT_EQ(ReadFileBytes(copy + ".1"), "\x01");
}

TEST_F(DocumentTest, AFileThatIsNoWholeBookIsDamaged) {
    const std::string good = WriteGoodFile(3);
    std::string noise(5000, '\0');
    std::uint32_t x = 24;
    for (char& c : noise)
        c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    // Read whole, each would look like a book: three records, or none.
    for (const std::string& bytes : {good + noise, std::string(4096, '\0'), std::string()}) {
        SCOPED_TRACE(bytes.size());
        WriteFileBytes(doc.GetDataPath(), bytes);
        fs::remove(doc.GetDataPath() + ".damaged");
        messages.shown.clear();
        EXPECT_FALSE(doc.LoadDataFile());
        const std::string copy = doc.GetDataPath() + ".damaged";
        EXPECT_EQ(messages.Texts(),
                  (std::vector<std::string>{kCorrupted, WithPath(kDamagedCopyKept, copy)}));
        EXPECT_TRUE(ReadFileBytes(copy) == bytes) << "the copy holds the file as it was";
    }
}

TEST_F(DocumentTest, ACutInsideTheCategoriesPutsTheDefaultsInFront) {
    // "Business", "Personal", "Golf" stored; cut inside "Golf".
    const std::string good = WriteGoodFile(1);
    const std::size_t golf = good.find("Golf");
    WriteFileBytes(doc.GetDataPath(), good.substr(0, golf + 2));
    EXPECT_FALSE(doc.LoadDataFile());
    EXPECT_EQ(messages.Texts().front(), kCorrupted);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Business", "Personal", "Business",
                                                 "Personal"}));
    EXPECT_TRUE(doc.GetRecords().empty());
}

TEST_F(DocumentTest, ADamagedFileThatCannotBeCopiedIsNeverSavedOver) {
    const std::string damaged("\x05\x00garbage", 9);
    WriteFileBytes(doc.GetDataPath(), damaged);
    files.failCreate = CFileException::AccessDenied; // no room for the copy
    EXPECT_FALSE(doc.LoadDataFile());
    ASSERT_EQ(messages.Texts(), (std::vector<std::string>{
                                    kCorrupted, WithPath(kDamagedCopyFailed, doc.GetDataPath())}));
    EXPECT_EQ(messages.shown[1].icon, MbIcon::Exclamation);
    files.failCreate.reset();
    messages.shown.clear();
    EXPECT_FALSE(doc.Save());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, WithPath(kCannotCreate, doc.GetDataPath()));
    EXPECT_EQ(messages.shown[0].icon, MbIcon::Stop);
    EXPECT_EQ(ReadFileBytes(doc.GetDataPath()), damaged);

    // Once the file loads again, saving is allowed again.
    WriteGoodFile(1);
    ASSERT_TRUE(doc.LoadDataFile());
    EXPECT_TRUE(doc.Save());
}

struct UnreadableCase {
    const char* name;
    bool folder; // a folder of that name instead of a file the program may not read
};

void PrintTo(const UnreadableCase& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableDataFile : public DocumentTest,
                           public testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableDataFile, IsReportedAndNeverDestroyed) {
    std::string before;
    if (GetParam().folder) {
        fs::create_directory(doc.GetDataPath());
    } else {
        before = WriteGoodFile(2);
        files.failOpenRead = CFileException::AccessDenied;
    }
    EXPECT_FALSE(doc.LoadDataFile());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kDrive);
    EXPECT_EQ(messages.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Business", "Personal"}))
        << "the program carries on with an empty book";

    files.failOpenRead.reset(); // even when it becomes readable, it was never loaded
    doc.GetRecords().push_back(Person("New", "One"));
    messages.shown.clear();
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{WithPath(kCannotCreate, doc.GetDataPath())}));
    if (GetParam().folder)
        EXPECT_TRUE(fs::is_directory(doc.GetDataPath()));
    else
        EXPECT_EQ(ReadFileBytes(doc.GetDataPath()), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableDataFile,
                         testing::Values(UnreadableCase{"NoPermission", false},
                                         UnreadableCase{"Folder", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentTest, AReadErrorOfTheDriveIsReportedAndProtectsTheFile) {
    const std::string good = WriteGoodFile(3);
    files.failReadAfter = good.size() / 2;
    EXPECT_FALSE(doc.LoadDataFile());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kDrive}));
    EXPECT_FALSE(doc.GetRecords().empty()) << "records before the error stay";
    files.failReadAfter.reset();
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(ReadFileBytes(doc.GetDataPath()), good);
}

TEST_F(DocumentTest, ABackupThatCannotBeOpenedGetsTheBackupMessage) {
    WriteGoodFile();
    files.failOpenRead = CFileException::AccessDenied;
    EXPECT_FALSE(doc.Load(doc.GetDataPath()));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kBackup}));
}

// ---- save failures ----

struct SaveFaultCase {
    const char* name;
    void (*inject)(FaultyFileSystem&);
    std::string_view message;
    MbIcon icon;
};

void PrintTo(const SaveFaultCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveFault : public DocumentTest, public testing::WithParamInterface<SaveFaultCase> {};

TEST_P(SaveFault, LeavesTheOldFileByteForByteAndNoTemporaryFile) {
    const std::string before = WriteGoodFile(2);
    FillBook(doc, 40); // a bigger book: the failure comes midway through the write
    GetParam().inject(files);
    EXPECT_FALSE(doc.Save());
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::string expected = WithPath(GetParam().message, doc.GetDataPath());
    EXPECT_EQ(messages.shown[0].text, expected);
    EXPECT_EQ(messages.shown[0].caption, "Kinbook");
    EXPECT_EQ(messages.shown[0].icon, GetParam().icon);
    EXPECT_EQ(messages.shown[0].buttons, MbButtons::Ok);
    EXPECT_EQ(ReadFileBytes(doc.GetDataPath()), before);
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"YourContactRecords.kbk", "YourContactRecords.kbk.uids"}));
    EXPECT_EQ(doc.GetRecords().size(), 40u) << "the lists in memory are kept";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveFault,
    testing::Values(
        SaveFaultCase{"CannotCreate",
                      [](FaultyFileSystem& f) { f.failCreate = CFileException::AccessDenied; },
                      kCannotCreate, MbIcon::Stop},
        SaveFaultCase{"DiskFullInCategories", [](FaultyFileSystem& f) { f.failWriteAfter = 0; },
                      kDiskFull, MbIcon::Exclamation},
        SaveFaultCase{"DiskFullMidway", [](FaultyFileSystem& f) { f.failWriteAfter = 5000; },
                      kDiskFull, MbIcon::Exclamation},
        SaveFaultCase{"WriteErrorMidway",
                      [](FaultyFileSystem& f) {
                          f.failWriteAfter = 5000;
                          f.writeCause = CFileException::IoError;
                      },
                      kSaveDrive, MbIcon::Exclamation},
        SaveFaultCase{"ArchiveFault",
                      [](FaultyFileSystem& f) {
                          f.failWriteAfter = 100;
                          f.writeFault = FaultyFileSystem::Archive;
                      },
                      kSaveArchive, MbIcon::Exclamation},
        SaveFaultCase{"OutOfMemory",
                      [](FaultyFileSystem& f) {
                          f.failWriteAfter = 5000;
                          f.writeFault = FaultyFileSystem::Memory;
                      },
                      kMemory, MbIcon::Exclamation},
        SaveFaultCase{"FlushFailsOnAFullDisk",
                      [](FaultyFileSystem& f) { f.failCommit = CFileException::DiskFull; },
                      kDiskFull, MbIcon::Exclamation},
        SaveFaultCase{"FlushFailsOtherwise",
                      [](FaultyFileSystem& f) { f.failCommit = CFileException::IoError; },
                      kSaveDrive, MbIcon::Exclamation}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the real file system ----

TEST_F(DocumentTest, ASaveIntoAMissingFolderNamesThePath) {
    const std::string path = dir.File("no/such/folder/book.kbk");
    EXPECT_FALSE(doc.Save(path));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{WithPath(kCannotCreate, path)}));
    EXPECT_EQ(messages.shown[0].icon, MbIcon::Stop);
}

TEST_F(DocumentTest, NewFilesAreForTheirOwnerOnlyAndReplacedFilesKeepTheirPermissions) {
    FillBook(doc);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(fs::status(doc.GetDataPath()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(doc.GetDataPath(), fs::perms::owner_read | fs::perms::owner_write |
                                           fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(fs::status(doc.GetDataPath()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(DocumentTest, SavingThroughASymbolicLinkKeepsTheLink) {
    fs::create_directory(dir.Path() / "real");
    const std::string target = dir.File("real/book.kbk");
    WriteFileBytes(target, "old");
    const std::string link = dir.File("link.kbk");
    fs::create_symlink("real/book.kbk", link);
    FillBook(doc, 1);
    ASSERT_TRUE(doc.Save(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(link));
    EXPECT_NE(ReadFileBytes(target), "old");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.kbk", "link.kbk.uids", "real"}));
}

TEST_F(DocumentTest, ASaveOverAFolderIsACreateFailure) {
    fs::create_directory(doc.GetDataPath());
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{WithPath(kCannotCreate, doc.GetDataPath())}));
    EXPECT_TRUE(fs::is_directory(doc.GetDataPath()));
}

TEST_F(DocumentTest, AWriteThatTheSystemRefusesMidwayLeavesTheOldFile) {
    // A child process with a file-size limit: the real write fails after 1,000 bytes.
    const std::string before = WriteGoodFile(2);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FakeMessageBox childMessages;
        CKinbookDoc big(childMessages, RealFileSystem());
        big.SetDataPath(doc.GetDataPath());
        FillBook(big, 50);
        const bool saved = big.Save();
        const bool told =
            childMessages.Texts() == std::vector<std::string>{std::string(kSaveDrive)};
        ::_exit(!saved && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must fail with the drive message";
    EXPECT_EQ(ReadFileBytes(doc.GetDataPath()), before);
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"YourContactRecords.kbk", "YourContactRecords.kbk.uids"}));
}

TEST_F(DocumentTest, PipesAndDevicesAreNeitherReadNorReplaced) {
    const std::string fifo = dir.File("pipe.kbk");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(doc.Load(fifo)) << "and it must not wait for a writer";
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kBackup}));
    messages.shown.clear();
    FillBook(doc, 1);
    for (const std::string& special : {fifo, std::string("/dev/null")}) {
        EXPECT_FALSE(doc.Save(special));
        EXPECT_EQ(messages.Texts().back(), WithPath(kCannotCreate, special));
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

} // namespace
