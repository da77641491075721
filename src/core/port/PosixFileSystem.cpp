#include "port/PosixFileSystem.h"
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A temporary file of a save that was killed is removed once it is this old: no save
// that is still running takes that long to write its file.
constexpr std::time_t kStaleTemporaryAge = 60;
// How often a writer waiting for the lock of a file looks again.
constexpr std::chrono::milliseconds kLockRetry{20};
// mkostemp replaces these six characters.
constexpr std::string_view kTempSuffix = "XXXXXX";

FileStamp StampOf(const struct stat& st) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

CFileException::Cause CauseOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return CFileException::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return CFileException::AccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return CFileException::DiskFull;
    case EISDIR:
        return CFileException::IsDirectory;
    case EIO:
        return CFileException::IoError;
    default:
        return CFileException::Generic;
    }
}

[[noreturn]] void Throw(int error, const std::string& path) {
    throw CFileException(CauseOf(error), path, error);
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file they name (which need not exist yet), so
// that replacing it keeps the links.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) +
                                 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return path;
        std::string link(target.data(), static_cast<std::size_t>(n));
        path = (!link.empty() && link[0] == '/') ? link : DirectoryOf(path) + "/" + link;
    }
    Throw(ELOOP, path);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether name is one of our temporary files for the file base: "." + base + "." and the
// six letters or digits mkostemp chose.
bool IsTemporaryName(std::string_view name, std::string_view base) {
    const std::size_t prefix = base.size() + 2;
    if (name.size() != prefix + kTempSuffix.size() || name[0] != '.' ||
        name.substr(1, base.size()) != base || name[prefix - 1] != '.')
        return false;
    for (const char c : name.substr(prefix)) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum)
            return false;
    }
    return true;
}

// Removes the temporary files that killed saves of target left beside it: plain files of
// ours, named by our pattern, older than a minute. Nothing else is touched, and a failure
// here costs nothing but the space.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = DirectoryOf(target);
    const std::string base = BaseNameOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name, base))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (now - st.st_mtim.tv_sec > kStaleTemporaryAge)
            stale.push_back(path);
    }
    ::closedir(dir);
    for (const std::string& path : stale)
        ::unlink(path.c_str());
}

class PosixByteSource final : public IByteSource {
public:
    PosixByteSource(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixByteSource() override { ::close(m_fd); }
    PosixByteSource(const PosixByteSource&) = delete;
    PosixByteSource& operator=(const PosixByteSource&) = delete;

    // Small reads are served from a read-ahead of its own, so that a reader going through
    // a file in pieces of a few kilobytes does not pay a system call for each.
    std::size_t Read(char* buffer, std::size_t size) override {
        if (m_nPos == m_nEnd) {
            if (size >= kReadAhead)
                return ReadFile(buffer, size);
            m_ahead.resize(kReadAhead);
            m_nPos = 0;
            m_nEnd = ReadFile(m_ahead.data(), kReadAhead);
        }
        const std::size_t n = std::min(size, m_nEnd - m_nPos);
        if (n != 0)
            std::memcpy(buffer, m_ahead.data() + m_nPos, n);
        m_nPos += n;
        return n;
    }

private:
    static constexpr std::size_t kReadAhead = 64 * 1024;

    std::size_t ReadFile(char* buffer, std::size_t size) {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                Throw(errno, m_path);
        }
    }

    int m_fd;
    std::string m_path;
    std::vector<char> m_ahead;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
};

class PosixByteSink final : public IByteSink {
public:
    PosixByteSink(const PosixCalls& calls, int fd, std::string tempPath, std::string target)
        : m_calls(calls), m_fd(fd), m_tempPath(std::move(tempPath)), m_target(std::move(target)) {}
    ~PosixByteSink() override {
        if (m_fd >= 0)
            m_calls.close(m_fd);
        if (!m_bCommitted)
            ::unlink(m_tempPath.c_str());
    }
    PosixByteSink(const PosixByteSink&) = delete;
    PosixByteSink& operator=(const PosixByteSink&) = delete;

