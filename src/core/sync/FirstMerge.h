#pragma once
// A book that has never synced with an address book holds none of its cards: a first sync
// merges two sets of strangers into each other. That is asked about first, naming both
// sides, unless one of them is empty (then it is a plain copy).
#include "sync/CSyncState.h"
#include <cstddef>
#include <string>

namespace kb::sync {

// The question to ask before syncing the book (its state, here records) with the address
// book at url (there cards); empty when no question is needed.
std::string FirstMergeQuestion(const CSyncState& state, const std::string& url, std::size_t here,
                               std::size_t there, const std::string& bookName,
                               const std::string& host);

} // namespace kb::sync
