#pragma once
// The rules of a sync that need no network: which records are the same person on both
// sides at a first sync, what to do with a record given what happened to it here and on
// the server since the last sync, and how a conflict copy is marked.
#include "model/CContactRecord.h"
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kb::sync {

// What happened to one record (or its card) since the last sync.
enum class Side { Unchanged, Changed, Gone };

enum class Action {
    None,        // both sides agree
    Pull,        // take the server's card into the record
    Push,        // send the record (merged into the server's last card), If-Match
    PushNew,     // the server lost the card but the record was edited here: send it again
    DeleteHere,  // the server deleted it, the record is untouched: delete the record
    DeleteThere, // deleted here, untouched on the server: DELETE If-Match
    Restore,     // deleted here but edited on the server: the edit wins, record comes back
    Conflict,    // edited on both sides: keep both
    Forget,      // deleted on both sides
};

// No edit is ever lost: an edit beats a deletion on the other side, two edits keep both.
Action Decide(Side here, Side there);

// Whether two records are the same person for pairing at a first sync: the same last and
// first name (ignoring case, compared as the user reads them) and at least one phone
// number (its digits) or e-mail address (ignoring case) in common.
bool SamePerson(const CContactRecord& a, const CContactRecord& b);

// How a phone number or e-mail address is compared: the digits of a number (empty when
// fewer than three), an address folded to lower case with "@" in front.
std::string ContactKey(const std::string& item);

// Pairs each record of `here` with at most one record of `there`, in order; indexes.
std::vector<std::pair<std::size_t, std::size_t>>
PairRecords(const std::vector<const CContactRecord*>& here,
            const std::vector<const CContactRecord*>& there);

// Marks the local copy kept in a conflict: "(conflict)" in the first empty Other Info
// line, or after the last line's text when all are taken.
void MarkConflict(CContactRecord& record);
inline constexpr const char* kConflictMark = "(conflict)";

// What a sync would remove on each side, counted before it changes anything.
struct Removals {
    int here = 0;   // records whose cards the server no longer holds
    int there = 0;  // cards of records deleted here
    int shared = 0; // records the book shared with the address book after the last sync

    // More than kMassFloor records on one side, and more than half of those shared: one
    // bad answer from a server, or a book emptied by mistake, must not empty the other
    // side unasked.
    bool Mass() const;
    // What would go, as the user is told before it goes: "This sync would remove 70 of
    // the 70 synced contacts from this book, ...".
    std::string Text() const;
};
inline constexpr int kMassFloor = 10;

// The fingerprint by which a sync sees a local edit: the record's fields and what its
// extras hold that no field does (the same as the fields' alone when they hold nothing).
std::uint64_t ContentPrint(const CContactRecord& record);

// Whether two records say the same to the user: every field, and the extras no field
// holds. The cards they keep may differ (a REV, the spelling of a property).
bool SameContent(const CContactRecord& a, const CContactRecord& b);

// Gives mine the card theirs keeps (its extras), keeping what mine alone held beside its
// fields: two records of one person met at a first sync.
void TakeCard(CContactRecord& mine, const CContactRecord& theirs);

// Whether two cards say the same, however they are folded and whatever their line ends:
// a server may give a card a new ETag without changing it.
bool SameCard(const std::string& a, const std::string& b);

// One number for a whole book from each record's UID and fingerprint, independent of the
// records' order.
std::uint64_t BookFingerprint(std::vector<std::pair<std::string, std::uint64_t>> uidsAndPrints);

} // namespace kb::sync
