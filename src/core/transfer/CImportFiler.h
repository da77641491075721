#pragma once
#include "edit/CRecordFiler.h"
#include "model/CRecordList.h"
#include "model/ProbeIndex.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CCategoryList;
class IProgress;
struct ImportOptions;
struct ImportResult;

// Files the records of one import, whatever the format read: the filing rule, the category
// a file names (created when the options allow), the default category, the lines the book
// already holds, and the progress bar with its Cancel.
//
// How to use it:
//   CImportFiler filer(options, records, categories, progress, recordCount);
//   record->m_nCategory = filer.CategoryFor(namesInTheFile); // or DefaultCategory()
//   filer.File(std::move(record));   // null when the book held it already
//   if (!filer.Step()) ...            // Cancel was pressed: stop reading
//   filer.Flush();                    // the filed records go into the list
class CImportFiler {
public:
    CImportFiler(const ImportOptions& options, CRecordList& records, CCategoryList& categories,
                 IProgress& progress, int recordCount);
    // Files the record FileNext kept, if any: a record read is never dropped.
    ~CImportFiler();
    CImportFiler(const CImportFiler&) = delete;
    CImportFiler& operator=(const CImportFiler&) = delete;

    // The category for names a file gives a record, best first: "Unfiled" files it there;
    // the first that is a category or may be created, skipping system groups ("* starred",
    // "System Group: ..."), reserved names and names too long for a category; none of
    // them: the default category.
    std::uint16_t CategoryFor(const std::vector<std::string_view>& names);
    // Makes room for about this many more records (a guess is fine).
    void Expect(std::size_t records);
    // Where a record whose file names no category goes; empty: the record's own.
    std::optional<std::uint16_t> DefaultCategory() const { return m_nDefaultCategory; }

    // Files the record, or counts it when the book holds one with exactly its values (the
    // category included) and the options skip those. The filed record, or null.
    const CContactRecord* File(std::unique_ptr<CContactRecord> record);
    // The same, one record behind: files the record handed to the call before and keeps
    // this one, whose places in the tables are fetched into the cache meanwhile. Flush and
    // FinishInto file the one kept. For callers that need not know what became of each.
    void FileNext(std::unique_ptr<CContactRecord> record);
    // One record of the file done (filed, skipped or unreadable): moves the bar on. False
    // once Cancel was pressed.
    bool Step();
    // Puts the records filed so far into the list.
    void Flush();
    // Flushes, and gives result the counts of the import so far.
    void FinishInto(ImportResult& result);

    int imported = 0;
    int duplicates = 0; // records skipped because the book already held them
    int categoriesCreated = 0;
    bool cancelled = false;

private:
    // A record on its way to be filed, with what its lookups need.
    struct Coming {
        std::unique_ptr<CContactRecord> record;
        std::uint64_t hash = 0; // RecordHash, when duplicates are skipped
        CRecordFiler::Announced announced{};
    };
    Coming Announce(std::unique_ptr<CContactRecord> record) const;
    const CContactRecord* File(Coming coming);
    // Files the record FileNext kept, if any.
    void FileKept();

    const ImportOptions& m_options;
    CRecordFiler m_filer; // writes the filed records back into the list when it goes
    CCategoryList& m_categories;
    IProgress& m_progress;
    float m_step;
    float m_accumulator = 0.0f;
    std::optional<std::uint16_t> m_nDefaultCategory;

    // The records the book holds and those filed so far, by a hash of their values: m_seen
    // gives their indexes in m_seenRecords. Records stay where they are while the filer
    // and the list move their pointers. The filer may give a record a twin number; it only
    // ever appends it, so the name a record came with is the first lastLength bytes of its
    // last name.
    struct SeenRecord {
        const CContactRecord* record;
        std::size_t lastLength;
    };
    void Remember(const CContactRecord& r, std::uint64_t hash, std::size_t lastLength);
    bool Known(const CContactRecord& r, std::uint64_t hash) const;
    CProbeIndex m_seen;
    std::vector<SeenRecord> m_seenRecords;
    Coming m_next; // kept by FileNext
};
