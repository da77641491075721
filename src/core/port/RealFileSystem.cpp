#include "port/IFileSystem.h"
#include "port/FileErrors.h"
#include "port/PosixFileSystem.h"

IFileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

std::optional<std::string> ReadWholeFile(IFileSystem& fs, const std::string& path) {
    if (!fs.Exists(path))
        return std::nullopt;
    std::string text;
    try {
        auto source = fs.OpenRead(path);
        char buf[65536];
        for (std::size_t n; (n = source->Read(buf, sizeof buf)) > 0;)
            text.append(buf, n);
    } catch (const CFileException&) {
        return std::nullopt;
    }
    return text;
}

bool WriteWholeFile(IFileSystem& fs, const std::string& path, std::string_view text) {
    try {
        auto sink = fs.CreateAtomic(path);
        sink->Write(text.data(), text.size());
        sink->Commit();
        return true;
    } catch (const CFileException&) {
        return false;
    }
}
