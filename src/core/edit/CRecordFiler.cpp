#include "edit/CRecordFiler.h"
#include "model/NoCase.h"
#include <algorithm>

using kb::CompareNoCase;
using kb::EqualsNoCase;

namespace {

std::string Numbered(const std::string& base, int k) {
    return base + " #" + std::to_string(k);
}

std::string Folded(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

} // namespace

CRecordFiler::CRecordFiler(CRecordList& records, std::size_t blockSize)
    : m_list(records), m_blockSize(std::max<std::size_t>(blockSize, 2)) {
    Build();
}

CRecordFiler::~CRecordFiler() {
    Flush();
}

std::string CRecordFiler::PairKey(const std::string& last, const std::string& first) {
    // Length first, so that names holding any byte never run into each other.
    return std::to_string(last.size()) + ':' + Folded(last) + Folded(first);
}

std::string CRecordFiler::PairKey(const CContactRecord& r) {
    return PairKey(r.m_strLastName, r.m_strFirstName);
}

void CRecordFiler::Build() {
    m_blocks.clear();
    m_blockOf.clear();
    m_pairs.clear();
    m_nextFree.clear();
    m_count = m_list.size();
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (i % m_blockSize == 0)
            m_blocks.push_back(std::make_unique<Block>());
        Block& b = *m_blocks.back();
        CContactRecord* r = m_list[i].get();
        b.entries.push_back({r, i, false});
        m_blockOf[r] = &b;
        m_pairs[PairKey(*r)].push_back(r);
    }
    for (auto& b : m_blocks)
        Refresh(*b);
    m_prefixGreatest.resize(m_blocks.size());
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        SetPrefixGreatest(i);
}

void CRecordFiler::SetPrefixGreatest(std::size_t i) {
    const std::string& own = m_blocks[i]->greatest;
    m_prefixGreatest[i] =
        i == 0 || CompareNoCase(own, m_prefixGreatest[i - 1]) > 0 ? own : m_prefixGreatest[i - 1];
}

void CRecordFiler::Refresh(Block& b) {
    b.greatest.clear();
    b.ordered = true;
    for (std::size_t i = 0; i < b.entries.size(); ++i) {
        const CContactRecord* r = b.entries[i].record;
        if (i == 0 || CompareNoCase(r->m_strLastName, b.greatest) > 0)
            b.greatest = r->m_strLastName;
        if (i > 0 && CompareNoCase(b.entries[i - 1].record->m_strLastName, r->m_strLastName) > 0)
            b.ordered = false;
    }
}

std::size_t CRecordFiler::BlockOf(const CContactRecord* r) const {
    const Block* b = m_blockOf.at(r);
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i].get() == b)
            return i;
    return m_blocks.size();
}

CRecordFiler::Place CRecordFiler::PlaceOf(const CContactRecord* r) const {
    const std::size_t bi = BlockOf(r);
    const auto& entries = m_blocks[bi]->entries;
    const auto it =
        std::find_if(entries.begin(), entries.end(), [r](const Entry& e) { return e.record == r; });
    return {bi, static_cast<std::size_t>(it - entries.begin())};
}

std::size_t CRecordFiler::PositionOf(Place p) const {
    std::size_t pos = p.offset;
    for (std::size_t i = 0; i < p.block; ++i)
        pos += m_blocks[i]->entries.size();
    return pos;
}

bool CRecordFiler::Next(Place& p) const {
    if (p.offset + 1 < m_blocks[p.block]->entries.size()) {
        ++p.offset;
        return true;
    }
    if (p.block + 1 < m_blocks.size()) {
        ++p.block;
        p.offset = 0;
        return true;
    }
    return false;
}

bool CRecordFiler::FindFirstGreater(const std::string& last, Place& out) const {
    // The greatest name so far only grows from block to block, so the first block that
    // holds a greater name is found by halving.
    const auto first = std::partition_point(
        m_prefixGreatest.begin(), m_prefixGreatest.end(),
        [&last](const std::string& greatest) { return CompareNoCase(greatest, last) <= 0; });
    if (first == m_prefixGreatest.end())
        return false;
    const auto bi = static_cast<std::size_t>(first - m_prefixGreatest.begin());
    const Block& b = *m_blocks[bi];
    const auto greater = [&last](const Entry& e) {
        return CompareNoCase(e.record->m_strLastName, last) > 0;
    };
    auto it = b.ordered ? std::partition_point(b.entries.begin(), b.entries.end(),
                                               [&](const Entry& e) { return !greater(e); })
                        : std::find_if(b.entries.begin(), b.entries.end(), greater);
    out = {bi, static_cast<std::size_t>(it - b.entries.begin())};
    return true;
}

std::size_t CRecordFiler::File(std::unique_ptr<CContactRecord> record) {
    // Room for the write-back is taken now, so that Flush never needs memory.
    if (m_list.capacity() < m_count + 1)
        m_list.reserve(std::max(m_count + 1, 2 * m_list.capacity()));
    const Place at = PlaceFor(*record);
    record->m_strLastName = FreeName(record->m_strLastName, record->m_strFirstName);
    return Insert(at, std::move(record));
}

