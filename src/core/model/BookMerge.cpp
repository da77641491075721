#include "model/BookMerge.h"
#include "edit/FilingRule.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include "model/RecordFields.h"
#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace {

// Folds one value into the hash: one multiply and a fold of the high bits down, both
// one-to-one, so that two values differing in one word never meet.
std::uint64_t Step(std::uint64_t h, std::uint64_t value) {
    h = (h ^ value) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
}

// The finaliser of splitmix64: every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t h, std::uint64_t value) {
    h = Step(h, value);
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// The length goes in first, so that fields cannot trade bytes ("ab" + "c" differs from
// "a" + "bc"). A snapshot hashes every text of a big book at each load and save: the text
// goes in eight bytes at a time.
std::uint64_t MixText(std::uint64_t h, std::string_view text) {
    h = Step(h, text.size());
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = Step(h, word);
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = Step(h, word);
    }
    return h;
}

bool ContainsNoCase(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return kb::EqualsNoCase(n, name); });
}

std::vector<std::string> NamesOf(const CCategoryList& categories) {
    std::vector<std::string> names;
    names.reserve(categories.GetCount());
    for (std::size_t i = 0; i < categories.GetCount(); ++i)
        names.push_back(categories.At(i).m_strName);
    return names;
}

// Removes the first category named name (never "Unfiled" at the head); its records become
// unfiled and later indexes move down by one, as deleting a category does.
bool RemoveCategory(CRecordList& records, CCategoryList& categories, std::string_view name) {
    for (std::size_t i = 1; i < categories.GetCount(); ++i) {
        if (!kb::EqualsNoCase(categories.At(i).m_strName, name))
            continue;
        categories.RemoveAt(i);
        for (const auto& record : records) {
            if (record->m_nCategory == i)
                record->m_nCategory = 0;
            else if (record->m_nCategory > i)
                --record->m_nCategory;
        }
        return true;
    }
    return false;
}

using Counts = std::unordered_map<std::uint64_t, std::size_t>;

} // namespace

std::uint64_t RecordContentHash(const CContactRecord& r, const CCategoryList& categories) {
    std::uint64_t h = 0x4B696E626F6F6Bull;
    const auto texts = r.Texts();
    ForEachField<kFileOrder>([&](auto f) {
        if constexpr (IsText(f))
            h = MixText(h, texts[static_cast<std::size_t>(f())]);
        else if constexpr (InfoOf(f).kind != FieldKind::Category)
            h = Step(h, r.Number(f));
    });
    // What the record keeps beyond its fields counts too: an edit of a birthday is an edit.
    if (const CRecordExtras* extras = r.Extras()) {
        for (const VCardProperty& p : extras->properties) {
            h = Step(MixText(MixText(MixText(h, p.group), p.name), p.value),
                     (p.held ? 1u : 0u) | (p.binary ? 2u : 0u));
            for (const VCardParam& param : p.params) {
                h = MixText(h, param.name);
                for (const std::string& v : param.values)
                    h = MixText(h, v);
                h = Step(h, param.values.size());
            }
            h = Step(h, p.params.size());
        }
        h = Step(h, extras->properties.size());
    }
    // The category by name; an index that names no category keeps its number.
    if (r.m_nCategory < categories.GetCount())
        h = MixText(h, categories.At(r.m_nCategory).m_strName);
    else
        h = Step(Step(h, 0xCA7E60D1ull), r.m_nCategory);
    return Mix(h, 0);
}

CBookSnapshot CBookSnapshot::Of(const CRecordList& records, const CCategoryList& categories) {
    CBookSnapshot snapshot;
    snapshot.recordHashes.reserve(records.size());
    for (const auto& record : records)
        snapshot.recordHashes.push_back(RecordContentHash(*record, categories));
    snapshot.categoryNames = NamesOf(categories);
    return snapshot;
}

CMergeOutcome MergeChangesFromFile(CRecordList& records, CCategoryList& categories,
                                   const CBookSnapshot& base, CRecordList& file,
                                   const CCategoryList& fileCategories) {
    CMergeOutcome outcome;
    const std::vector<std::string> fileNames = NamesOf(fileCategories);

    // Categories the file gained come first, so that its new records find theirs.
    for (const std::string& name : fileNames) {
        if (!ContainsNoCase(base.categoryNames, name) &&
            !ContainsNoCase(NamesOf(categories), name)) {
            categories.AddTail(name);
            ++outcome.categoriesAdded;
        }
    }

    Counts baseCount;
    for (const std::uint64_t h : base.recordHashes)
        ++baseCount[h];
    std::vector<std::uint64_t> fileHashes;
    fileHashes.reserve(file.size());
    Counts fileCount;
    for (const auto& record : file) {
        fileHashes.push_back(RecordContentHash(*record, fileCategories));
        ++fileCount[fileHashes.back()];
    }

    // Records the file lost: taken from the book only where the book still holds them as
    // they were (its own additions and edits are never among them).
    Counts toRemove;
    for (const auto& [h, n] : baseCount) {
        const auto it = fileCount.find(h);
        const std::size_t kept = it == fileCount.end() ? 0 : it->second;
        if (n > kept)
            toRemove[h] = n - kept;
    }
    if (!toRemove.empty()) {
        Counts fromBase = baseCount; // how many records of each content the book had then
        const auto end = std::remove_if(records.begin(), records.end(), [&](const auto& record) {
            const std::uint64_t h = RecordContentHash(*record, categories);
            const auto remove = toRemove.find(h);
            if (remove == toRemove.end() || remove->second == 0)
                return false;
            std::size_t& unchanged = fromBase[h];
            if (unchanged == 0)
                return false;
            --unchanged;
            --remove->second;
            ++outcome.recordsRemoved;
            return true;
        });
        records.erase(end, records.end());
    }

    // Records the file gained: past as many of each content as the book had then.
    Counts seen;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const std::uint64_t h = fileHashes[i];
        const auto inBase = baseCount.find(h);
        if (seen[h]++ < (inBase == baseCount.end() ? 0 : inBase->second))
            continue;
        std::unique_ptr<CContactRecord> record = std::move(file[i]);
        if (record->m_nCategory < fileCategories.GetCount())
            record->m_nCategory =
                categories.IndexOf(fileCategories.At(record->m_nCategory).m_strName);
        FileRecord(records, std::move(record));
        ++outcome.recordsAdded;
    }
    file.erase(std::remove(file.begin(), file.end(), nullptr), file.end());

    // Categories the file lost.
    for (const std::string& name : base.categoryNames) {
        if (kb::EqualsNoCase(name, kUnfiled) || ContainsNoCase(fileNames, name))
            continue;
        if (RemoveCategory(records, categories, name))
            ++outcome.categoriesRemoved;
    }
    return outcome;
}