    void Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = m_calls.write(m_fd, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Throw(errno, m_target);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    // The bytes reach the disk before the rename makes them the file: a crash between
    // the two must never leave an empty or partial file under the target's name.
    void Commit() override {
        if (m_calls.fsync(m_fd) != 0)
            Throw(errno, m_target);
        struct stat st {};
        if (::fstat(m_fd, &st) == 0)
            m_stamp = StampOf(st);
        const int fd = m_fd;
        m_fd = -1;
        if (m_calls.close(fd) != 0)
            Throw(errno, m_target);
        if (m_calls.rename(m_tempPath.c_str(), m_target.c_str()) != 0)
            Throw(errno, m_target);
        m_bCommitted = true;
        // Make the rename itself durable; a failure here loses nothing.
        const int dir = m_calls.openDirectory(DirectoryOf(m_target).c_str());
        if (dir >= 0) {
            m_calls.fsync(dir);
            m_calls.close(dir);
        }
        RemoveStaleTemporaries(m_target);
    }

    std::optional<FileStamp> CommittedStamp() const override {
        return m_bCommitted ? m_stamp : std::nullopt;
    }

private:
    PosixCalls m_calls; // a copy: the sink may outlive its file system
    int m_fd;
    std::string m_tempPath;
    std::string m_target;
    bool m_bCommitted = false;
    std::optional<FileStamp> m_stamp;
};

// The writers' lock of a file. Its holder removes the lock file before it lets go, so
// that no lock file stays behind; a writer that was waiting on the removed file finds that
// out (IsCurrentLock) and takes the lock again.
class PosixFileLock final : public FileLock {
public:
    PosixFileLock(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixFileLock() override {
        ::unlink(m_path.c_str());
        ::close(m_fd);
    }
    PosixFileLock(const PosixFileLock&) = delete;
    PosixFileLock& operator=(const PosixFileLock&) = delete;

private:
    int m_fd;
    std::string m_path;
};

// Whether the lock file open as fd is still the one path names.
bool IsCurrentLock(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// One try at the lock file path: its descriptor, locked; -1 when another holds it.
int TryLock(const std::string& path, const std::string& target) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        Throw(errno, target);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK && error != EINTR)
            Throw(error, target);
        return -1;
    }
    if (IsCurrentLock(fd, path))
        return fd;
    ::close(fd); // its holder removed it meanwhile
    return -1;
}

} // namespace

PosixCalls PosixCalls::System() {
    PosixCalls calls;
    calls.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
    calls.fsync = [](int fd) { return ::fsync(fd); };
    calls.close = [](int fd) { return ::close(fd); };
    calls.rename = [](const char* from, const char* to) { return ::rename(from, to); };
    calls.openDirectory = [](const char* path) {
        return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    };
    return calls;
}

std::unique_ptr<IByteSource> PosixFileSystem::OpenRead(const std::string& path) {
    // Not blocking: a pipe without a writer must not hang the program at the open.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Throw(errno, path);
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        // A data file is a plain file; folders, pipes and devices are not opened.
        const int error = !statted ? errno : (S_ISDIR(st.st_mode) ? EISDIR : EACCES);
        ::close(fd);
        Throw(error, path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixByteSource>(fd, path);
}

std::unique_ptr<IByteSink> PosixFileSystem::CreateAtomic(const std::string& path) {
    if (path.empty())
        Throw(ENOENT, path);
    const std::string target = FollowLinks(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            Throw(EISDIR, path);
        // Never replace a pipe or a device (such as /dev/null) with a plain file.
        if (!S_ISREG(st.st_mode))
            Throw(EACCES, path);
        // A write-protected file stays protected, although the rename could replace it.
        if (::access(target.c_str(), W_OK) != 0)
            Throw(errno, path);
    }
    std::string temp =
        DirectoryOf(target) + "/." + BaseNameOf(target) + "." + std::string(kTempSuffix);
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // created readable by the owner only
    if (fd < 0)
        Throw(errno, path);
    if (exists) {
        // The replacement keeps the old file's owner (when allowed) and permissions.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not ours to give away; the permissions still follow.
        }
        ::fchmod(fd, st.st_mode & 07777);
    }
    return std::make_unique<PosixByteSink>(m_calls, fd, temp, target);
}

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::optional<FileStamp> PosixFileSystem::Stamp(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StampOf(st);
}

std::unique_ptr<FileLock> PosixFileSystem::LockForWriting(const std::string& path,
                                                          std::chrono::milliseconds wait) {
    if (path.empty())
        Throw(ENOENT, path);
    const std::string target = FollowLinks(path);
    const std::string lockPath = DirectoryOf(target) + "/." + BaseNameOf(target) + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (const int fd = TryLock(lockPath, path); fd >= 0) {
            // No save of this file runs now: what an earlier one left behind can go.
            RemoveStaleTemporaries(target);
            return std::make_unique<PosixFileLock>(fd, lockPath);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        std::this_thread::sleep_for(kLockRetry);
    }
}
