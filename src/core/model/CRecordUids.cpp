#include "model/CRecordUids.h"
#include "model/Sha1.h"
#include "port/IFileSystem.h"
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::string_view kHeader = "Kinbook UIDs 1";
// The namespace of the name-based UUIDs (itself a random UUID, fixed for good).
constexpr std::uint8_t kNamespace[16] = {0x6b, 0x1e, 0x3f, 0x52, 0x9a, 0x0c, 0x4d, 0x27,
                                         0xb1, 0x58, 0x2e, 0x94, 0xc7, 0x03, 0x6f, 0xd8};

constexpr std::uint64_t kFnvStart = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

// FNV-1a; the fingerprints in sidecar and sync files were made with it and must stay the same.
std::uint64_t Fnv(std::uint64_t h, std::string_view bytes) {
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * kFnvPrime;
    return h;
}

// The bytes a fingerprint hashes: the record's values, each followed by a unit separator,
// numbers in decimal. Each value is moved into place with its separator and numbers,
// sixteen bytes at a time: the record's block keeps slack past its text for that, and the
// run keeps sixteen spare bytes past what it holds.
class ContentRun {
public:
    void Make(const CContactRecord& r) {
        const auto texts = r.Texts(); // back to back in the record's block, in hashing order
        const auto total =
            static_cast<std::size_t>(texts.back().data() + texts.back().size() - texts[0].data());
        constexpr std::size_t kNumbers = kRecordFieldCount - kTextFieldCount;
        Fit(m_run, total + texts.size() + kNumbers * (1 + kDigitsMax) + kSpare);
        char* out = m_run.data();
        auto put = [&](std::string_view text) {
            CRecordTextBlock::CopyOut(out, text);
            out += text.size();
            *out++ = '\x1f';
        };
        auto putNumber = [&out](unsigned value) {
            if (value < 10) // labels and the default item nearly always are
                *out++ = static_cast<char>('0' + value);
            else
                out = std::to_chars(out, out + kDigitsMax, value).ptr;
            *out++ = '\x1f';
        };
        ForEachField<kFingerprintOrder>([&](auto f) {
            if constexpr (IsText(f))
                put(texts[static_cast<std::size_t>(f())]);
            else
                putNumber(r.Number(f));
        });
        m_size = static_cast<std::size_t>(out - m_run.data());
    }
    const unsigned char* Bytes() const {
        return reinterpret_cast<const unsigned char*>(m_run.data());
    }
    std::size_t Size() const { return m_size; }
    std::string_view View() const { return {m_run.data(), m_size}; }

private:
    static constexpr std::size_t kSpare = 16;
    static constexpr std::size_t kDigitsMax = 10;
    static void Fit(std::string& buffer, std::size_t size) {
        if (buffer.size() < size)
            buffer.resize(std::max(size, 2 * buffer.size()));
    }
    std::string m_run;
    std::size_t m_size = 0;
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
    thread_local ContentRun run;
    run.Make(r);
    return Fnv(kFnvStart, run.View());
}

std::vector<std::uint64_t> CRecordUids::Fingerprints(const CRecordList& records) {
    // FNV-1a waits on each byte's multiply before the next, so four records are hashed side
    // by side. Each lane takes the next record as soon as its own is done.
    constexpr std::size_t kLanes = 4;
    std::vector<std::uint64_t> out(records.size());
    thread_local ContentRun runs[kLanes];
    struct Lane {
        std::size_t record = 0;
        const unsigned char* next = nullptr;
        std::size_t left = 0;
        std::uint64_t h = kFnvStart;
    };
    Lane lanes[kLanes];
    std::size_t taken = 0;
    auto load = [&](std::size_t k) {
        if (taken == records.size())
            return false;
        FetchAhead(records, taken);
        runs[k].Make(*records[taken]);
        lanes[k] = Lane{taken++, runs[k].Bytes(), runs[k].Size(), kFnvStart};
        return true;
    };
    bool active[kLanes];
    bool all = true;
    for (std::size_t k = 0; k < kLanes; ++k)
        all = (active[k] = load(k)) && all;
    while (all) {
        std::size_t common = lanes[0].left;
        for (std::size_t k = 1; k < kLanes; ++k)
            common = std::min(common, lanes[k].left);
        std::uint64_t h0 = lanes[0].h, h1 = lanes[1].h, h2 = lanes[2].h, h3 = lanes[3].h;
        const unsigned char *p0 = lanes[0].next, *p1 = lanes[1].next, *p2 = lanes[2].next,
                            *p3 = lanes[3].next;
        for (std::size_t j = 0; j < common; ++j) {
            h0 = (h0 ^ p0[j]) * kFnvPrime;
            h1 = (h1 ^ p1[j]) * kFnvPrime;
            h2 = (h2 ^ p2[j]) * kFnvPrime;
            h3 = (h3 ^ p3[j]) * kFnvPrime;
        }
        lanes[0].h = h0;
        lanes[1].h = h1;
        lanes[2].h = h2;
        lanes[3].h = h3;
        for (std::size_t k = 0; k < kLanes; ++k) {
            Lane& lane = lanes[k];
            lane.next += common;
            lane.left -= common;
            if (lane.left == 0) {
                out[lane.record] = lane.h;
                all = (active[k] = load(k)) && all;
            }
        }
    }
    // The last records, each on its own.
    for (std::size_t k = 0; k < kLanes; ++k) {
        if (active[k])
            out[lanes[k].record] =
                Fnv(lanes[k].h,
                    std::string_view(reinterpret_cast<const char*>(lanes[k].next), lanes[k].left));
    }
    return out;
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
    : m_nEntries(other.m_nEntries), m_freeEntries(other.m_freeEntries), m_sweep(other.m_sweep),
      m_byRecord(other.m_byRecord), m_byUid(other.m_byUid) {
    m_chunks.reserve(other.m_chunks.size());
    for (const auto& chunk : other.m_chunks) {
        m_chunks.push_back(std::make_unique<Entry[]>(kChunk));
        std::copy(chunk.get(), chunk.get() + kChunk, m_chunks.back().get());
    }
}

CRecordUids& CRecordUids::operator=(const CRecordUids& other) {
    if (this != &other)
        *this = CRecordUids(other);
    return *this;
}

std::uint64_t CRecordUids::UidKey(std::string_view uid) {
    std::uint64_t h = uid.size();
    auto step = [&h](std::uint64_t word) {
        h = (h ^ word) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    };
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= uid.size(); i += 8) {
        std::memcpy(&word, uid.data() + i, 8);
        step(word);
    }
    if (i < uid.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, uid.data() + i, uid.size() - i);
        step(word);
    }
    return h;
}

