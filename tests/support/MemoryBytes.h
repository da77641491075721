#pragma once
#include "port/IFileSystem.h"
#include <algorithm>
#include <cstring>
#include <string>

// Byte sources and sinks in memory, for reading and writing the archive without files.
class MemorySource final : public IByteSource {
public:
    // chunk > 0 limits every Read to that many bytes.
    explicit MemorySource(std::string bytes, std::size_t chunk = 0)
        : m_bytes(std::move(bytes)), m_chunk(chunk) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        if (m_chunk > 0)
            size = std::min(size, m_chunk);
        const std::size_t n = std::min(size, m_bytes.size() - m_pos);
        std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        ++reads;
        return n;
    }
    std::size_t Consumed() const { return m_pos; }
    int reads = 0;

private:
    std::string m_bytes;
    std::size_t m_chunk;
    std::size_t m_pos = 0;
};

class MemorySink final : public IByteSink {
public:
    void Write(const char* data, std::size_t size) override {
        bytes.append(data, size);
        ++writes;
    }
    void Commit() override { committed = true; }
    std::string bytes;
    int writes = 0;
    bool committed = false;
};
