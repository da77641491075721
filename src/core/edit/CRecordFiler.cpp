#include "edit/CRecordFiler.h"
#include "model/NoCase.h"
#include <algorithm>
#include <bit>
#include <cstring>

using kb::CompareNoCase;
using kb::EqualsNoCase;

namespace {

std::string Numbered(std::string_view base, int k) {
    std::string name(base);
    name += " #";
    name += std::to_string(k);
    return name;
}

// FoldAscii on each of the eight bytes of a word at once.
std::uint64_t FoldAscii8(std::uint64_t w) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low = w & (0x7F * kOnes); // no carry can cross a byte below
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
    const std::uint64_t pastZ = low + (0x7F - 'Z') * kOnes;
    const std::uint64_t upper = atLeastA & ~pastZ & ~w & (0x80 * kOnes);
    return w | (upper >> 2); // 0x80 >> 2 is the case bit
}

std::uint64_t Mix(std::uint64_t h, std::uint64_t value) {
    h = (h ^ value) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
}

// The folded bytes of text, eight at a time; the last word is padded with zeros.
std::uint64_t MixFolded(std::uint64_t h, std::string_view text) {
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        h = Mix(h, FoldAscii8(word));
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, text.size() - i);
        h = Mix(h, FoldAscii8(word));
    }
    return h;
}

} // namespace

CRecordFiler::CRecordFiler(CRecordList& records) : m_list(records) {
    m_nodes.reserve(records.size());
    m_pairs.Reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        Add(records[i].get(), i, false);
}

void CRecordFiler::Reserve(std::size_t more) {
    const std::size_t total = m_nodes.size() + more;
    m_nodes.reserve(total);
    m_pending.reserve(m_pending.size() + more);
    m_list.reserve(total);
    m_pairs.Reserve(total);
}

CRecordFiler::~CRecordFiler() {
    Flush();
}

std::uint64_t CRecordFiler::PairHash(std::string_view last, std::string_view first) {
    // The folded bytes a word at a time; the lengths keep the names apart.
    std::uint64_t h = Mix(0xCBF29CE484222325ull, last.size() | (std::uint64_t{first.size()} << 32));
    return MixFolded(MixFolded(h, last), first);
}

std::uint32_t CRecordFiler::FindPair(std::string_view last, std::string_view first,
                                     std::uint64_t hash) const {
    return m_pairs.Find(hash, [&](std::uint32_t n) {
        const CContactRecord& r = RecordOf(n);
        return EqualsNoCase(r.m_strLastName, last) && EqualsNoCase(r.m_strFirstName, first);
    });
}

void CRecordFiler::AddPair(std::uint32_t n, std::uint64_t hash) {
    m_pairs.Insert(hash, n);
}

CRecordFiler::Name CRecordFiler::NameOf(const CRecordText& last) {
    // The first sixteen folded bytes as two words, the first byte the highest, so that keys
    // order as the names' beginnings do; a shorter name is padded with zeros.
    const std::string_view text = last; // found in the record's block once
    std::uint64_t words[2] = {0, 0};
    std::memcpy(words, text.data(), std::min<std::size_t>(text.size(), 16));
    for (std::uint64_t& word : words) {
        word = FoldAscii8(word);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
    }
    return Name{words[0], words[1], text.size(), &last};
}

int CRecordFiler::CompareNames(std::uint32_t n, const Name& name) const {
    return CompareNoCase(RecordOf(n).m_strLastName, *name.text);
}

int CRecordFiler::CompareLast(std::uint32_t n, const Name& name) const {
    const Node& node = m_nodes[n];
    return CompareKeyed(node.high, node.low, node.lastSize, n, name);
}

int CRecordFiler::CompareMost(std::uint32_t n, const Name& name) const {
    const Node& node = m_nodes[n];
    return CompareKeyed(node.mostHigh, node.mostLow, node.mostSize, node.greatest, name);
}