std::uint32_t CRecordUids::EntryOfUid(std::string_view uid) const {
    return m_byUid.Find(UidKey(uid), [this, uid](std::uint32_t e) { return At(e).uid == uid; });
}

std::uint32_t CRecordUids::NewEntry(const CContactRecord& record) {
    std::uint32_t e = 0;
    if (!m_freeEntries.empty()) {
        e = m_freeEntries.back();
        m_freeEntries.pop_back();
    } else {
        if (m_nEntries == m_chunks.size() * kChunk)
            m_chunks.push_back(std::make_unique<Entry[]>(kChunk));
        e = m_nEntries++;
    }
    At(e).record = &record;
    m_byRecord.Insert(RecordKey(record), e);
    return e;
}

void CRecordUids::FreeEntry(std::uint32_t e) {
    Entry& entry = At(e);
    if (!entry.uid.empty())
        m_byUid.Erase(UidKey(entry.uid), e);
    m_byRecord.Erase(RecordKey(*entry.record), e);
    entry = Entry{};
    m_freeEntries.push_back(e);
}

const std::string& CRecordUids::GiveUid(std::uint32_t e, std::string uid) {
    Entry& entry = At(e);
    entry.uid = std::move(uid);
    entry.loadedAs = 0;
    m_byUid.Insert(UidKey(entry.uid), e);
    return entry.uid;
}

const std::string& CRecordUids::UidOf(const CContactRecord& record) {
    const std::uint32_t e = EntryOf(record);
    if (e != kNone && !At(e).uid.empty())
        return At(e).uid;
    return MakeUid(record, e, std::nullopt, std::string());
}

std::uint64_t CRecordUids::UidSource(const CContactRecord& record, std::uint32_t e,
                                     std::optional<std::uint64_t> contentNow) const {
    // A record with an entry but no UID waits for one made from its content as loaded.
    return e != kNone ? At(e).loadedAs : (contentNow ? *contentNow : Fingerprint(record));
}

const std::string& CRecordUids::MakeUid(const CContactRecord& record, std::uint32_t e,
                                        std::optional<std::uint64_t> contentNow,
                                        std::string guess) {
    const std::uint64_t fingerprint = UidSource(record, e, contentNow);
    std::string uid = guess.empty() ? DerivedUid(fingerprint) : std::move(guess);
    for (int salt = 1; EntryOfUid(uid) != kNone; ++salt)
        uid = DerivedUid(fingerprint, salt); // the same content twice: each its own UID
    return GiveUid(e != kNone ? e : NewEntry(record), std::move(uid));
}

const std::string* CRecordUids::Find(const CContactRecord& record) const {
    const std::uint32_t e = EntryOf(record);
    return e == kNone || At(e).uid.empty() ? nullptr : &At(e).uid;
}

bool CRecordUids::Set(const CContactRecord& record, const std::string& uid) {
    if (uid.empty())
        return false;
    const std::uint32_t owner = EntryOfUid(uid);
    if (owner != kNone)
        return At(owner).record == &record;
    std::uint32_t e = EntryOf(record);
    if (e == kNone)
        e = NewEntry(record);
    else if (!At(e).uid.empty())
        m_byUid.Erase(UidKey(At(e).uid), e); // the record's previous UID is free again
    GiveUid(e, uid);
    return true;
}

