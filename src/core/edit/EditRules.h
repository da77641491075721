#pragma once
#include "model/CRecordList.h"
#include <cstddef>
#include <cstdint>
#include <string_view>

class CCategoryFilter;

// The rules of New Contact and Edit Record that need no window.

// The category a new record starts in: the one the main list shows, or "Unfiled" while it
// shows every category ("All").
std::uint16_t NewRecordCategory(const CCategoryFilter& shown);

// After an editor's OK: files the record again when its last name changed other than in
// case (oldLastName is the name it had before), or when a changed first name made it the
// twin of another record (the filing rule then numbers it); otherwise it keeps its place.
// The record stays the same object. Returns its position, or records.size() when it is
// not in the list (nothing changes then).
std::size_t RefileEditedRecord(CRecordList& records, CContactRecord& record,
                               std::string_view oldLastName);
