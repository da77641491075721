#pragma once
#include "model/FetchLine.h"
#include <cstddef>
#include <cstdint>
#include <vector>

// A multimap of 64-bit keys (hashes, addresses) to 32-bit values, in one array open to
// linear probing and at most half full: a lookup is mostly one cache line, with no node to
// allocate. A slot keeps 32 bits of the key's hash, not the key, so values under different
// keys may meet: the caller tells its own value from the others.
class CProbeIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::size_t Size() const { return m_count; }
    void Clear() {
        m_slots.clear();
        m_count = 0;
        m_bits = 0;
    }
    // Room for n pairs without growing.
    void Reserve(std::size_t n) {
        if (2 * n > m_slots.size())
            Rebuild(n);
    }
    void Insert(std::uint64_t key, std::uint32_t value) {
        if (2 * (m_count + 1) > m_slots.size())
            Rebuild(m_count + 1);
        Place(Tag(key), value);
        ++m_count;
    }
    // The first value stored under key (or under a key that hashes alike) that accept
    // takes, or kNone.
    template <class Accept>
    std::uint32_t Find(std::uint64_t key, Accept accept) const {
        if (m_count == 0)
            return kNone;
        const std::uint32_t tag = Tag(key);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = Home(tag);; i = (i + 1) & mask) {
            const Slot& s = m_slots[i];
            if (s.value == kNone)
                return kNone;
            if (s.tag == tag && accept(s.value))
                return s.value;
        }
    }
    // Starts bringing key's first slot into the cache, for a lookup or insert soon after.
    void Prefetch(std::uint64_t key) const {
        if (!m_slots.empty())
            FetchLine(&m_slots[Home(Tag(key))]);
    }
    // Removes the pair, when it is there.
    void Erase(std::uint64_t key, std::uint32_t value);

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t value = kNone; // kNone: a free slot
    };
    // The high half of a multiplicative hash; its top bits choose the slot, so the slot a
    // pair belongs in follows from its tag alone.
    static std::uint32_t Tag(std::uint64_t key) {
        return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ull) >> 32);
    }
    std::size_t Home(std::uint32_t tag) const {
        return m_bits == 0 ? 0 : static_cast<std::size_t>(tag >> (32 - m_bits));
    }
    void Place(std::uint32_t tag, std::uint32_t value) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = Home(tag);
        while (m_slots[i].value != kNone)
            i = (i + 1) & mask;
        m_slots[i] = Slot{tag, value};
    }
    void Rebuild(std::size_t count);

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    int m_bits = 0; // m_slots.size() is 2 to this power
};
