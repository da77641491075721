#pragma once
#include "port/IFileSystem.h"
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A file system for tests that passes everything to a real one (by default the machine's,
// used on a TempDir) and fails where a test asks it to:
//
//   FaultyFileSystem fs;
//   fs.failWriteAfter = 100;                      // the 101st byte written fails...
//   fs.writeCause = CFileException::DiskFull;     // ...as a full disk
//   fs.failCreate = CFileException::AccessDenied; // CreateAtomic fails at once
//   fs.failCommit = CFileException::IoError;      // everything written, then Commit fails
//   fs.failOpenRead = CFileException::AccessDenied;
//   fs.failReadAfter = 10;                        // a read error of the drive after 10 bytes
//   fs.readChunk = 7;                             // short reads, at most 7 bytes per call
//   fs.writeFault = FaultyFileSystem::Memory;     // the write fault is std::bad_alloc
//                                                 // (Archive: a CArchiveException)
//
// Faults apply to every file until reset. The bytes written before a write fault reach the
// real (temporary) file, as they would on a disk that fills up. The counters tell what was
// asked for.
class FaultyFileSystem final : public IFileSystem {
public:
    explicit FaultyFileSystem(IFileSystem& inner = RealFileSystem()) : m_inner(inner) {}

    std::optional<CFileException::Cause> failOpenRead;
    std::optional<std::size_t> failReadAfter;
    CFileException::Cause readCause = CFileException::IoError;
    std::size_t readChunk = 0; // 0: no limit

    std::optional<CFileException::Cause> failCreate;
    std::optional<std::size_t> failWriteAfter;
    CFileException::Cause writeCause = CFileException::DiskFull;
    enum WriteFault { File, Archive, Memory } writeFault = File;
    std::optional<CFileException::Cause> failCommit;

    int opens = 0;
    int creates = 0;
    int commits = 0;
    std::vector<std::string> created; // paths given to CreateAtomic, in order

    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override;
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override;
    bool Exists(const std::string& path) override { return m_inner.Exists(path); }
    bool Remove(const std::string& path) override { return m_inner.Remove(path); }
    std::optional<FileStamp> Stamp(const std::string& path) override { return m_inner.Stamp(path); }
    std::unique_ptr<FileLock> LockForWriting(const std::string& path,
                                             std::chrono::milliseconds wait) override {
        return m_inner.LockForWriting(path, wait);
    }

    // Runs once, at the next write to a sink: lets a test act as another program that
    // writes the file while a save is under way.
    std::function<void()> whileWriting;

private:
    IFileSystem& m_inner;
};
