#pragma once
#include "model/CContactRecord.h"
#include <memory>
#include <vector>

// The document's records in filing order. The list owns its records; everyone
// else refers to them by pointer, which stays valid while the record is in the list.
using CRecordList = std::vector<std::unique_ptr<CContactRecord>>;

class CArchive;

// Writes the records in list order, or reads them, appending each record as soon as it
// is complete (a fault leaves the records read before it in the list).
void SerializeRecords(CArchive& ar, CRecordList& records);
