#pragma once
// The extras of a book's records (see CRecordExtras), kept in "<data file>.cards" beside
// the data file: one vCard 4.0 per record that has extras, other records cost nothing.
//
//   BEGIN:VCARD
//   VERSION:4.0
//   UID:<the record's UID>
//   X-KINBOOK-PLACE:<place in the book>;<content fingerprint>;<digest of the data file>[;gone]
//   ...the record's extras, in order, as content lines...
//   END:VCARD
//
// A property keeps its group, name, parameters and value exactly. One a field holds, or one
// with a binary value, carries a last parameter X-KINBOOK-KEPT=held,binary that a load takes
// off again. A property a content line cannot carry as it is (a line break in its value, a
// name that is no vCard name) is written as X-KINBOOK-PROPERTY with its parts percent-encoded.
//
// The document writes this file before the data file and the UIDs after it, so that a save
// cut short at any moment leaves each record its own extras:
// - the data file the cards were written for (its digest agrees): each card goes to the
//   record at its place with its fingerprint, whatever the UID file holds;
// - the data file before a save that deleted records with extras: their cards, kept once
//   more and marked "gone", go back to them the same way;
// - any other data file (the save stopped before the data file was replaced, or another
//   program changed it): a card goes to the record the UID file gives its UID, else to a
//   record that has no UID from the UID file and the card's content fingerprint.
#include "model/CRecordList.h"
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CRecordExtras;
class CRecordUids;

// A digest of a data file's bytes, fed piece by piece as they are read or written.
class CBookDigest {
public:
    void Add(const char* data, std::size_t size);
    std::uint64_t Value() const;

private:
    std::uint64_t m_h = 0x6b62636172647331ull;
    std::uint64_t m_size = 0;
    unsigned char m_pending[8] = {};
    std::size_t m_nPending = 0;
};

class CExtrasSidecar {
public:
    static std::string SidecarPath(const std::string& dataPath) { return dataPath + ".cards"; }

    // Whether some record has extras.
    static bool AnyExtras(const CRecordList& records);

    // The cards of every record that has extras (each gets its UID now, when it has none);
    // book: the digest of the data file they go with; previous: the file they replace,
    // whose cards of records that are gone are kept once more. Handed to emit piece by piece.
    static void Write(const CRecordList& records, CRecordUids& uids, std::uint64_t book,
                      std::string_view previous, const std::function<void(std::string_view)>& emit);

    // What a load found.
    struct LoadOutcome {
        std::size_t cards = 0;    // cards read whole
        std::size_t attached = 0; // cards that found their record
        bool damaged = false;     // some text could not be read as cards of ours
    };
    // Gives the records the extras of text (a file Write wrote); book: the digest of the data
    // file the records were read from; uids: as read from the UID file (records that have
    // none from it take the UID of their card).
    static LoadOutcome Attach(const CRecordList& records, CRecordUids& uids, std::string_view text,
                              std::uint64_t book);
};
