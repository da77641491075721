#pragma once
#include "model/CRecordList.h"
#include <cstddef>
#include <memory>

// Files a record that is not yet in the list at its alphabetical place: before the first
// greater last name (ignoring case), behind its namesakes; a record whose last and first
// name equal an existing record's gets "%s #%d" appended to its last name. Returns the
// position the record now has; the list owns it.
//
// This walks the list from the head, which is right for one record at a time (New, Edit).
// To file many records in a row (import), use CRecordFiler: same results, far faster.
std::size_t FileRecord(CRecordList& records, std::unique_ptr<CContactRecord> record);
