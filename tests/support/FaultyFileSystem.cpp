#include "FaultyFileSystem.h"
#include <algorithm>
#include <new>
#include <utility>

namespace {

class FaultySource final : public IByteSource {
public:
    FaultySource(std::unique_ptr<IByteSource> inner, const FaultyFileSystem& fs, std::string path)
        : m_inner(std::move(inner)), m_fs(fs), m_path(std::move(path)) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        if (m_fs.readChunk > 0)
            size = std::min(size, m_fs.readChunk);
        if (m_fs.failReadAfter) {
            if (m_read >= *m_fs.failReadAfter)
                throw CFileException(m_fs.readCause, m_path);
            size = std::min(size, *m_fs.failReadAfter - m_read);
        }
        const std::size_t n = m_inner->Read(buffer, size);
        m_read += n;
        return n;
    }

private:
    std::unique_ptr<IByteSource> m_inner;
    const FaultyFileSystem& m_fs;
    std::string m_path;
    std::size_t m_read = 0;
};

class FaultySink final : public IByteSink {
public:
    FaultySink(std::unique_ptr<IByteSink> inner, FaultyFileSystem& fs, std::string path)
        : m_inner(std::move(inner)), m_fs(fs), m_path(std::move(path)) {}
    void Write(const char* data, std::size_t size) override {
        if (m_fs.whileWriting)
            std::exchange(m_fs.whileWriting, nullptr)();
        if (m_fs.failWriteAfter && m_written + size > *m_fs.failWriteAfter) {
            const std::size_t fits =
                *m_fs.failWriteAfter - std::min(m_written, *m_fs.failWriteAfter);
            m_inner->Write(data, fits);
            m_written += fits;
            if (m_fs.writeFault == FaultyFileSystem::Archive)
                throw CArchiveException(CArchiveException::Generic);
            if (m_fs.writeFault == FaultyFileSystem::Memory)
                throw std::bad_alloc();
            throw CFileException(m_fs.writeCause, m_path);
        }
        m_inner->Write(data, size);
        m_written += size;
    }
    void Commit() override {
        if (m_fs.failCommit)
            throw CFileException(*m_fs.failCommit, m_path);
        m_inner->Commit();
        ++m_fs.commits;
    }
    std::optional<FileStamp> CommittedStamp() const override { return m_inner->CommittedStamp(); }

private:
    std::unique_ptr<IByteSink> m_inner;
    FaultyFileSystem& m_fs;
    std::string m_path;
    std::size_t m_written = 0;
};

} // namespace

std::unique_ptr<IByteSource> FaultyFileSystem::OpenRead(const std::string& path) {
    ++opens;
    if (failOpenRead)
        throw CFileException(*failOpenRead, path);
    return std::make_unique<FaultySource>(m_inner.OpenRead(path), *this, path);
}

std::unique_ptr<IByteSink> FaultyFileSystem::CreateAtomic(const std::string& path) {
    ++creates;
    created.push_back(path);
    if (failCreate)
        throw CFileException(*failCreate, path);
    return std::make_unique<FaultySink>(m_inner.CreateAtomic(path), *this, path);
}
