#pragma once
// Small in-memory stand-ins for the transfer tests: a file system whose writes can fail
// after a number of bytes and whose reads come in small pieces, and a scripted progress.
#include "port/IFileSystem.h"
#include "port/IProgress.h"
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TransferMemoryFs final : public IFileSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> unreadable; // OpenRead throws for these
    bool refuseCreate = false;
    long long failAfterBytes = -1; // a sink throws once this many bytes were written
    CFileException::Cause failCause = CFileException::DiskFull;
    std::size_t readPiece = 8192; // at most this many bytes per Read

    std::unique_ptr<IByteSource> OpenRead(const std::string& path) override {
        if (std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end())
            throw CFileException(CFileException::AccessDenied, path);
        auto it = files.find(path);
        if (it == files.end())
            throw CFileException(CFileException::NotFound, path);
        return std::make_unique<Source>(it->second, readPiece);
    }
    std::unique_ptr<IByteSink> CreateAtomic(const std::string& path) override {
        if (refuseCreate)
            throw CFileException(CFileException::AccessDenied, path);
        return std::make_unique<Sink>(*this, path);
    }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    bool Remove(const std::string& path) override { return files.erase(path) != 0; }
    // Files in memory never change behind the program's back.
    std::optional<FileStamp> Stamp(const std::string&) override { return std::nullopt; }
    // One process and no disk: nobody else to keep out.
    std::unique_ptr<FileLock> LockForWriting(const std::string&,
                                             std::chrono::milliseconds) override {
        return std::make_unique<FileLock>();
    }

private:
    class Source final : public IByteSource {
    public:
        Source(std::string data, std::size_t piece) : m_data(std::move(data)), m_piece(piece) {}
        std::size_t Read(char* buffer, std::size_t size) override {
            const std::size_t n = std::min({size, m_piece, m_data.size() - m_pos});
            std::memcpy(buffer, m_data.data() + m_pos, n);
            m_pos += n;
            return n;
        }

    private:
        std::string m_data;
        std::size_t m_piece;
        std::size_t m_pos = 0;
    };
    class Sink final : public IByteSink {
    public:
        Sink(TransferMemoryFs& fs, std::string path) : m_fs(fs), m_path(std::move(path)) {}
        void Write(const char* data, std::size_t size) override {
            if (m_fs.failAfterBytes >= 0 &&
                static_cast<long long>(m_staged.size() + size) > m_fs.failAfterBytes)
                throw CFileException(m_fs.failCause, m_path);
            m_staged.append(data, size);
        }
        void Commit() override { m_fs.files[m_path] = m_staged; }

    private:
        TransferMemoryFs& m_fs;
        std::string m_path;
        std::string m_staged;
    };
};

class ScriptedProgress final : public IProgress {
public:
    void SetPosition(int percent) override { positions.push_back(percent); }
    bool CancelRequested() override { return ++asked > cancelAfter && cancelAfter >= 0; }
    std::vector<int> positions;
    int asked = 0;
    int cancelAfter = -1; // answer true from the (cancelAfter+1)-th question on
};
