#pragma once
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A record's content as one number: every stored field, and its category by name (so that
// two books that number their categories differently still agree). Two records compare
// as "the same record" when their content is the same.
std::uint64_t RecordContentHash(const CContactRecord& record, const CCategoryList& categories);

// What a book held when it was last read from or written to its data file: the content of
// each record and the category names. Enough to tell what changed since, in memory or in
// the file, without keeping a second copy of the book.
struct CBookSnapshot {
    std::vector<std::uint64_t> recordHashes; // sorted
    std::vector<std::string> categoryNames;  // in list order

    static CBookSnapshot Of(const CRecordList& records, const CCategoryList& categories);
};

struct CMergeOutcome {
    std::size_t recordsRemoved = 0;
    std::size_t recordsAdded = 0;
    std::size_t categoriesAdded = 0;
    std::size_t categoriesRemoved = 0;
    bool Changed() const {
        return recordsRemoved + recordsAdded + categoriesAdded + categoriesRemoved != 0;
    }
};

// Brings into a book what another program changed in its data file since base (the book as
// it was last read or written), keeping every change of the book's own that is not saved
// yet. file is what the data file holds now; its added records are moved out of it.
//
// Compared by content, as multisets:
// - a record the file gained is filed into the book (by the filing rule);
// - a record the file lost is removed from the book when the book still holds it
//   unchanged (a record the book itself added or edited is never taken away);
// - a category the file gained is added; one it lost is removed, its records become
//   unfiled.
// So a record the book added stays added; one it edited keeps the edit (and when the other
// program edited or deleted that record too, both versions are kept: nothing is lost); one
// it deleted stays deleted unless the other program changed it meanwhile.
CMergeOutcome MergeChangesFromFile(CRecordList& records, CCategoryList& categories,
                                   const CBookSnapshot& base, CRecordList& file,
                                   const CCategoryList& fileCategories);
