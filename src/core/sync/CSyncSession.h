#pragma once
// One sync of a book with one address book, without the network: the engine hands it
// what the server said and sends what it asks for; it changes the book and the sync state
// by the rules of SyncRules.h.
//
//   CSyncSession s(doc, bookUrl, bookPath);         // reads the state file
//   s.ServerListing(all) or s.ServerDelta(changed, removed);
//   fetch s.HrefsToFetch(), then s.Fetched(card) for each;
//   s.PlannedRemovals().Mass(): ask before going on, or stop with nothing changed;
//   auto out = s.ApplyHere();                       // the book changes here, saved
//   for each op in out: send it, then s.Sent(op, etag) / s.Refused(op, current card),
//                       and send again what Refused gives back
//   s.Finish(newToken);                             // token and state saved
//
// Every change to the book is filed by the filing rule; the book and then the state are
// saved at each Checkpoint, so a sync stopped at any point and run again converges.
#include "model/CContactRecord.h"
#include "sync/CSyncState.h"
#include "sync/SyncRules.h"
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CKinbookDoc;
struct VCard;

struct ServerCard {
    std::string href;
    std::string etag;
    std::string data;
};

struct SyncCounts {
    int addedHere = 0;
    int changedHere = 0;
    int removedHere = 0;
    int sentToServer = 0;
    int conflicts = 0;
    std::string keptCopy; // where the book as it was is kept, when records were removed here
    int ignoredCards = 0; // cards the server named outside the address book, left alone
};

struct OutgoingChange {
    enum Kind { Put, PutNew, Delete } kind = Put;
    std::string uid;
    std::string href;
    std::string etag;              // If-Match for Put and Delete
    std::string data;              // the card for Put and PutNew
    std::uint64_t fingerprint = 0; // the record's when the card was made from it
    bool retried = false;          // sent again after a refusal: never a third time
};

class CSyncSession {
public:
    // bookUrl names the address book in the state; bookPath is its path on the server
    // ("/alice/contacts/"), under which new cards are put.
    CSyncSession(CKinbookDoc& doc, std::string bookUrl, std::string bookPath);
    ~CSyncSession();

    // False when the state file is damaged: the sync then starts afresh as a first sync.
    bool StateWasReadable() const { return m_stateReadable; }
    const std::string& Token() const { return m_state.m_strToken; }
    bool IsFirstSync() const { return m_state.m_entries.empty() && m_state.m_strToken.empty(); }

    // Every card on the server with its ETag.
    void ServerListing(const std::map<std::string, std::string>& hrefToEtag);
    // The changes since Token().
    void ServerDelta(const std::map<std::string, std::string>& changed,
                     const std::vector<std::string>& removed);
    std::vector<std::string> HrefsToFetch() const;
    void Fetched(const ServerCard& card);

    // What ApplyHere and the changes it returns would remove on each side.
    kb::sync::Removals PlannedRemovals();

    // Decides and makes every change here; returns what must go to the server. Before it
    // removes a record here it keeps the book as it was in BeforeSyncPath (one copy,
    // replaced by the next such sync). False (through ok) when the book or that copy could
    // not be saved; nothing was removed then.
    std::vector<OutgoingChange> ApplyHere(bool& ok);
    static std::string BeforeSyncPath(const std::string& dataPath) {
        return dataPath + ".before-sync";
    }

    // The server took the change; etag may be empty when it did not say.
    void Sent(const OutgoingChange& change, const std::string& newEtag);
    // The server refused a conditional change (412): current is the card it holds now,
    // or nothing when the card is gone. The book keeps both versions where both changed.
    // A card that only got a new ETag gives back the change to send again, once.
    std::optional<OutgoingChange> Refused(const OutgoingChange& change,
                                          const std::optional<ServerCard>& current);

    // Saves the book (when it changed) and the state. False when the book could not be
    // saved (the doc has said why).
    bool Checkpoint();
    // The sync is complete: remembers the token and saves.
    bool Finish(const std::string& token);

    const SyncCounts& Counts() const { return m_counts; }
    // Why the last save of this session failed ("the disk is full"), when the session
    // wrote the file itself; empty when the book's own save failed (it has said why).
    const std::string& SaveProblem() const { return m_saveProblem; }

private:
    struct Fetch;
    CContactRecord* RecordOf(const std::string& uid);
    std::unique_ptr<CContactRecord> TakeOut(CContactRecord* record);
    CContactRecord* FileIn(std::unique_ptr<CContactRecord> record);
    // Whether a record read from a card is to be filed, or only compared with a record: a
    // comparison never adds a category (the record's category is then
    // CategoryRule::kNotYetACategory where filing would make one).
    enum class CardUse { File, Compare };
    bool RecordFromCard(const std::string& data, CContactRecord& out, std::string& uid,
                        CardUse use = CardUse::File);
    CContactRecord* AddFromCard(const ServerCard& card);
    void PullInto(CContactRecord* record, const std::string& uid, const ServerCard& card);
    void KeepConflictCopy(const CContactRecord& local, std::vector<OutgoingChange>* out);
    OutgoingChange MakePut(const CContactRecord& record, const std::string& uid,
                           const SyncEntry* previous);
    std::string NewHref(const std::string& uid) const;
    const ServerCard* ChangedCard(const SyncEntry& entry) const;
    kb::sync::Side HereSide(const CContactRecord* record, const SyncEntry& entry) const;
    kb::sync::Side ThereSide(const SyncEntry& entry, const ServerCard* changed) const;
    bool KeepBookBeforeRemoving();
    std::uint64_t BookPrint();

    CKinbookDoc& m_doc;
    CSyncState m_state;
    std::string m_bookUrl;
    std::string m_bookPath;
    bool m_stateReadable = true;
    bool m_dirty = false;
    // What the server holds now, by href: its ETag, and whether it changed since the state.
    std::map<std::string, std::string> m_serverEtags;
    std::map<std::string, bool> m_serverChanged;
    std::set<std::string> m_removed;
    bool m_fullListing = false;
    std::map<std::string, ServerCard> m_fetched;
    SyncCounts m_counts;
    std::string m_saveProblem;
};