bool CRecordFiler::MostIsGreater(std::uint32_t a, std::uint32_t b) const {
    const Node& x = m_nodes[a];
    const Node& y = m_nodes[b];
    if (x.mostHigh != y.mostHigh)
        return x.mostHigh > y.mostHigh;
    if (x.mostLow != y.mostLow)
        return x.mostLow > y.mostLow;
    if (x.mostSize <= kKeyBytes && y.mostSize <= kKeyBytes)
        return x.mostSize > y.mostSize;
    return CompareNoCase(RecordOf(x.greatest).m_strLastName, RecordOf(y.greatest).m_strLastName) >
           0;
}

void CRecordFiler::TakeMost(std::uint32_t n, std::uint32_t from) {
    Node& t = m_nodes[n];
    const Node& source = m_nodes[from];
    t.greatest = source.greatest;
    t.mostSize = source.mostSize;
    t.mostHigh = source.mostHigh;
    t.mostLow = source.mostLow;
}

CRecordFiler::Name CRecordFiler::NameOfNode(std::uint32_t n) const {
    const Node& node = m_nodes[n];
    return Name{node.high, node.low, node.lastSize, &RecordOf(n).m_strLastName};
}

void CRecordFiler::Add(CContactRecord* record, std::size_t source, bool pending) {
    // splitmix64: priorities only need to look random to keep the tree shallow.
    std::uint64_t z = (m_random += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    const auto n = static_cast<std::uint32_t>(m_nodes.size());
    const Name name = NameOf(record->m_strLastName);
    Node node{};
    node.high = name.high;
    node.low = name.low;
    node.lastSize = static_cast<std::uint8_t>(std::min<std::size_t>(name.size, kKeyBytes + 1));
    node.pending = pending;
    node.source = static_cast<std::uint32_t>(source);
    node.priority = static_cast<std::uint32_t>(z >> 32);
    node.greatest = n;
    node.mostSize = node.lastSize;
    node.mostHigh = node.high;
    node.mostLow = node.low;
    m_nodes.push_back(node);
    if (!pending) {
        // Built in list order: each record goes at the end.
        m_root = Merge(m_root, n);
        m_nodes[m_root].parent = kNone;
        const std::uint64_t hash = PairHash(record->m_strLastName, record->m_strFirstName);
        if (FindPair(record->m_strLastName, record->m_strFirstName, hash) == kNone)
            AddPair(n, hash);
    }
}

void CRecordFiler::Pull(std::uint32_t n) {
    Node& t = m_nodes[n];
    t.size = 1 + Size(t.left) + Size(t.right);
    t.greatest = n;
    t.mostSize = t.lastSize;
    t.mostHigh = t.high;
    t.mostLow = t.low;
    for (const std::uint32_t child : {t.left, t.right}) {
        if (child == kNone)
            continue;
        m_nodes[child].parent = n;
        if (MostIsGreater(child, n))
            TakeMost(n, child);
    }
}

void CRecordFiler::Split(std::uint32_t t, std::uint32_t count, std::uint32_t& a, std::uint32_t& b) {
    // a: the first count nodes of t, b: the rest.
    if (t == kNone) {
        a = b = kNone;
        return;
    }
    if (Size(m_nodes[t].left) < count) {
        std::uint32_t rest = kNone;
        Split(m_nodes[t].right, count - Size(m_nodes[t].left) - 1, rest, b);
        m_nodes[t].right = rest;
        Pull(t);
        a = t;
    } else {
        std::uint32_t front = kNone;
        Split(m_nodes[t].left, count, a, front);
        m_nodes[t].left = front;
        Pull(t);
        b = t;
    }
}

std::uint32_t CRecordFiler::Merge(std::uint32_t a, std::uint32_t b) {
    if (a == kNone)
        return b;
    if (b == kNone)
        return a;
    if (m_nodes[a].priority > m_nodes[b].priority) {
        m_nodes[a].right = Merge(m_nodes[a].right, b);
        Pull(a);
        return a;
    }
    m_nodes[b].left = Merge(a, m_nodes[b].left);
    Pull(b);
    return b;
}

void CRecordFiler::InsertAt(std::uint32_t n, std::size_t position, bool greatest) {
    // Down to where the new node's priority puts it, counting it into every subtree it
    // joins; that subtree is then split around it.
    auto pos = static_cast<std::uint32_t>(position);
    std::uint32_t parent = kNone;
    std::uint32_t* link = &m_root;
    const Name name = NameOfNode(n);
    while (*link != kNone && m_nodes[*link].priority > m_nodes[n].priority) {
        Node& t = m_nodes[*link];
        ++t.size;
        // Records that come in order (an exported book) each hold the greatest name.
        if (greatest || CompareMost(*link, name) < 0)
            TakeMost(*link, n);
        parent = *link;
        const std::uint32_t leftSize = Size(t.left);
        if (pos <= leftSize) {
            link = &t.left;
        } else {
            pos -= leftSize + 1;
            link = &t.right;
        }
    }
    std::uint32_t a = kNone, b = kNone;
    Split(*link, pos, a, b);
    m_nodes[n].left = a;
    m_nodes[n].right = b;
    Pull(n);
    m_nodes[n].parent = parent;
    *link = n;
}

std::size_t CRecordFiler::PositionOf(std::uint32_t n) const {
    std::size_t pos = Size(m_nodes[n].left);
    for (std::uint32_t p = m_nodes[n].parent; p != kNone; n = p, p = m_nodes[p].parent) {
        if (m_nodes[p].right == n)
            pos += Size(m_nodes[p].left) + 1;
    }
    return pos;
}

std::uint32_t CRecordFiler::NextOf(std::uint32_t n) const {
    if (m_nodes[n].right != kNone) {
        n = m_nodes[n].right;
        while (m_nodes[n].left != kNone)
            n = m_nodes[n].left;
        return n;
    }
    std::uint32_t p = m_nodes[n].parent;
    while (p != kNone && m_nodes[p].right == n) {
        n = p;
        p = m_nodes[p].parent;
    }
    return p;
}

std::uint32_t CRecordFiler::PreviousOf(std::uint32_t n) const {
    if (m_nodes[n].left != kNone) {
        n = m_nodes[n].left;
        while (m_nodes[n].right != kNone)
            n = m_nodes[n].right;
        return n;
    }
    std::uint32_t p = m_nodes[n].parent;
    while (p != kNone && m_nodes[p].left == n) {
        n = p;
        p = m_nodes[p].parent;
    }
    return p;
}

std::uint32_t CRecordFiler::FirstGreater(const Name& name, std::size_t& position) const {
    // The leftmost node whose last name is greater: go left while the left subtree
    // holds one, else take the node itself, else go right, counting the nodes passed.
    std::uint32_t t = m_root;
    position = m_nodes.size();
    if (t == kNone || CompareMost(t, name) <= 0)
        return kNone;
    std::size_t before = 0;
    for (;;) {
        const Node& node = m_nodes[t];
        if (node.left != kNone && CompareMost(node.left, name) > 0) {
            t = node.left;
        } else if (CompareLast(t, name) > 0) {
            position = before + Size(node.left);
            return t;
        } else {
            before += Size(node.left) + 1;
            t = node.right; // the subtree's greatest is there
        }
    }
}

std::size_t CRecordFiler::File(std::unique_ptr<CContactRecord> record) {
    const Announced announced{PairHash(record->m_strLastName, record->m_strFirstName)};
    return File(std::move(record), announced);
}

CRecordFiler::Announced CRecordFiler::Expecting(const CContactRecord& record) const {
    const std::uint64_t hash = PairHash(record.m_strLastName, record.m_strFirstName);
    m_pairs.Prefetch(hash);
    return Announced{hash};
}

std::size_t CRecordFiler::File(std::unique_ptr<CContactRecord> record, Announced announced) {
    // Room for the write-back is taken now, so that Flush never needs memory.
    const std::size_t count = m_nodes.size();
    if (m_list.capacity() < count + 1)
        m_list.reserve(std::max(count + 1, 2 * m_list.capacity()));

    const std::uint64_t hash = announced.hash;
    const std::uint32_t dup = FindPair(record->m_strLastName, record->m_strFirstName, hash);
    const bool taken = dup != kNone;
    bool greatest = false;
    const std::size_t at = PlaceFor(*record, dup, greatest);
    if (taken)
        record->m_strLastName = FreeName(record->m_strLastName, record->m_strFirstName, dup);
    CContactRecord* raw = record.get();
    m_pending.push_back(std::move(record));
    Add(raw, m_pending.size() - 1, true);
    const auto n = static_cast<std::uint32_t>(m_nodes.size() - 1);
    InsertAt(n, at, greatest);
    // The filed name is free, so this is the first record of its pair.
    AddPair(n, taken ? PairHash(raw->m_strLastName, raw->m_strFirstName) : hash);
    return at;
}

std::size_t CRecordFiler::PlaceFor(const CContactRecord& record, std::uint32_t dup,
                                   bool& greatest) {
    const CRecordText& last = record.m_strLastName;
    const CRecordText& first = record.m_strFirstName;
    std::size_t greaterAt = 0;
    const std::uint32_t greater = FirstGreater(NameOf(last), greaterAt);
    // No name is greater: the filed name (a twin's, numbered, too) is the greatest.
    greatest = greater == kNone;
    if (dup == kNone)
        return greaterAt;
    const std::size_t dupAt = PositionOf(dup);
    if (greaterAt < dupAt)
        return greaterAt;

    // A namesake: the place is behind the run of its numbered twins. The walk goes on
    // from where it ended last time when nothing has been filed inside the run since.
    std::uint32_t e = dup;
    int k = 1;
    const auto run = m_runs.find(dup);
    if (run != m_runs.end() && PositionOf(run->second.end) == dupAt + std::size_t(run->second.k)) {
        e = run->second.end;
        k = run->second.k + 1;
    }
    std::size_t at = 0;
    for (;; ++k) {
        const std::uint32_t next = NextOf(e);
        if (next == kNone) {
            at = m_nodes.size();
            break;
        }
        const CContactRecord& r = RecordOf(next);
        if (!EqualsNoCase(r.m_strLastName, Numbered(last, k)) ||
            !EqualsNoCase(r.m_strFirstName, first)) {
            at = PositionOf(next);
            break;
        }
        e = next;
    }
    if (k > 1)
        m_runs[dup] = Run{e, k - 1};
    return at;
}

bool CRecordFiler::IsTaken(std::string_view last, std::string_view first) const {
    return FindPair(last, first, PairHash(last, first)) != kNone;
}

std::string CRecordFiler::FreeName(std::string_view last, std::string_view first,
                                   std::uint32_t dup) {
    // Names are only ever added while the filer lives, so the smallest free number of a
    // name never goes down: the search goes on where it last stopped.
    int& k = m_nextFree.try_emplace(dup, 1).first->second;
    std::string name = Numbered(last, k);
    while (IsTaken(name, first))
        name = Numbered(last, ++k);
    // The record is filed under this name at once, so the next twin's search starts past it.
    ++k;
    return name;
}

void CRecordFiler::Flush() noexcept {
    if (m_pending.empty())
        return;
    // Merge from the back, in place: an old record never moves towards the head, and the
    // capacity was reserved by File, so nothing here can fail.
    m_list.resize(m_nodes.size());
    std::size_t w = m_nodes.size();
    std::uint32_t n = m_root;
    while (n != kNone && m_nodes[n].right != kNone)
        n = m_nodes[n].right;
    for (; n != kNone; n = PreviousOf(n)) {
        Node& node = m_nodes[n];
        --w;
        if (node.pending)
            m_list[w] = std::move(m_pending[node.source]);
        else if (node.source != w)
            m_list[w] = std::move(m_list[node.source]);
        node.source = static_cast<std::uint32_t>(w);
        node.pending = false;
    }
    m_pending.clear();
}
