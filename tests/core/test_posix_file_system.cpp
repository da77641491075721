// The order of the system calls that make a save durable, seen through the file system's
// table of calls, and what a failing fsync leaves behind.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "port/PosixFileSystem.h"
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Records each call (a run of writes as one) and passes it on to the real one, or fails
// the file's fsync with fsyncError.
struct CallLog {
    std::vector<std::string> calls;
    std::string bytesAtRename; // what the temporary file held when it was renamed
    int folder = -1;
    std::optional<int> fsyncError;

    void Add(const std::string& call) {
        if (call != "write" || calls.empty() || calls.back() != "write")
            calls.push_back(call);
    }
    PosixCalls Calls() {
        const PosixCalls real = PosixCalls::System();
        PosixCalls c;
        c.write = [this, real](int fd, const void* data, size_t size) {
            Add("write");
            return real.write(fd, data, size);
        };
        c.fsync = [this, real](int fd) {
            Add(fd == folder ? "fsync folder" : "fsync file");
            if (fsyncError && fd != folder) {
                errno = *fsyncError;
                return -1;
            }
            return real.fsync(fd);
        };
        c.close = [this, real](int fd) {
            Add(fd == folder ? "close folder" : "close file");
            return real.close(fd);
        };
        c.rename = [this, real](const char* from, const char* to) {
            Add("rename");
            bytesAtRename = ReadFileBytes(from);
            return real.rename(from, to);
        };
        c.openDirectory = [this, real](const char* path) {
            Add("open folder");
            folder = real.openDirectory(path);
            return folder;
        };
        return c;
    }
};

void WriteAtomic(IFileSystem& fs, const std::string& path, const std::string& bytes) {
    const auto sink = fs.CreateAtomic(path);
    sink->Write(bytes.data(), bytes.size());
    sink->Commit();
}

} // namespace

TEST(PosixFileSystem, SavesInTheOrderWriteFsyncCloseRenameThenFsyncsTheFolder) {
    TempDir dir;
    CallLog log;
    PosixFileSystem fs(log.Calls());
    const std::string payload(100'000, 'k');
    WriteAtomic(fs, dir.File("book.kbk"), payload);
    const std::vector<std::string> expected = {"write",  "fsync file",  "close file",  "rename",
                                               "open folder", "fsync folder", "close folder"};
    EXPECT_EQ(log.calls, expected);
    EXPECT_EQ(log.bytesAtRename, payload) << "every byte is in the file before it is renamed";
    EXPECT_EQ(ReadFileBytes(dir.File("book.kbk")), payload);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"book.kbk"});
}

TEST(PosixFileSystem, AFailedFsyncFailsTheSaveAndLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string path = dir.File("book.kbk");
    WriteFileBytes(path, "the old book");
    CallLog log;
    log.fsyncError = EIO;
    PosixFileSystem fs(log.Calls());
    try {
        WriteAtomic(fs, path, "the new book");
        FAIL() << "a save whose bytes may not be on the disk must fail";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::IoError);
    }
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "rename"), 0);
    EXPECT_EQ(ReadFileBytes(path), "the old book");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"book.kbk"});

    // The document says so and keeps the file as it was.
    FakeMessageBox box;
    CKinbookDoc doc(box, fs);
    doc.GetCategories().ResetToDefaults();
    EXPECT_FALSE(doc.Save(path));
    EXPECT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), "the old book");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"book.kbk"});
}
