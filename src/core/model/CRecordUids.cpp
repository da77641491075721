#include "model/CRecordUids.h"
#include "model/Sha1.h"
#include "port/IFileSystem.h"
#include <charconv>
#include <cstring>
#include <iterator>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::string_view kHeader = "Kinbook UIDs 1";
// The namespace of the name-based UUIDs (itself a random UUID, fixed for good).
constexpr std::uint8_t kNamespace[16] = {0x6b, 0x1e, 0x3f, 0x52, 0x9a, 0x0c, 0x4d, 0x27,
                                         0xb1, 0x58, 0x2e, 0x94, 0xc7, 0x03, 0x6f, 0xd8};

// FNV-1a over the record's values, each followed by a unit separator, numbers in decimal:
// the fingerprints in sidecar and sync files were made so and must stay the same.
class ContentHash {
public:
    void Add(std::string_view text) {
        std::uint64_t h = m_h;
        for (const char c : text) {
            h ^= static_cast<unsigned char>(c);
            h *= 0x100000001b3ull;
        }
        h ^= 0x1f;
        m_h = h * 0x100000001b3ull;
    }
    void AddNumber(unsigned value) {
        char digits[8];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        Add(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    std::uint64_t Value() const { return m_h; }

private:
    std::uint64_t m_h = 0xcbf29ce484222325ull;
};

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, std::uint64_t v) {
    char buf[16];
    for (int i = 15; i >= 0; --i, v >>= 4)
        buf[i] = kHexDigits[v & 0x0F];
    out.append(buf, sizeof buf);
}

} // namespace

std::uint64_t CRecordUids::Fingerprint(const CContactRecord& r) {
    ContentHash h;
    h.Add(r.m_strFirstName);
    h.Add(r.m_strLastName);
    h.Add(r.m_strTitle);
    h.Add(r.m_strOtherRef);
    h.AddNumber(r.m_nCategory);
    h.AddNumber(r.m_nDefaultItem);
    for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
        h.Add(r.m_strItem[i]);
        h.AddNumber(r.m_nItemLabel[i]);
    }
    h.Add(r.m_strAddress);
    h.Add(r.m_strCity);
    h.Add(r.m_strState);
    h.Add(r.m_strZip);
    h.Add(r.m_strCountry);
    for (const auto& s : r.m_strOtherInfo)
        h.Add(s);
    h.Add(r.m_strNotes);
    return h.Value();
}

std::string CRecordUids::DerivedUid(std::uint64_t fingerprint, int salt) {
    // The name: the namespace, the fingerprint in 16 hex digits, the salt in decimal.
    char name[sizeof kNamespace + 16 + 12];
    std::memcpy(name, kNamespace, sizeof kNamespace);
    char* end = name + sizeof kNamespace;
    for (int i = 15; i >= 0; --i, fingerprint >>= 4)
        end[i] = kHexDigits[fingerprint & 0x0F];
    end += 16;
    if (salt > 0)
        end = std::to_chars(end, name + sizeof name, salt).ptr;
    std::array<std::uint8_t, 20> hash =
        kb::Sha1(std::string_view(name, static_cast<std::size_t>(end - name)));
    hash[6] = static_cast<std::uint8_t>((hash[6] & 0x0F) | 0x50); // version 5
    hash[8] = static_cast<std::uint8_t>((hash[8] & 0x3F) | 0x80); // RFC 4122 variant
    char uid[36];
    std::size_t o = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            uid[o++] = '-';
        uid[o++] = kHexDigits[hash[i] >> 4];
        uid[o++] = kHexDigits[hash[i] & 0x0F];
    }
    return std::string(uid, sizeof uid);
}

CRecordUids::CRecordUids(const CRecordUids& other)
    : m_uidOf(other.m_uidOf), m_loadedAs(other.m_loadedAs) {
    m_recordOf.reserve(m_uidOf.size());
    for (const auto& [record, uid] : m_uidOf)
        m_recordOf.emplace(uid, record);
}

CRecordUids& CRecordUids::operator=(const CRecordUids& other) {
    if (this != &other)
        *this = CRecordUids(other);
    return *this;
}

const std::string& CRecordUids::UidOf(const CContactRecord& record) {
    auto it = m_uidOf.find(&record);
    if (it != m_uidOf.end())
        return it->second;
    return MakeUid(record, std::nullopt);
}

const std::string& CRecordUids::MakeUid(const CContactRecord& record,
                                        std::optional<std::uint64_t> contentNow) {
    auto loaded = m_loadedAs.find(&record);
    std::uint64_t fingerprint = 0;
    if (loaded != m_loadedAs.end()) {
        fingerprint = loaded->second;
        m_loadedAs.erase(loaded);
    } else {
        fingerprint = contentNow ? *contentNow : Fingerprint(record);
    }
    std::string uid = DerivedUid(fingerprint);
    for (int salt = 1; m_recordOf.count(uid) != 0; ++salt)
        uid = DerivedUid(fingerprint, salt); // the same content twice: each its own UID
    const std::string& mine = m_uidOf.emplace(&record, std::move(uid)).first->second;
    m_recordOf.emplace(mine, &record);
    return mine;
}

const std::string* CRecordUids::Find(const CContactRecord& record) const {
    auto it = m_uidOf.find(&record);
    return it == m_uidOf.end() ? nullptr : &it->second;
}

