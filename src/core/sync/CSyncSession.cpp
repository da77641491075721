#include "sync/CSyncSession.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordUids.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
#include "sync/SyncRules.h"
#include "transfer/CVCardReader.h"
#include "transfer/CVCardWriter.h"
#include "transfer/VCardMapping.h"
#include <algorithm>
#include <set>

using kb::sync::Action;
using kb::sync::Side;

namespace {

// The category of a card: the first of its CATEGORIES that the book has (compared as the
// user reads them) or that can be made; Unfiled when it names none.
std::uint16_t CategoryFor(CCategoryList& categories, const std::vector<std::string>& names,
                          bool& created) {
    for (const std::string& name : names) {
        for (std::size_t i = 0; i < categories.GetCount(); ++i)
            if (kb::EqualsNoCase(kb::DecodeToUtf8(categories.At(i).m_strName), name))
                return static_cast<std::uint16_t>(i);
    }
    for (const std::string& name : names) {
        if (name.empty() || kb::EqualsNoCase(name, kFilterAll) ||
            kb::EqualsNoCase(name, kFilterEditCategories) || categories.GetCount() >= 0xFFFF)
            continue;
        categories.AddTail(name);
        created = true;
        return static_cast<std::uint16_t>(categories.GetCount() - 1);
    }
    return 0;
}

// Fills what the local record leaves empty from the server's, and adds the server's phone
// numbers and e-mail addresses it lacks. False when both hold different values for the
// same field (or there is no room for an item): that is a conflict, not a merge.
bool MergeInto(CContactRecord& mine, const CContactRecord& theirs) {
    bool clash = false;
    auto field = [&](CRecordText& a, const CRecordText& b) {
        if (a.empty())
            a = b;
        else if (!b.empty() && a != b)
            clash = true;
    };
    field(mine.m_strFirstName, theirs.m_strFirstName);
    field(mine.m_strLastName, theirs.m_strLastName);
    field(mine.m_strTitle, theirs.m_strTitle);
    field(mine.m_strOtherRef, theirs.m_strOtherRef);
    field(mine.m_strAddress, theirs.m_strAddress);
    field(mine.m_strCity, theirs.m_strCity);
    field(mine.m_strState, theirs.m_strState);
    field(mine.m_strZip, theirs.m_strZip);
    field(mine.m_strCountry, theirs.m_strCountry);
    field(mine.m_strNotes, theirs.m_strNotes);
    for (int i = 0; i < CContactRecord::kOtherInfoCount; ++i)
        field(mine.m_strOtherInfo[i], theirs.m_strOtherInfo[i]);
    if (mine.m_nCategory == 0)
        mine.m_nCategory = theirs.m_nCategory;
    for (int i = 0; i < CContactRecord::kItemCount; ++i) {
        const CRecordText& item = theirs.m_strItem[i];
        if (item.empty())
            continue;
        // The same number written another way is no new number.
        const std::string key = kb::sync::ContactKey(item);
        bool present = false;
        for (const auto& m : mine.m_strItem)
            present = present || m == item || (!key.empty() && kb::sync::ContactKey(m) == key);
        if (present)
            continue;
        bool placed = false;
        for (int j = 0; j < CContactRecord::kItemCount && !placed; ++j) {
            if (mine.m_strItem[j].empty()) {
                mine.m_strItem[j] = item;
                mine.m_nItemLabel[j] = theirs.m_nItemLabel[i];
                placed = true;
            }
        }
        clash = clash || !placed;
    }
    kb::sync::TakeCard(mine, theirs);
    return !clash;
}

// Why a file beside the book could not be written, in the words of the sync's message.
std::string ReasonOf(CFileException::Cause cause) {
    switch (cause) {
    case CFileException::DiskFull:
        return "the disk is full";
    case CFileException::AccessDenied:
        return "it may not be written to";
    default:
        return "the disk could not be written";
    }
}

std::string SafeName(const std::string& uid) {
    std::string out;
    for (char c : uid)
        out += (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_') ? c : '_';
    return out.empty() ? std::string("card") : out;
}

} // namespace

CSyncSession::CSyncSession(CKinbookDoc& doc, std::string bookUrl, std::string bookPath)
    : m_doc(doc), m_bookUrl(std::move(bookUrl)), m_bookPath(std::move(bookPath)) {
    if (!m_bookPath.empty() && m_bookPath.back() != '/')
        m_bookPath += '/';
    m_stateReadable = m_state.Load(doc.GetDataPath(), doc.FileSystem());
    if (m_state.m_strBookUrl != m_bookUrl)
        m_state.Clear(); // another address book: everything is new to it
    m_state.m_strBookUrl = m_bookUrl;
    // The data file was changed by another program since the state was written: a record
    // that cannot be found again is no deletion made here. Its card is treated as new
    // (paired with a record of the same person, else added), never deleted.
    if (!m_state.m_entries.empty() && m_state.m_nBookFingerprint != BookPrint()) {
        for (auto it = m_state.m_entries.begin(); it != m_state.m_entries.end();)
            it = RecordOf(it->first) == nullptr ? m_state.m_entries.erase(it) : std::next(it);
    }
}

CSyncSession::~CSyncSession() = default;

std::uint64_t CSyncSession::BookPrint() {
    std::vector<std::pair<std::string, std::uint64_t>> prints;
    for (const auto& r : m_doc.GetRecords())
        prints.emplace_back(m_doc.Uids().UidOf(*r), CRecordUids::Fingerprint(*r));
    return kb::sync::BookFingerprint(std::move(prints));
}

CContactRecord* CSyncSession::RecordOf(const std::string& uid) {
    return const_cast<CContactRecord*>(m_doc.Uids().RecordOf(uid));
}

std::unique_ptr<CContactRecord> CSyncSession::TakeOut(CContactRecord* record) {
    auto& records = m_doc.GetRecords();
    const auto it = std::find_if(records.begin(), records.end(),
                                 [record](const auto& p) { return p.get() == record; });
    if (it == records.end())
        return nullptr;
    std::unique_ptr<CContactRecord> out = std::move(*it);
    records.erase(it);
    m_dirty = true;
    return out;
}

CContactRecord* CSyncSession::FileIn(std::unique_ptr<CContactRecord> record) {
    CContactRecord* raw = record.get();
    // The twin number a card kept is the record's again unless another has that name now.
    if (HasTwin(m_doc.GetRecords(), *record))
        DropCardTwinNumber(*record);
    FileRecord(m_doc.GetRecords(), std::move(record));
    m_dirty = true;
    return raw;
}

bool CSyncSession::RecordFromCard(const std::string& data, CContactRecord& out, std::string& uid) {
    const std::vector<VCard> cards = ParseVCards(data);
    if (cards.empty())
        return false;
    VCardRecord in = VCardToRecord(cards.front());
    bool created = false;
    in.record.m_nCategory = CategoryFor(m_doc.GetCategories(), in.categories, created);
    m_dirty = m_dirty || created;
    if (in.categories.size() > 1) {
        const std::string& filedUnder = m_doc.GetCategories().NameOf(in.record.m_nCategory);
        SetFurtherGroups(in.record, in.categories,
                         kb::EqualsNoCase(filedUnder, kUnfiled) ? std::string()
                                                                : kb::DecodeToUtf8(filedUnder));
    }
    out = std::move(in.record);
    uid = in.uid;
    return true;
}

void CSyncSession::ServerListing(const std::map<std::string, std::string>& hrefToEtag) {
    m_fullListing = true;
    m_serverEtags = hrefToEtag;
    m_serverChanged.clear();
    m_removed.clear();
    std::map<std::string, const SyncEntry*> byHref;
    for (const auto& [uid, e] : m_state.m_entries)
        byHref[e.href] = &e;
    for (const auto& [href, etag] : hrefToEtag) {
        const auto it = byHref.find(href);
        m_serverChanged[href] =
            it == byHref.end() || it->second->etag.empty() || it->second->etag != etag;
    }
    for (const auto& [href, e] : byHref)
        if (hrefToEtag.count(href) == 0)
            m_removed.insert(href);
}

void CSyncSession::ServerDelta(const std::map<std::string, std::string>& changed,
                               const std::vector<std::string>& removed) {
    m_fullListing = false;
    m_serverEtags = changed;
    m_serverChanged.clear();
    std::map<std::string, const SyncEntry*> byHref;
    for (const auto& [uid, e] : m_state.m_entries)
        byHref[e.href] = &e;
    for (const auto& [href, etag] : changed) {
        const auto it = byHref.find(href);
        m_serverChanged[href] =
            it == byHref.end() || it->second->etag.empty() || it->second->etag != etag;
    }
    m_removed = std::set<std::string>(removed.begin(), removed.end());
}

std::vector<std::string> CSyncSession::HrefsToFetch() const {
    std::vector<std::string> out;
    for (const auto& [href, changed] : m_serverChanged)
        if (changed)
            out.push_back(href);
    return out;
}

void CSyncSession::Fetched(const ServerCard& card) {
    m_fetched[card.href] = card;
}

const ServerCard* CSyncSession::ChangedCard(const SyncEntry& entry) const {
    const auto changed = m_serverChanged.find(entry.href);
    if (changed == m_serverChanged.end() || !changed->second)
        return nullptr;
    const auto fetched = m_fetched.find(entry.href);
    return fetched == m_fetched.end() ? nullptr : &fetched->second;
}

Side CSyncSession::HereSide(const CContactRecord* record, const SyncEntry& entry) const {
    if (record == nullptr)
        return Side::Gone;
    return kb::sync::ContentPrint(*record) == entry.fingerprint ? Side::Unchanged : Side::Changed;
}

Side CSyncSession::ThereSide(const SyncEntry& entry, const ServerCard* changed) const {
    if (m_removed.count(entry.href) != 0)
        return Side::Gone;
    // A new ETag on the card as we last saw it is no change.
    return changed != nullptr && !kb::sync::SameCard(changed->data, entry.card) ? Side::Changed
                                                                                : Side::Unchanged;
}

kb::sync::Removals CSyncSession::PlannedRemovals() {
    kb::sync::Removals out;
    out.shared = static_cast<int>(m_state.m_entries.size());
    for (const auto& [uid, entry] : m_state.m_entries) {
        const Action action =
            kb::sync::Decide(HereSide(RecordOf(uid), entry), ThereSide(entry, ChangedCard(entry)));
        out.here += action == Action::DeleteHere ? 1 : 0;
        out.there += action == Action::DeleteThere ? 1 : 0;
    }
    return out;
}

bool CSyncSession::KeepBookBeforeRemoving() {
    const std::string to = BeforeSyncPath(m_doc.GetDataPath());
    IFileSystem& fs = m_doc.FileSystem();
    try {
        const auto in = fs.OpenRead(m_doc.GetDataPath());
        const auto out = fs.CreateAtomic(to);
        std::vector<char> buffer(1 << 16);
        while (const std::size_t n = in->Read(buffer.data(), buffer.size()))
            out->Write(buffer.data(), n);
        out->Commit();
    } catch (const CFileException& e) {
        m_saveProblem = ReasonOf(e.m_cause);
        return false;
    }
    m_counts.keptCopy = to;
    return true;
}

std::string CSyncSession::NewHref(const std::string& uid) const {
    return m_bookPath + SafeName(uid) + ".vcf";
}

OutgoingChange CSyncSession::MakePut(const CContactRecord& record, const std::string& uid,
                                     const SyncEntry* previous) {
    OutgoingChange change;
    change.uid = uid;
    std::vector<VCard> prev;
    if (previous != nullptr && !previous->card.empty())
        prev = ParseVCards(previous->card);
    const VCard* before = prev.empty() ? nullptr : &prev.front();
    const VCardVersion version =
        before != nullptr && before->version == "4.0" ? VCardVersion::V40 : VCardVersion::V30;
    const VCard card = RecordToVCard(record, m_doc.GetCategories(), uid, version, before);
    CVCardWriter::AppendCard(card, change.data);
    change.fingerprint = kb::sync::ContentPrint(record);
    if (previous != nullptr && !previous->href.empty()) {
        change.kind = OutgoingChange::Put;
        change.href = previous->href;
        change.etag = previous->etag;
    } else {
        change.kind = OutgoingChange::PutNew;
        change.href = NewHref(uid);
    }
    return change;
}

CContactRecord* CSyncSession::AddFromCard(const ServerCard& card) {
    CContactRecord content;
    std::string uid;
    if (!RecordFromCard(card.data, content, uid))
        return nullptr;
    CContactRecord* raw = FileIn(std::make_unique<CContactRecord>(std::move(content)));
    if (uid.empty() || !m_doc.Uids().Set(*raw, uid))
        uid = m_doc.Uids().UidOf(*raw);
    m_state.m_entries[uid] = {card.href, card.etag, card.data, kb::sync::ContentPrint(*raw)};
    return raw;
}

void CSyncSession::PullInto(CContactRecord* record, const std::string& uid,
                            const ServerCard& card) {
    CContactRecord content;
    std::string cardUid;
    if (!RecordFromCard(card.data, content, cardUid))
        return;
    std::unique_ptr<CContactRecord> p = TakeOut(record);
    if (!p)
        return;
    *p = std::move(content); // the same record object keeps its UID
    CContactRecord* raw = FileIn(std::move(p));
    m_state.m_entries[uid] = {card.href, card.etag, card.data, kb::sync::ContentPrint(*raw)};
}

void CSyncSession::KeepConflictCopy(const CContactRecord& local, std::vector<OutgoingChange>* out) {
    auto copy = std::make_unique<CContactRecord>(local);
    kb::sync::MarkConflict(*copy);
    CContactRecord* raw = FileIn(std::move(copy));
    const std::string uid = m_doc.Uids().UidOf(*raw);
    if (out != nullptr)
        out->push_back(MakePut(*raw, uid, nullptr));
    ++m_counts.conflicts;
}

std::vector<OutgoingChange> CSyncSession::ApplyHere(bool& ok) {
    std::vector<OutgoingChange> out;
    if (PlannedRemovals().here > 0 && !KeepBookBeforeRemoving()) {
        ok = false;
        return out;
    }
    const std::set<std::string>& removed = m_removed;
    std::set<std::string> known; // hrefs of cards the state knows
    std::set<const CContactRecord*> handled;

    // Cards we knew: what happened on each side decides.
    std::vector<std::string> uids;
    for (const auto& [uid, e] : m_state.m_entries)
        uids.push_back(uid);
    for (const std::string& uid : uids) {
        SyncEntry entry = m_state.m_entries[uid];
        known.insert(entry.href);
        CContactRecord* r = RecordOf(uid);
        const ServerCard* fetched = ChangedCard(entry);
        const Side here = HereSide(r, entry);
        const Side there = ThereSide(entry, fetched);
        if (r != nullptr)
            handled.insert(r);
        if (fetched != nullptr && there == Side::Unchanged) {
            // Only the ETag moved: what goes back is conditional on the new one.
            entry.etag = fetched->etag;
            m_state.m_entries[uid].etag = fetched->etag;
        }
        if (there == Side::Changed && r != nullptr) {
            // Our own change coming back, or the same edit made on both sides.
            CContactRecord theirs;
            std::string cardUid;
            if (RecordFromCard(fetched->data, theirs, cardUid) &&
                kb::sync::SameContent(theirs, *r)) {
                // The record keeps the card as the server holds it now.
                if (!(theirs == *r)) {
                    r->SetExtras(theirs.Extras());
                    m_dirty = true;
                }
                m_state.m_entries[uid] = {entry.href, fetched->etag, fetched->data,
                                          kb::sync::ContentPrint(*r)};
                continue;
            }
        }
        switch (kb::sync::Decide(here, there)) {
        case Action::None:
            break;
        case Action::Pull:
            PullInto(r, uid, *fetched);
            ++m_counts.changedHere;
            break;
        case Action::DeleteHere: {
            auto gone = TakeOut(r);
            m_doc.Uids().Forget(*gone);
            m_state.m_entries.erase(uid);
            ++m_counts.removedHere;
            break;
        }
        case Action::Push:
            out.push_back(MakePut(*r, uid, &entry));
            break;
        case Action::PushNew: {
            // Gone from the server but edited here: send it again, keeping what the old
            // card held beyond Kinbook's fields.
            SyncEntry previous = entry;
            previous.href.clear();
            m_state.m_entries.erase(uid);
            OutgoingChange change = MakePut(*r, uid, &previous);
            change.href = entry.href;
            out.push_back(change);
            break;
        }
        case Action::DeleteThere: {
            OutgoingChange change;
            change.kind = OutgoingChange::Delete;
            change.uid = uid;
            change.href = entry.href;
            change.etag = entry.etag;
            out.push_back(change);
            break;
        }
        case Action::Restore:
            m_state.m_entries.erase(uid);
            AddFromCard(*fetched);
            ++m_counts.addedHere;
            break;
        case Action::Conflict:
            KeepConflictCopy(*r, &out);
            handled.insert(RecordOf(out.back().uid));
            PullInto(r, uid, *fetched);
            break;
        case Action::Forget:
            m_state.m_entries.erase(uid);
            break;
        }
    }
    for (const auto& change : out)
        if (CContactRecord* r = RecordOf(change.uid))
            handled.insert(r);

    // Cards new to us, and records the server has not seen.
    struct Remote {
        const ServerCard* card;
        CContactRecord record;
        std::string uid;
    };
    std::vector<Remote> remotes;
    for (const auto& [href, card] : m_fetched) {
        if (known.count(href) != 0 || removed.count(href) != 0)
            continue;
        Remote rm{&card, {}, {}};
        if (RecordFromCard(card.data, rm.record, rm.uid))
            remotes.push_back(std::move(rm));
    }
    std::vector<CContactRecord*> locals;
    for (const auto& r : m_doc.GetRecords()) {
        if (handled.count(r.get()) != 0)
            continue;
        const std::string* uid = m_doc.Uids().Find(*r);
        if (uid == nullptr || m_state.m_entries.count(*uid) == 0)
            locals.push_back(r.get());
    }

    std::vector<bool> remoteTaken(remotes.size(), false);
    std::set<CContactRecord*> localTaken;
    auto attach = [&](CContactRecord* local, Remote& remote) {
        // The record takes the card's UID, so both sides name it alike from now on.
        std::string uid = m_doc.Uids().UidOf(*local);
        if (!remote.uid.empty() && remote.uid != uid) {
            const CContactRecord* owner = m_doc.Uids().RecordOf(remote.uid);
            if (owner == nullptr) {
                m_doc.Uids().Forget(*local);
                m_doc.Uids().Set(*local, remote.uid);
                uid = remote.uid;
            }
        }
        SyncEntry entry{remote.card->href, remote.card->etag, remote.card->data, 0};
        if (kb::sync::SameContent(remote.record, *local)) {
            // The same person, said alike: the record keeps the server's card.
            if (!(remote.record == *local)) {
                kb::sync::TakeCard(*local, remote.record);
                m_dirty = true;
            }
            entry.fingerprint = kb::sync::ContentPrint(*local);
            m_state.m_entries[uid] = entry;
            return;
        }
        CContactRecord merged = *local;
        if (MergeInto(merged, remote.record)) {
            if (!(merged == *local)) {
                auto p = TakeOut(local);
                *p = merged;
                local = FileIn(std::move(p));
                ++m_counts.changedHere;
            }
            m_state.m_entries[uid] = entry;
            out.push_back(MakePut(*local, uid, &m_state.m_entries[uid]));
        } else {
            KeepConflictCopy(*local, &out);
            PullInto(local, uid, *remote.card);
        }
    };
    // The same UID on both sides: a card this book sent before its state was written.
    for (std::size_t j = 0; j < remotes.size(); ++j) {
        if (remotes[j].uid.empty())
            continue;
        CContactRecord* local = RecordOf(remotes[j].uid);
        if (local == nullptr || std::find(locals.begin(), locals.end(), local) == locals.end() ||
            localTaken.count(local) != 0)
            continue;
        localTaken.insert(local);
        remoteTaken[j] = true;
        attach(local, remotes[j]);
    }
    // Then the same person on both sides.
    std::vector<const CContactRecord*> hereList;
    std::vector<CContactRecord*> hereMap;
    for (CContactRecord* l : locals)
        if (localTaken.count(l) == 0) {
            hereList.push_back(l);
            hereMap.push_back(l);
        }
    std::vector<const CContactRecord*> thereList;
    std::vector<std::size_t> thereMap;
    for (std::size_t j = 0; j < remotes.size(); ++j)
        if (!remoteTaken[j]) {
            thereList.push_back(&remotes[j].record);
            thereMap.push_back(j);
        }
    for (const auto& [i, j] : kb::sync::PairRecords(hereList, thereList)) {
        localTaken.insert(hereMap[i]);
        remoteTaken[thereMap[j]] = true;
        attach(hereMap[i], remotes[thereMap[j]]);
    }
    // What is left is new to the other side.
    for (std::size_t j = 0; j < remotes.size(); ++j) {
        if (!remoteTaken[j] && AddFromCard(*remotes[j].card) != nullptr)
            ++m_counts.addedHere;
    }
    for (CContactRecord* l : locals) {
        if (localTaken.count(l) != 0)
            continue;
        out.push_back(MakePut(*l, m_doc.Uids().UidOf(*l), nullptr));
    }
    ok = Checkpoint();
    return out;
}

void CSyncSession::Sent(const OutgoingChange& change, const std::string& newEtag) {
    ++m_counts.sentToServer;
    if (change.kind == OutgoingChange::Delete) {
        m_state.m_entries.erase(change.uid);
        return;
    }
    m_state.m_entries[change.uid] = {change.href, newEtag, change.data, change.fingerprint};
    // The record keeps the card the server now holds, so that its next change is written
    // into that one.
    CContactRecord* r = RecordOf(change.uid);
    const std::vector<VCard> cards = ParseVCards(change.data);
    if (r == nullptr || cards.size() != 1)
        return;
    VCardRecord sent = VCardToRecord(cards.front());
    sent.record.m_nCategory = r->m_nCategory;
    if (sent.categories.size() > 1) {
        const std::string& filedUnder = m_doc.GetCategories().NameOf(r->m_nCategory);
        SetFurtherGroups(sent.record, sent.categories,
                         kb::EqualsNoCase(filedUnder, kUnfiled) ? std::string()
                                                                : kb::DecodeToUtf8(filedUnder));
    }
    if (kb::sync::SameContent(sent.record, *r) && !(sent.record == *r)) {
        r->SetExtras(sent.record.Extras());
        m_dirty = true;
    }
}

std::optional<OutgoingChange> CSyncSession::Refused(const OutgoingChange& change,
                                                    const std::optional<ServerCard>& current) {
    const auto known = m_state.m_entries.find(change.uid);
    if (current && !change.retried && change.kind != OutgoingChange::PutNew &&
        known != m_state.m_entries.end() && kb::sync::SameCard(current->data, known->second.card)) {
        // The card is as we last saw it, under a new ETag: no one else changed it.
        known->second.etag = current->etag;
        OutgoingChange again = change;
        again.etag = current->etag;
        again.retried = true;
        return again;
    }
    CContactRecord* r = RecordOf(change.uid);
    if (change.kind == OutgoingChange::Delete) {
        m_state.m_entries.erase(change.uid);
        // Edited on the server after we looked: the edit wins, the contact comes back.
        if (current && AddFromCard(*current) != nullptr)
            ++m_counts.addedHere;
        return std::nullopt;
    }
    if (!current) {
        // Gone from the server: the record is new to it at the next sync.
        m_state.m_entries.erase(change.uid);
        return std::nullopt;
    }
    if (r == nullptr)
        return std::nullopt;
    CContactRecord theirs;
    std::string cardUid;
    const bool readable = RecordFromCard(current->data, theirs, cardUid);
    if (change.kind == OutgoingChange::PutNew && readable && cardUid == change.uid &&
        kb::sync::SameContent(theirs, *r)) {
        // Our own card from a sync that stopped before it could note it.
        m_state.m_entries[change.uid] = {current->href, current->etag, current->data,
                                         kb::sync::ContentPrint(*r)};
        return std::nullopt;
    }
    if (change.kind == OutgoingChange::PutNew && readable && cardUid != change.uid)
        return std::nullopt; // another card took the name; the record stays new and tries again
    // Changed on both sides: keep ours as a marked copy, take theirs.
    KeepConflictCopy(*r, nullptr);
    PullInto(r, change.uid, *current);
    return std::nullopt;
}

bool CSyncSession::Checkpoint() {
    m_saveProblem.clear();
    if (m_dirty) {
        if (!m_doc.Save())
            return false;
        m_dirty = false;
    }
    m_state.m_nBookFingerprint = BookPrint();
    CFileException::Cause cause = CFileException::Generic;
    if (m_state.Save(m_doc.GetDataPath(), m_doc.FileSystem(), &cause))
        return true;
    m_saveProblem = ReasonOf(cause);
    return false;
}

bool CSyncSession::Finish(const std::string& token) {
    m_state.m_strToken = token;
    return Checkpoint();
}
