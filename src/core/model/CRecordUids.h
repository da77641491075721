#pragma once
// A stable UID (a UUID) for every record, kept beside the data file in "<data file>.uids"
// so that it survives edits, reloads and restarts while the data file format stays as it is.
//
// How to use it (the document owns one: CKinbookDoc::Uids()):
//   const std::string& uid = doc.Uids().UidOf(record); // made on first use, then kept
//   doc.Uids().Set(record, cardUid);                    // an imported card keeps its own
//   const CContactRecord* r = doc.Uids().RecordOf(uid);
// The document reads the file after every load and writes it, atomically, after every save.
//
// A UID is made from the record's content as it was loaded (or, for a record made since,
// as it is the first time a UID is needed): a name-based UUID, so an unchanged record gets
// the same UID on every export even before a sidecar exists, and an edit made before the
// next save does not change it. Once made it is kept, whatever is edited. The file lists the UIDs
// in record order with a fingerprint of each record's content; a load takes the UID of the entry at
// the same place when the fingerprint agrees, else of an entry with the same fingerprint anywhere
// (records moved by another program), and a record that matches none gets a new one:
// never a guess by name.
#include "model/CRecordList.h"
#include "model/ProbeIndex.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IFileSystem;

class CRecordUids {
public:
    static std::string SidecarPath(const std::string& dataPath) { return dataPath + ".uids"; }

    CRecordUids() = default;
    CRecordUids(const CRecordUids& other);
    CRecordUids& operator=(const CRecordUids& other);
    CRecordUids(CRecordUids&&) noexcept = default;
    CRecordUids& operator=(CRecordUids&&) noexcept = default;

    // The record's UID, made now when it has none.
    const std::string& UidOf(const CContactRecord& record);
    // The record's UID, or null when it has none yet.
    const std::string* Find(const CContactRecord& record) const;
    // Gives the record this UID unless another record has it; true when it was taken.
    bool Set(const CContactRecord& record, const std::string& uid);
    const CContactRecord* RecordOf(const std::string& uid) const;
    void Forget(const CContactRecord& record);
    // True when the record has a UID, or one waiting to be made from its content as loaded.
    bool Knows(const CContactRecord& record) const { return EntryOf(record) != kNone; }
    // Forgets every record that is not in records (gone, and perhaps freed).
    void Retain(const CRecordList& records);
    // Room for n records' UIDs, for many Sets in a row.
    void Reserve(std::size_t n) {
        m_byRecord.Reserve(n);
        m_byUid.Reserve(n);
    }
    void Clear();
    bool Empty() const { return m_byRecord.Size() == 0; }

    // Re-attaches the UIDs of a sidecar text to freshly loaded records.
    void Attach(const CRecordList& records, std::string_view sidecarText);
    // The sidecar text for the records (every one gets its UID); UIDs of records that are
    // gone are dropped.
    std::string Serialize(const CRecordList& records);
    // The same text, handed to emit piece by piece.
    void Write(const CRecordList& records, const std::function<void(std::string_view)>& emit);

    // Reads "<dataPath>.uids" if there is one (a missing or unreadable file: no UIDs yet).
    void Load(const std::string& dataPath, const CRecordList& records, IFileSystem& fs);
    // Writes it atomically; false when it could not be written (the UIDs stay in memory).
    bool Save(const std::string& dataPath, const CRecordList& records, IFileSystem& fs);

    // A fingerprint of everything a record holds.
    static std::uint64_t Fingerprint(const CContactRecord& record);
    // The fingerprint of every record, in order.
    static std::vector<std::uint64_t> Fingerprints(const CRecordList& records);
    // The name-based UUID made from a content fingerprint (salt > 0 for a second try).
    static std::string DerivedUid(std::uint64_t fingerprint, int salt = 0);

private:
    static constexpr std::uint32_t kNone = CProbeIndex::kNone;
    // What is known of one record: its UID, or the content its UID will be made from.
    struct Entry {
        const CContactRecord* record = nullptr; // null: a free entry
        std::string uid;                        // empty: none made yet
        std::uint64_t loadedAs = 0;             // the content as loaded, while uid is empty
        std::uint32_t mark = 0;                 // the last Serialize that found the record
    };
    static constexpr std::size_t kChunk = 1024;

    Entry& At(std::uint32_t e) { return m_chunks[e / kChunk][e % kChunk]; }
    const Entry& At(std::uint32_t e) const { return m_chunks[e / kChunk][e % kChunk]; }
    static std::uint64_t RecordKey(const CContactRecord& record) {
        return reinterpret_cast<std::uintptr_t>(&record);
    }
    static std::uint64_t UidKey(std::string_view uid);
    std::uint32_t EntryOf(const CContactRecord& record) const {
        return m_byRecord.Find(RecordKey(record),
                               [this, &record](std::uint32_t e) { return At(e).record == &record; });
    }
    std::uint32_t EntryOfUid(std::string_view uid) const;
    std::uint32_t NewEntry(const CContactRecord& record);
    void FreeEntry(std::uint32_t e);
    // Gives the UID to entry e, which has none.
    const std::string& GiveUid(std::uint32_t e, std::string uid);
    // What the UID of a record that has none is made from; e: its entry or kNone;
    // contentNow: its fingerprint, when known.
    std::uint64_t UidSource(const CContactRecord& record, std::uint32_t e,
                            std::optional<std::uint64_t> contentNow) const;
    // Makes the UID of a record that has none; guess: the UID made from its source, when
    // already made (else empty).
    const std::string& MakeUid(const CContactRecord& record, std::uint32_t e,
                               std::optional<std::uint64_t> contentNow, std::string guess);
    // Frees the entries of records that are not in records; each record's entry, or kNone.
    std::vector<std::uint32_t> Sweep(const CRecordList& records);

    // Entries stay where they are (UidOf hands out references to their UIDs): they live
    // in chunks that never move, and a freed one is used again.
    std::vector<std::unique_ptr<Entry[]>> m_chunks;
    std::uint32_t m_nEntries = 0;
    std::vector<std::uint32_t> m_freeEntries;
    std::uint32_t m_sweep = 0;
    CProbeIndex m_byRecord; // the record's address: its entry
    CProbeIndex m_byUid;    // a hash of the UID: entries that have one
};
