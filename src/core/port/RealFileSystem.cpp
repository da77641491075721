#include "port/IFileSystem.h"

namespace {
// Placeholder until the atomic file writer lands.
class PlaceholderFileSystem final : public IFileSystem {
public:
    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override {
        throw CFileException(CFileException::NotFound, path);
    }
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override {
        throw CFileException(CFileException::AccessDenied, path);
    }
    bool Exists(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
};
} // namespace

IFileSystem& RealFileSystem() {
    static PlaceholderFileSystem fs;
    return fs;
}
