#pragma once
#include "model/CRecordList.h"
#include <cstddef>
#include <memory>
#include <string>

// Files a record that is not yet in the list at its alphabetical place: before the first
// greater last name (ignoring case), or behind a namesake met on the way and the run of
// its numbered twins. A filed record never shares its last and first name (ignoring case)
// with a record already in the list: when the name is taken, "%s #%d" is appended to the
// last name with the smallest number that is still free. Returns the position the record
// now has; the list owns it.
//
// This walks the list from the head, which is right for one record at a time (New, Edit).
// To file many records in a row (import), use CRecordFiler: same results, far faster.
std::size_t FileRecord(CRecordList& records, std::unique_ptr<CContactRecord> record);

// The last name a record named last, first gets when filed into the list: last itself
// when no record has that name, else "last #k" for the smallest free k >= 1.
std::string FreeTwinName(const CRecordList& records, const std::string& last,
                         const std::string& first);

// True when another record of the list has the same last and first name (ignoring case).
bool HasTwin(const CRecordList& records, const CContactRecord& record);
