#pragma once
#include "model/CRecordList.h"
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Files many records in a row into one list (import) with exactly the results of
// FileRecord (the same place, the same free twin number), without walking the whole list
// for every record.
//
// The filer indexes the list in blocks that know their greatest last name (and the
// greatest of all blocks up to them) and whether they are in order, plus a table of every
// last/first name pair, so the first greater name and the first namesake are found without a walk
// from the head. Records filed through it are written back into the list by Flush (and by the
// destructor); until then the list keeps exactly the records it had. Nothing else may change the
// list while a filer is alive.
class CRecordFiler {
public:
    explicit CRecordFiler(CRecordList& records, std::size_t blockSize = 32);
    ~CRecordFiler();
    CRecordFiler(const CRecordFiler&) = delete;
    CRecordFiler& operator=(const CRecordFiler&) = delete;

    // Files the record as FileRecord would; returns its position in the list as it will
    // be after the write-back.
    std::size_t File(std::unique_ptr<CContactRecord> record);
    // Puts every filed record into the list, in filing order.
    void Flush() noexcept;
    // Records in the list plus those waiting for the write-back.
    std::size_t GetCount() const { return m_count; }

private:
    struct Entry {
        CContactRecord* record;
        std::size_t source; // index into the list, or into m_pending when pending
        bool pending;
    };
    struct Block {
        std::vector<Entry> entries;
        std::string greatest; // greatest last name in the block (a copy: no pointer to chase)
        bool ordered = true;  // last names ascending (ignoring case) within the block
    };
    struct Place {
        std::size_t block;
        std::size_t offset;
    };

    void Build();
    static std::string PairKey(const std::string& last, const std::string& first);
    static std::string PairKey(const CContactRecord& r);
    Place PlaceFor(const CContactRecord& record) const;
    bool IsTaken(const std::string& last, const std::string& first) const;
    std::string FreeName(const std::string& last, const std::string& first);
    std::size_t BlockOf(const CContactRecord* r) const;
    Place PlaceOf(const CContactRecord* r) const;
    std::size_t PositionOf(Place p) const;
    bool Next(Place& p) const;
    bool FindFirstGreater(const std::string& last, Place& out) const;
    std::size_t Insert(Place at, std::unique_ptr<CContactRecord> record);
    static void Refresh(Block& b);
    void SetPrefixGreatest(std::size_t blockIndex);

    CRecordList& m_list;
    std::size_t m_blockSize;
    std::size_t m_count = 0;
    std::vector<std::unique_ptr<Block>> m_blocks;
    std::vector<std::unique_ptr<CContactRecord>> m_pending;
    // The greatest last name in blocks 0 to i, for every block i.
    std::vector<std::string> m_prefixGreatest;
    // Which block holds a record, and every record of a folded "last\0first" pair in
    // list order.
    std::unordered_map<const CContactRecord*, Block*> m_blockOf;
    std::unordered_map<std::string, std::vector<const CContactRecord*>> m_pairs;
    // Where the search for a free twin number of a "last\0first" pair goes on.
    std::unordered_map<std::string, int> m_nextFree;
};
