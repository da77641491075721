#pragma once
#include <stdexcept>
#include <string>

// Failures of file work, raised as exceptions and caught by the operation that began
// the work, which reports them in the program's own words.
class CFileException : public std::runtime_error {
public:
    enum Cause { Generic, NotFound, AccessDenied, DiskFull, EndOfFile, IoError, IsDirectory };
    CFileException(Cause cause, const std::string& path, int osError = 0)
        : std::runtime_error(path), m_cause(cause), m_path(path), m_osError(osError) {}
    Cause m_cause;
    std::string m_path;
    int m_osError;
};

class CArchiveException : public std::runtime_error {
public:
    enum Cause { EndOfFile, BadClass, BadSchema, BadIndex, Generic };
    explicit CArchiveException(Cause cause) : std::runtime_error("archive"), m_cause(cause) {}
    Cause m_cause;
};
