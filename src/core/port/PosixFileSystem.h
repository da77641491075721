#pragma once
#include "port/IFileSystem.h"
#include <functional>
#include <sys/types.h>

// The system calls by which a save reaches the disk, so that a test can watch their
// order and make one of them fail. Each defaults to the real call.
struct PosixCalls {
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* path)> openDirectory; // read-only, for its fsync

    // The real calls.
    static PosixCalls System();
};

// The files of this machine through the POSIX calls. Writing goes to a temporary file in
// the target's directory, which Commit flushes to the disk and renames over the target
// (which keeps its permissions; a symbolic link is followed, so the link stays a link).
// A successful commit also removes what saves of the same file that were killed left
// behind: its temporary files (".NAME.XXXXXX") older than a minute; so does taking the
// writers' lock of a file. That lock is an flock on ".NAME.lock" beside the file (the file
// itself is replaced by rename, so it cannot carry one), removed again by its holder.
class PosixFileSystem final : public IFileSystem {
public:
    PosixFileSystem() : m_calls(PosixCalls::System()) {}
    explicit PosixFileSystem(PosixCalls calls) : m_calls(std::move(calls)) {}

    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override;
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::optional<FileStamp> Stamp(const std::string& path) override;
    std::unique_ptr<FileLock> LockForWriting(const std::string& path,
                                             std::chrono::milliseconds wait) override;

private:
    PosixCalls m_calls;
};
