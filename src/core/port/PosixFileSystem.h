#pragma once
#include "port/IFileSystem.h"

// The files of this machine through the POSIX calls. Writing goes to a temporary file in
// the target's directory, which Commit flushes to the disk and renames over the target
// (which keeps its permissions; a symbolic link is followed, so the link stays a link).
// A successful commit also removes what saves of the same file that were killed left
// behind: its temporary files (".NAME.XXXXXX") older than a minute.
class PosixFileSystem final : public IFileSystem {
public:
    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override;
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::optional<FileStamp> Stamp(const std::string& path) override;
};
