#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A multimap of 64-bit keys (hashes, addresses) to 32-bit values, in one array open to
// linear probing and at most half full: one lookup is one or two cache lines, with no
// node to allocate. The caller tells values under the same key apart.
class CProbeIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::size_t Size() const { return m_count; }
    void Clear() {
        m_slots.clear();
        m_count = 0;
        m_shift = 64;
    }
    // Room for n pairs without growing.
    void Reserve(std::size_t n) {
        if (2 * n > m_slots.size())
            Rebuild(n);
    }
    void Insert(std::uint64_t key, std::uint32_t value) {
        if (2 * (m_count + 1) > m_slots.size())
            Rebuild(m_count + 1);
        Place(key, value);
        ++m_count;
    }
    // The first value under key that accept takes, or kNone.
    template <class Accept>
    std::uint32_t Find(std::uint64_t key, Accept accept) const {
        if (m_count == 0)
            return kNone;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = Home(key);; i = (i + 1) & mask) {
            const Slot& s = m_slots[i];
            if (s.value == kNone)
                return kNone;
            if (s.key == key && accept(s.value))
                return s.value;
        }
    }
    std::uint32_t Find(std::uint64_t key) const {
        return Find(key, [](std::uint32_t) { return true; });
    }
    // Starts bringing key's first slot into the cache, for a lookup or insert soon after.
    void Prefetch(std::uint64_t key) const {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[Home(key)]);
    }
    // Removes the pair, when it is there.
    void Erase(std::uint64_t key, std::uint32_t value);

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t value = kNone; // kNone: a free slot
    };
    std::size_t Home(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    void Place(std::uint64_t key, std::uint32_t value) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = Home(key);
        while (m_slots[i].value != kNone)
            i = (i + 1) & mask;
        m_slots[i] = Slot{key, value};
    }
    void Rebuild(std::size_t count);

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    int m_shift = 64;
};
