#include "port/PosixFileSystem.h"

#if !defined(_WIN32)

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A temporary file of a save that was killed is removed once it is this old: no save
// that is still running takes that long to write its file.
constexpr std::time_t kStaleTemporaryAge = 60;
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

    std::size_t Read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                Throw(errno, m_path);
        }
    }

private:
    int m_fd;
    std::string m_path;
};

class PosixByteSink final : public IByteSink {
public:
    PosixByteSink(int fd, std::string tempPath, std::string target)
        : m_fd(fd), m_tempPath(std::move(tempPath)), m_target(std::move(target)) {}
    ~PosixByteSink() override {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_bCommitted)
            ::unlink(m_tempPath.c_str());
    }
    PosixByteSink(const PosixByteSink&) = delete;
    PosixByteSink& operator=(const PosixByteSink&) = delete;

    void Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = ::write(m_fd, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Throw(errno, m_target);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    void Commit() override {
        if (::fsync(m_fd) != 0)
            Throw(errno, m_target);
        struct stat st {};
        if (::fstat(m_fd, &st) == 0)
            m_stamp = StampOf(st);
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            Throw(errno, m_target);
        if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
            Throw(errno, m_target);
        m_bCommitted = true;
        // Make the rename itself durable; a failure here loses nothing.
        const int dir = ::open(DirectoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        RemoveStaleTemporaries(m_target);
    }

    std::optional<FileStamp> CommittedStamp() const override {
        return m_bCommitted ? m_stamp : std::nullopt;
    }

private:
    int m_fd;
    std::string m_tempPath;
    std::string m_target;
    bool m_bCommitted = false;
    std::optional<FileStamp> m_stamp;
};

} // namespace

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
    return std::make_unique<PosixByteSink>(fd, temp, target);
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

#else // _WIN32: the standard library's files, replaced through a temporary file.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

class StdByteSource final : public IByteSource {
public:
    StdByteSource(std::FILE* f, std::string path) : m_file(f), m_path(std::move(path)) {}
    ~StdByteSource() override { std::fclose(m_file); }
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::fread(buffer, 1, size, m_file);
        if (n == 0 && std::ferror(m_file))
            throw CFileException(CFileException::IoError, m_path);
        return n;
    }

private:
    std::FILE* m_file;
    std::string m_path;
};

class StdByteSink final : public IByteSink {
public:
    StdByteSink(std::FILE* f, std::string temp, std::string target)
        : m_file(f), m_temp(std::move(temp)), m_target(std::move(target)) {}
    ~StdByteSink() override {
        if (m_file != nullptr)
            std::fclose(m_file);
        if (!m_bCommitted) {
            std::error_code ec;
            std::filesystem::remove(m_temp, ec);
        }
    }
    void Write(const char* data, std::size_t size) override {
        if (std::fwrite(data, 1, size, m_file) != size)
            throw CFileException(CFileException::IoError, m_target);
    }
    void Commit() override {
        const bool ok = std::fflush(m_file) == 0;
        std::fclose(m_file);
        m_file = nullptr;
        if (!ok)
            throw CFileException(CFileException::IoError, m_target);
        std::error_code ec;
        std::filesystem::rename(m_temp, m_target, ec);
        if (ec)
            throw CFileException(CFileException::AccessDenied, m_target);
        m_bCommitted = true;
    }

private:
    std::FILE* m_file;
    std::string m_temp;
    std::string m_target;
    bool m_bCommitted = false;
};

} // namespace

std::unique_ptr<IByteSource> PosixFileSystem::OpenRead(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw CFileException(CFileException::NotFound, path);
    if (std::filesystem::is_directory(path, ec))
        throw CFileException(CFileException::IsDirectory, path);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        throw CFileException(CFileException::AccessDenied, path);
    return std::make_unique<StdByteSource>(f, path);
}

std::unique_ptr<IByteSink> PosixFileSystem::CreateAtomic(const std::string& path) {
    const std::string temp = path + ".saving";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr)
        throw CFileException(CFileException::AccessDenied, path);
    return std::make_unique<StdByteSink>(f, temp, path);
}

bool PosixFileSystem::Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool PosixFileSystem::Remove(const std::string& path) {
    std::error_code ec;
    return std::filesystem::remove(path, ec);
}

std::optional<FileStamp> PosixFileSystem::Stamp(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    FileStamp stamp;
    stamp.size = size;
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count());
    return stamp;
}

#endif
