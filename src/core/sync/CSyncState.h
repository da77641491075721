#pragma once
// What a book remembers of its address book server between syncs, kept beside the data
// file in "<data file>.sync" (the data file format itself never changes).
//
// Per record UID: the card's place on the server (href), the ETag of the version we last
// saw, that card's full text (so a record sent back keeps what Kinbook has no field for),
// and the record's fingerprint when it last agreed with the server (to see local edits).
// Plus the address book it belongs to, the server's sync token, and the fingerprint of the
// whole book when the file was last written, which tells whether another program changed
// the data file meanwhile (then a missing record is not taken for a deletion).
#include "port/FileErrors.h"
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class IFileSystem;

struct SyncEntry {
    std::string href;
    std::string etag;
    std::string card;                 // the server's card as last read or written
    std::uint64_t fingerprint = 0;    // the record's fingerprint when it matched the card
};

class CSyncState {
public:
    static std::string SidecarPath(const std::string& dataPath) { return dataPath + ".sync"; }

    std::string m_strBookUrl;  // the address book the entries belong to
    std::string m_strToken;    // the server's sync token after the last complete sync
    std::uint64_t m_nBookFingerprint = 0;
    std::map<std::string, SyncEntry> m_entries; // by record UID

    bool Empty() const { return m_strBookUrl.empty() && m_entries.empty(); }
    void Clear() { *this = CSyncState(); }

    std::string Serialize() const;
    // Reads a serialized state; false (and the state empty) when the text is not one.
    bool Parse(std::string_view text);

    // Reads the sidecar of a data file. A missing file is an empty state; false when the
    // file exists but cannot be read or is damaged (the state is then empty).
    bool Load(const std::string& dataPath, IFileSystem& fs);
    // Writes the sidecar atomically (unless it holds this state already); false when it
    // could not be written (the previous file stays as it was), and why through cause.
    bool Save(const std::string& dataPath, IFileSystem& fs,
              CFileException::Cause* cause = nullptr) const;
    // After the book was saved: notes its fingerprint in an existing, readable state file.
    static void NoteBookSaved(const std::string& dataPath, std::uint64_t bookFingerprint,
                              IFileSystem& fs);
};