CRecordFiler::Place CRecordFiler::PlaceFor(const CContactRecord& record) const {
    const Place end = m_blocks.empty()
                          ? Place{0, 0}
                          : Place{m_blocks.size() - 1, m_blocks.back()->entries.size()};
    Place greater{};
    const bool hasGreater = FindFirstGreater(record.m_strLastName, greater);
    const auto pair = m_pairs.find(PairKey(record.m_strLastName, record.m_strFirstName));
    if (pair == m_pairs.end() || pair->second.empty())
        return hasGreater ? greater : end;
    const Place dup = PlaceOf(pair->second.front());
    if (hasGreater &&
        (greater.block < dup.block || (greater.block == dup.block && greater.offset < dup.offset)))
        return greater;

    // A namesake: the place is behind the run of its numbered twins.
    Place e = dup;
    for (int k = 1;; ++k) {
        Place n = e;
        if (!Next(n))
            return {e.block, e.offset + 1};
        const CContactRecord& next = *m_blocks[n.block]->entries[n.offset].record;
        if (!EqualsNoCase(next.m_strLastName, Numbered(record.m_strLastName, k)) ||
            !EqualsNoCase(next.m_strFirstName, record.m_strFirstName))
            return n;
        e = n;
    }
}

bool CRecordFiler::IsTaken(const std::string& last, const std::string& first) const {
    const auto it = m_pairs.find(PairKey(last, first));
    return it != m_pairs.end() && !it->second.empty();
}

std::string CRecordFiler::FreeName(const std::string& last, const std::string& first) {
    if (!IsTaken(last, first))
        return last;
    // Names are only ever added while the filer lives, so the smallest free number of a
    // name never goes down: the search goes on where it last stopped.
    int& k = m_nextFree.try_emplace(PairKey(last, first), 1).first->second;
    while (IsTaken(Numbered(last, k), first))
        ++k;
    return Numbered(last, k);
}

std::size_t CRecordFiler::Insert(Place at, std::unique_ptr<CContactRecord> record) {
    if (m_blocks.empty()) {
        m_blocks.push_back(std::make_unique<Block>());
        m_prefixGreatest.emplace_back();
    }
    Block& b = *m_blocks[at.block];
    CContactRecord* raw = record.get();
    m_pending.push_back(std::move(record));
    b.entries.insert(b.entries.begin() + static_cast<std::ptrdiff_t>(at.offset),
                     Entry{raw, m_pending.size() - 1, true});
    m_blockOf[raw] = &b;
    ++m_count;

    const std::string& last = raw->m_strLastName;
    if (b.entries.size() == 1 || CompareNoCase(last, b.greatest) > 0)
        b.greatest = last;
    for (std::size_t j = at.block;
         j < m_prefixGreatest.size() && CompareNoCase(m_prefixGreatest[j], last) < 0; ++j)
        m_prefixGreatest[j] = last;
    if (b.ordered) {
        if (at.offset > 0 &&
            CompareNoCase(b.entries[at.offset - 1].record->m_strLastName, last) > 0)
            b.ordered = false;
        if (at.offset + 1 < b.entries.size() &&
            CompareNoCase(last, b.entries[at.offset + 1].record->m_strLastName) > 0)
            b.ordered = false;
    }

    // Keep the namesakes in list order: the first one is what a walk from the head meets.
    auto& same = m_pairs[PairKey(*raw)];
    const auto before = [this, at](const CContactRecord* r) {
        const Place p = PlaceOf(r);
        return p.block < at.block || (p.block == at.block && p.offset < at.offset);
    };
    same.insert(std::partition_point(same.begin(), same.end(), before), raw);

    const std::size_t position = PositionOf(at);
    if (b.entries.size() > 2 * m_blockSize) {
        auto tail = std::make_unique<Block>();
        const auto mid = b.entries.begin() + static_cast<std::ptrdiff_t>(m_blockSize);
        tail->entries.assign(mid, b.entries.end());
        b.entries.erase(mid, b.entries.end());
        for (const Entry& moved : tail->entries)
            m_blockOf[moved.record] = tail.get();
        Refresh(b);
        Refresh(*tail);
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(at.block) + 1,
                        std::move(tail));
        m_prefixGreatest.insert(
            m_prefixGreatest.begin() + static_cast<std::ptrdiff_t>(at.block) + 1, std::string());
        SetPrefixGreatest(at.block);
        SetPrefixGreatest(at.block + 1);
    }
    return position;
}

void CRecordFiler::Flush() noexcept {
    if (m_pending.empty())
        return;
    // Merge from the back, in place: an old record never moves towards the head, and the
    // capacity was reserved by File, so nothing here can fail.
    m_list.resize(m_count);
    std::size_t w = m_count;
    for (auto bi = m_blocks.size(); bi-- > 0;) {
        auto& entries = m_blocks[bi]->entries;
        for (auto ei = entries.size(); ei-- > 0;) {
            Entry& e = entries[ei];
            --w;
            if (e.pending)
                m_list[w] = std::move(m_pending[e.source]);
            else if (e.source != w)
                m_list[w] = std::move(m_list[e.source]);
            e.source = w;
            e.pending = false;
        }
    }
    m_pending.clear();
}