bool CRecordUids::Set(const CContactRecord& record, const std::string& uid) {
    if (uid.empty())
        return false;
    const auto owner = m_recordOf.find(uid);
    if (owner != m_recordOf.end())
        return owner->second == &record;
    // The record's previous UID, if it had one, is free again.
    if (!m_loadedAs.empty())
        m_loadedAs.erase(&record);
    const auto [mine, fresh] = m_uidOf.try_emplace(&record, uid);
    if (!fresh) {
        m_recordOf.erase(mine->second);
        mine->second = uid;
    }
    m_recordOf.emplace(mine->second, &record);
    return true;
}

const CContactRecord* CRecordUids::RecordOf(const std::string& uid) const {
    auto it = m_recordOf.find(uid);
    return it == m_recordOf.end() ? nullptr : it->second;
}

void CRecordUids::Forget(const CContactRecord& record) {
    m_loadedAs.erase(&record);
    auto it = m_uidOf.find(&record);
    if (it == m_uidOf.end())
        return;
    m_recordOf.erase(it->second);
    m_uidOf.erase(it);
}

void CRecordUids::Retain(const CRecordList& records) {
    std::unordered_set<const CContactRecord*> present;
    present.reserve(records.size());
    for (const auto& r : records)
        present.insert(r.get());
    for (auto it = m_uidOf.begin(); it != m_uidOf.end();) {
        if (present.count(it->first) != 0) {
            ++it;
            continue;
        }
        m_recordOf.erase(it->second);
        it = m_uidOf.erase(it);
    }
    std::erase_if(m_loadedAs, [&present](const auto& entry) { return !present.count(entry.first); });
}

void CRecordUids::Clear() {
    m_uidOf.clear();
    m_recordOf.clear();
    m_loadedAs.clear();
}

void CRecordUids::Attach(const CRecordList& records, std::string_view text) {
    Clear();
    Reserve(records.size());
    struct Entry {
        std::string uid;
        std::uint64_t fingerprint;
        bool used = false;
    };
    std::vector<Entry> entries;
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (first) {
            first = false;
            if (line != kHeader)
                return; // not a file of ours, or a later format: start afresh
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0 || line.size() - tab - 1 != 16)
            continue;
        std::uint64_t fp = 0;
        bool hex = true;
        for (char c : line.substr(tab + 1)) {
            const int d =
                c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
            if (d < 0)
                hex = false;
            fp = (fp << 4) | static_cast<std::uint64_t>(d < 0 ? 0 : d);
        }
        if (hex)
            entries.push_back({std::string(line.substr(0, tab)), fp});
    }

    std::vector<std::uint64_t> fps(records.size());
    std::vector<bool> done(records.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i) {
        fps[i] = Fingerprint(*records[i]);
        // The same place and the same content: the usual case after our own save.
        if (i < entries.size() && entries[i].fingerprint == fps[i] &&
            Set(*records[i], entries[i].uid)) {
            entries[i].used = true;
            done[i] = true;
        }
    }
    std::unordered_multimap<std::uint64_t, std::size_t> byFingerprint;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (!entries[k].used)
            byFingerprint.emplace(entries[k].fingerprint, k);
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (done[i])
            continue;
        auto range = byFingerprint.equal_range(fps[i]);
        for (auto it = range.first; it != range.second && !done[i]; ++it) {
            Entry& e = entries[it->second];
            if (!e.used && Set(*records[i], e.uid)) {
                e.used = true;
                done[i] = true;
            }
        }
        if (!done[i])
            m_loadedAs.emplace(records[i].get(), fps[i]); // its UID comes from this content
    }
}

std::string CRecordUids::Serialize(const CRecordList& records) {
    // Drop the UIDs of records that are gone before any new one is made, so a record
    // made where a deleted one lived never inherits its UID.
    std::unordered_set<const CContactRecord*> live;
    if (!m_loadedAs.empty() || !m_uidOf.empty()) {
        live.reserve(records.size());
        for (const auto& r : records)
            live.insert(r.get());
    }
    for (auto it = m_loadedAs.begin(); it != m_loadedAs.end();)
        it = live.count(it->first) == 0 ? m_loadedAs.erase(it) : std::next(it);
    for (auto it = m_uidOf.begin(); it != m_uidOf.end();) {
        if (live.count(it->first) == 0) {
            m_recordOf.erase(it->second);
            it = m_uidOf.erase(it);
        } else {
            ++it;
        }
    }
    std::string out(kHeader);
    out += '\n';
    out.reserve(records.size() * 56 + out.size());
    m_uidOf.reserve(records.size());
    m_recordOf.reserve(records.size());
    for (const auto& r : records) {
        const std::uint64_t fingerprint = Fingerprint(*r);
        const auto it = m_uidOf.find(r.get());
        out += it != m_uidOf.end() ? it->second : MakeUid(*r, fingerprint);
        out += '\t';
        AppendHex(out, fingerprint);
        out += '\n';
    }
    return out;
}

void CRecordUids::Load(const std::string& dataPath, const CRecordList& records, IFileSystem& fs) {
    Attach(records, ReadWholeFile(fs, SidecarPath(dataPath)).value_or(std::string()));
}

bool CRecordUids::Save(const std::string& dataPath, const CRecordList& records, IFileSystem& fs) {
    // A book that has never held a record has no UIDs to keep: no file beside it yet.
    if (records.empty() && !fs.Exists(SidecarPath(dataPath)))
        return true;
    return WriteWholeFile(fs, SidecarPath(dataPath), Serialize(records));
}
