#pragma once
#include "model/CRecordList.h"
#include "model/ProbeIndex.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Files many records in a row into one list (import) with exactly the results of
// FileRecord (the same place, the same free twin number), in logarithmic time a record.
//
// The filer keeps the list's order in a balanced tree (a treap by position) whose nodes
// know the greatest last name below them, so the first greater name is found by one
// descent, whatever the order of the list; a table of every last/first name pair gives
// the first namesake, and its position comes from the tree. Records filed through it
// are written back into the list by Flush (and by the destructor); until then the list
// keeps exactly the records it had. Nothing else may change the list while a filer is
// alive.
class CRecordFiler {
public:
    explicit CRecordFiler(CRecordList& records);
    ~CRecordFiler();
    CRecordFiler(const CRecordFiler&) = delete;
    CRecordFiler& operator=(const CRecordFiler&) = delete;

    // Files the record as FileRecord would; returns its position in the list as it will
    // be after the write-back.
    std::size_t File(std::unique_ptr<CContactRecord> record);
    // The same, for a record announced by Expecting and not changed since: the table slot
    // of its name has been on its way into the cache meanwhile.
    struct Announced {
        std::uint64_t hash;
    };
    Announced Expecting(const CContactRecord& record) const;
    std::size_t File(std::unique_ptr<CContactRecord> record, Announced announced);
    // Makes room for more records to be filed, so that nothing need grow on the way.
    void Reserve(std::size_t more);
    // Puts every filed record into the list, in filing order.
    void Flush() noexcept;
    // Records in the list plus those waiting for the write-back.
    std::size_t GetCount() const { return m_nodes.size(); }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr std::size_t kKeyBytes = 16;
    // A last name as the descents compare it: its first kKeyBytes folded bytes as two
    // keys, which decide nearly every comparison, and the name itself for the rest.
    struct Name {
        std::uint64_t high, low;
        std::size_t size;
        const CRecordText* text;
    };
    // One cache line: the descents read a node's keys and links at every step.
    struct alignas(64) Node {
        // The keys of the record's last name (see Name). The names do not change while
        // the filer lives.
        std::uint64_t high, low;
        // The keys of the greatest last name in this subtree, so that the descents need
        // not look at its node.
        std::uint64_t mostHigh, mostLow;
        std::uint32_t left = kNone, right = kNone, parent = kNone;
        std::uint32_t size = 1;
        std::uint32_t priority;
        std::uint32_t greatest; // the node of the greatest last name in this subtree
        std::uint32_t source;   // index into the list, or into m_pending when pending
        std::uint8_t lastSize;  // at most kKeyBytes + 1: only whether it exceeds the keys counts
        std::uint8_t mostSize;
        bool pending;
    };
    static_assert(sizeof(Node) == 64);
    // Where the run of a name's numbered twins was seen to end: the node of "last #k".
    struct Run {
        std::uint32_t end;
        int k;
    };

    static std::uint64_t PairHash(std::string_view last, std::string_view first);
    // The first node of the folded pair, or kNone.
    std::uint32_t FindPair(std::string_view last, std::string_view first, std::uint64_t hash) const;
    // Makes node n the first of its pair, which has none yet.
    void AddPair(std::uint32_t n, std::uint64_t hash);
    void Add(CContactRecord* record, std::size_t source, bool pending);
    // dup: the first record of the record's name pair, or kNone. greatest: set when no
    // name in the list is greater than the record's.
    std::size_t PlaceFor(const CContactRecord& record, std::uint32_t dup, bool& greatest);
    bool IsTaken(std::string_view last, std::string_view first) const;
    // The smallest free "last #k" of a taken name whose pair's first node is dup.
    std::string FreeName(std::string_view last, std::string_view first, std::uint32_t dup);
    // The first node whose last name is greater than name, and its position; kNone and
    // the count when there is none.
    std::uint32_t FirstGreater(const Name& name, std::size_t& position) const;
    std::size_t PositionOf(std::uint32_t n) const;
    std::uint32_t NextOf(std::uint32_t n) const;
    std::uint32_t PreviousOf(std::uint32_t n) const;
    std::uint32_t Size(std::uint32_t n) const { return n == kNone ? 0 : m_nodes[n].size; }
    static Name NameOf(const CRecordText& last);
    Name NameOfNode(std::uint32_t n) const;
    // The record of node n.
    const CContactRecord& RecordOf(std::uint32_t n) const {
        const Node& node = m_nodes[n];
        return node.pending ? *m_pending[node.source] : *m_list[node.source];
    }
    // CompareNoCase of node of's last name, keyed as NameOf keys it, with name.
    int CompareKeyed(std::uint64_t high, std::uint64_t low, std::size_t size, std::uint32_t of,
                     const Name& name) const {
        // Keys that differ order as the names do: the names differ within those bytes, or
        // one ends there and the other goes on with a byte that is not zero. Equal keys of
        // names no longer than the keys mean that the shorter name is the other's beginning.
        if (high != name.high)
            return high < name.high ? -1 : 1;
        if (low != name.low)
            return low < name.low ? -1 : 1;
        if (size <= kKeyBytes && name.size <= kKeyBytes)
            return size == name.size ? 0 : (size < name.size ? -1 : 1);
        return CompareNames(of, name);
    }
    int CompareNames(std::uint32_t n, const Name& name) const;
    // CompareNoCase of node n's last name with name.
    int CompareLast(std::uint32_t n, const Name& name) const;
    // CompareNoCase of the greatest last name below node n with name.
    int CompareMost(std::uint32_t n, const Name& name) const;
    // Whether the greatest last name below node a is greater than that below node b.
    bool MostIsGreater(std::uint32_t a, std::uint32_t b) const;
    // Makes node n's greatest that of node from.
    void TakeMost(std::uint32_t n, std::uint32_t from);
    void Pull(std::uint32_t n);
    void Split(std::uint32_t t, std::uint32_t count, std::uint32_t& a, std::uint32_t& b);
    std::uint32_t Merge(std::uint32_t a, std::uint32_t b);
    // greatest: no name in the tree is greater than node n's.
    void InsertAt(std::uint32_t n, std::size_t position, bool greatest);

    CRecordList& m_list;
    std::vector<Node> m_nodes;
    std::uint32_t m_root = kNone;
    std::uint64_t m_random = 0x9E3779B97F4A7C15ull;
    std::vector<std::unique_ptr<CContactRecord>> m_pending;
    // The first node (in list order) of every folded last/first name pair, by the pair's
    // hash; a node found is checked against the names.
    CProbeIndex m_pairs;
    // Where the search for a free twin number of a pair goes on, by the pair's first node
    // (which stays its first: names are only added while the filer lives).
    std::unordered_map<std::uint32_t, int> m_nextFree;
    std::unordered_map<std::uint32_t, Run> m_runs;
};
