#pragma once
#include "port/FileErrors.h"
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What tells one version of a file from another without reading it: the file's identity
// (device and inode), its size and its modification time. Another program that replaces
// the file, rewrites it or only touches it changes at least one of them.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Reads a file front to back. Read returns 0 only at the end of the file and
// throws CFileException on a read error of the drive.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// Writes a file. Nothing is visible under the target path until Commit succeeds:
// a sink destroyed without Commit leaves the previous file exactly as it was and no
// temporary file behind. Write and Commit throw CFileException (DiskFull for ENOSPC).
class IByteSink {
public:
    virtual ~IByteSink() = default;
    virtual void Write(const char* data, std::size_t size) = 0;
    virtual void Commit() = 0;
    // After a successful Commit: the stamp the file had when it replaced the target, taken
    // before the rename so that no later change by another program can slip into it.
    // Nothing when the sink cannot tell (then the caller asks the file system).
    virtual std::optional<FileStamp> CommittedStamp() const { return std::nullopt; }
};

// A writer's hold on a data file, given back when it is destroyed: while one program holds
// it, no other program gets it for the same file.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// The files the program reads and writes; tests replace it to inject faults.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Throws CFileException (NotFound, AccessDenied, IsDirectory, ...) when the file cannot be
    // opened.
    virtual std::unique_ptr<IByteSource> OpenRead(const std::string& path) = 0;
    // Starts an atomic replacement of path (a temporary file beside it). Throws
    // CFileException when it cannot be created. New files are readable by their owner only.
    virtual std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // The stamp of the file path names (a link is followed); nothing when there is no
    // such file or it cannot be examined.
    virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
    // Takes the lock that lets one writer at a time read, merge and replace the data file
    // path, waiting up to wait while another holds it. Nothing when it is still held then;
    // throws CFileException when it cannot be taken at all (say, in a read-only folder).
    virtual std::unique_ptr<FileLock> LockForWriting(const std::string& path,
                                                     std::chrono::milliseconds wait) = 0;
};

// The real file system of this machine.
IFileSystem& RealFileSystem();

// A small file beside the data file, read whole: nothing when it is missing or cannot be
// read.
std::optional<std::string> ReadWholeFile(IFileSystem& fs, const std::string& path);
// Replaces a small file atomically with text; false when it could not be written (the old
// file is left as it was).
bool WriteWholeFile(IFileSystem& fs, const std::string& path, std::string_view text);
