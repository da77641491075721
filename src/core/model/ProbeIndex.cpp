#include "model/ProbeIndex.h"
#include <utility>

void CProbeIndex::Rebuild(std::size_t count) {
    std::size_t size = 64;
    int bits = 6;
    while (size < 2 * count) {
        size *= 2;
        ++bits;
    }
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(size, Slot{});
    m_bits = bits;
    for (const Slot& s : old) {
        if (s.value != kNone)
            Place(s.tag, s.value);
    }
}

void CProbeIndex::Erase(std::uint64_t key, std::uint32_t value) {
    if (m_count == 0)
        return;
    const std::uint32_t tag = Tag(key);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = Home(tag);
    for (;; hole = (hole + 1) & mask) {
        if (m_slots[hole].value == kNone)
            return;
        if (m_slots[hole].tag == tag && m_slots[hole].value == value)
            break;
    }
    // Later slots of the run move back into the hole when their home is not after it,
    // so that no probe stops short at a hole.
    for (std::size_t next = (hole + 1) & mask; m_slots[next].value != kNone;
         next = (next + 1) & mask) {
        const std::size_t home = Home(m_slots[next].tag);
        const bool homeBetween = hole <= next ? (home > hole && home <= next)
                                              : (home > hole || home <= next);
        if (!homeBetween) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = Slot{};
    --m_count;
}
