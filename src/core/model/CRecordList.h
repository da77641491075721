#pragma once
#include "model/CContactRecord.h"
#include "model/FetchLine.h"
#include <memory>
#include <vector>

// The document's records in filing order. The list owns its records; everyone
// else refers to them by pointer, which stays valid while the record is in the list.
using CRecordList = std::vector<std::unique_ptr<CContactRecord>>;

class CArchive;

// For a pass over the list in order that is at record i: starts fetching the records it
// reaches soon (they lie anywhere in memory), the record itself further on and its text
// nearer.
inline void FetchAhead(const CRecordList& records, std::size_t i) {
    if (i + 8 < records.size())
        FetchLine(records[i + 8].get());
    if (i + 4 < records.size())
        FetchLine(records[i + 4]->TextAddress());
}

// Writes the records in list order, or reads them, appending each record as soon as it
// is complete (a fault leaves the records read before it in the list).
void SerializeRecords(CArchive& ar, CRecordList& records);
