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
// And the account the book syncs with (never its password): sync settings belong to a
// book, so opening another book never syncs it with this one's address book.
#include "port/FileErrors.h"
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class IFileSystem;

struct SyncEntry {
    std::string href;
    std::string etag;
    std::string card;              // the server's card as last read or written
    std::uint64_t fingerprint = 0; // the record's fingerprint when it matched the card
};

// Where a book syncs: what the user chose for it in the window.
struct SyncAccount {
    std::string server; // the server's address as entered
    std::string user;
    std::string addressBook;        // the chosen address book's URL
    std::string addressBookName;    // its name on the server, for messages
    int intervalMinutes = 0;        // 0: no automatic sync
    std::string trustedCertificate; // SHA-256 fingerprint of a server certificate the user trusts

    bool Empty() const { return server.empty() && user.empty() && addressBook.empty(); }
};

class CSyncState {
public:
    static std::string SidecarPath(const std::string& dataPath) { return dataPath + ".sync"; }

    std::string m_strBookUrl; // the address book the entries belong to
    std::string m_strToken;   // the server's sync token after the last complete sync
    std::uint64_t m_nBookFingerprint = 0;
    std::map<std::string, SyncEntry> m_entries; // by record UID
    SyncAccount m_account;

    bool Empty() const { return m_strBookUrl.empty() && m_entries.empty(); }
    // Forgets what the server's address book held; the account stays the book's.
    void Clear() {
        SyncAccount account = std::move(m_account);
        *this = CSyncState();
        m_account = std::move(account);
    }
    // Whether the book has synced with the address book at url (then it holds its cards).
    bool HasSyncedWith(const std::string& url) const;

    // User names and passwords inside addresses are never written.
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