const CContactRecord* CRecordUids::RecordOf(const std::string& uid) const {
    const std::uint32_t e = EntryOfUid(uid);
    return e == kNone ? nullptr : At(e).record;
}

void CRecordUids::Forget(const CContactRecord& record) {
    const std::uint32_t e = EntryOf(record);
    if (e != kNone)
        FreeEntry(e);
}

std::vector<std::uint32_t> CRecordUids::Sweep(const CRecordList& records) {
    std::vector<std::uint32_t> entries(records.size(), kNone);
    if (Empty())
        return entries;
    ++m_sweep;
    for (std::size_t i = 0; i < records.size(); ++i) {
        entries[i] = EntryOf(*records[i]);
        if (entries[i] != kNone)
            At(entries[i]).mark = m_sweep;
    }
    for (std::uint32_t e = 0; e < m_nEntries; ++e) {
        if (At(e).record != nullptr && At(e).mark != m_sweep)
            FreeEntry(e);
    }
    return entries;
}

void CRecordUids::Retain(const CRecordList& records) {
    Sweep(records);
}

void CRecordUids::Clear() {
    m_chunks.clear();
    m_nEntries = 0;
    m_freeEntries.clear();
    m_byRecord.Clear();
    m_byUid.Clear();
}

void CRecordUids::Attach(const CRecordList& records, std::string_view text) {
    Clear();
    Reserve(records.size());
    struct Listed {
        std::string_view uid; // in text, which outlives the entries
        std::uint64_t fingerprint;
        bool used = false;
    };
    std::vector<Listed> entries;
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
            entries.push_back({line.substr(0, tab), fp});
    }

    const std::vector<std::uint64_t> fps = Fingerprints(records);
    std::vector<bool> done(records.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i) {
        // The same place and the same content: the usual case after our own save.
        if (i < entries.size() && entries[i].fingerprint == fps[i] &&
            Set(*records[i], std::string(entries[i].uid))) {
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
            Listed& e = entries[it->second];
            if (!e.used && Set(*records[i], std::string(e.uid))) {
                e.used = true;
                done[i] = true;
            }
        }
        if (!done[i]) // its UID comes from this content
            At(NewEntry(*records[i])).loadedAs = fps[i];
    }
}

std::string CRecordUids::Serialize(const CRecordList& records) {
    std::string text;
    Write(records, [&text](std::string_view piece) { text += piece; });
    return text;
}

void CRecordUids::Write(const CRecordList& records,
                        const std::function<void(std::string_view)>& emit) {
    // Drop the UIDs of records that are gone before any new one is made, so a record
    // made where a deleted one lived never inherits its UID.
    const std::vector<std::uint32_t> entries = Sweep(records);
    // The text goes out in pieces of about 64 KiB: a big book's would be megabytes.
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out(kHeader);
    out += '\n';
    out.reserve(kPiece + 256);
    Reserve(records.size());
    // A record without a UID gets one made from its content. That UID is worked out one
    // record ahead, so that its places in both tables are on their way to the cache while
    // the record before is done.
    const std::vector<std::uint64_t> fingerprints = Fingerprints(records);
    std::string uid, nextUid;
    auto prepare = [&](std::size_t i) {
        const CContactRecord& r = *records[i];
        const std::uint32_t e = entries[i];
        nextUid.clear();
        if (e != kNone && !At(e).uid.empty())
            return;
        nextUid = DerivedUid(UidSource(r, e, fingerprints[i]));
        m_byUid.Prefetch(UidKey(nextUid));
        if (e == kNone)
            m_byRecord.Prefetch(RecordKey(r));
    };
    if (!records.empty())
        prepare(0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint64_t fingerprint = fingerprints[i];
        uid.swap(nextUid);
        if (i + 1 < records.size())
            prepare(i + 1);
        const std::uint32_t e = entries[i];
        out += uid.empty() ? At(e).uid : MakeUid(*records[i], e, fingerprint, std::move(uid));
        out += '\t';
        AppendHex(out, fingerprint);
        out += '\n';
        if (out.size() >= kPiece) {
            emit(out);
            out.clear();
        }
    }
    emit(out);
}

void CRecordUids::Load(const std::string& dataPath, const CRecordList& records, IFileSystem& fs) {
    Attach(records, ReadWholeFile(fs, SidecarPath(dataPath)).value_or(std::string()));
}

bool CRecordUids::Save(const std::string& dataPath, const CRecordList& records, IFileSystem& fs) {
    // A book that has never held a record has no UIDs to keep: no file beside it yet.
    if (records.empty() && !fs.Exists(SidecarPath(dataPath)))
        return true;
    try {
        auto sink = fs.CreateAtomic(SidecarPath(dataPath));
        Write(records,
              [&sink](std::string_view piece) { sink->Write(piece.data(), piece.size()); });
        sink->Commit();
        return true;
    } catch (const CFileException&) {
        return false;
    }
}
