#include "sync/SyncRules.h"
#include "model/CRecordExtras.h"
#include "model/CRecordUids.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "transfer/CVCardReader.h"
#include <algorithm>
#include <set>
#include <unordered_map>

namespace kb::sync {

Action Decide(Side here, Side there) {
    switch (here) {
    case Side::Unchanged:
        return there == Side::Unchanged ? Action::None
               : there == Side::Changed ? Action::Pull
                                        : Action::DeleteHere;
    case Side::Changed:
        return there == Side::Unchanged ? Action::Push
               : there == Side::Changed ? Action::Conflict
                                        : Action::PushNew;
    case Side::Gone:
        return there == Side::Unchanged ? Action::DeleteThere
               : there == Side::Changed ? Action::Restore
                                        : Action::Forget;
    }
    return Action::None;
}

namespace {

std::string FoldedName(const std::string& bytes) {
    std::string s = kb::DecodeToUtf8(bytes);
    // Blanks around a name are no part of it.
    const auto b = s.find_first_not_of(" \t");
    const auto e = s.find_last_not_of(" \t");
    s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    for (char& c : s)
        c = kb::FoldAscii(c);
    return s;
}

} // namespace

std::string ContactKey(const std::string& item) {
    if (item.find('@') != std::string::npos)
        return "@" + FoldedName(item);
    std::string digits;
    for (char c : item)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits.size() >= 3 ? digits : std::string();
}

namespace {

// The phone numbers and e-mail addresses of a record, as ContactKey gives them.
std::set<std::string> Reachable(const CContactRecord& r) {
    std::set<std::string> out;
    for (const auto& item : r.m_strItem) {
        std::string key = ContactKey(item);
        if (!key.empty())
            out.insert(std::move(key));
    }
    return out;
}

std::string NameKey(const CContactRecord& r) {
    return FoldedName(r.m_strLastName) + '\0' + FoldedName(r.m_strFirstName);
}

bool ShareOne(const std::set<std::string>& a, const std::set<std::string>& b) {
    for (const auto& x : a)
        if (b.count(x) != 0)
            return true;
    return false;
}

} // namespace

bool SamePerson(const CContactRecord& a, const CContactRecord& b) {
    return NameKey(a) == NameKey(b) && ShareOne(Reachable(a), Reachable(b));
}

std::vector<std::pair<std::size_t, std::size_t>>
PairRecords(const std::vector<const CContactRecord*>& here,
            const std::vector<const CContactRecord*>& there) {
    std::unordered_map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t j = 0; j < there.size(); ++j)
        byName[NameKey(*there[j])].push_back(j);
    std::vector<bool> taken(there.size(), false);
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < here.size(); ++i) {
        const auto it = byName.find(NameKey(*here[i]));
        if (it == byName.end())
            continue;
        const auto mine = Reachable(*here[i]);
        for (std::size_t j : it->second) {
            if (!taken[j] && ShareOne(mine, Reachable(*there[j]))) {
                taken[j] = true;
                pairs.emplace_back(i, j);
                break;
            }
        }
    }
    return pairs;
}

void MarkConflict(CContactRecord& record) {
    for (auto& line : record.m_strOtherInfo) {
        if (line == kConflictMark)
            return;
        if (line.empty()) {
            line = kConflictMark;
            return;
        }
    }
    CRecordText& last = record.m_strOtherInfo.back();
    if (!last.ends_with(" (conflict)"))
        last += std::string(" ") + kConflictMark;
}

namespace {

bool MassOn(int removals, int shared) {
    return removals > kMassFloor && removals * 2 > shared;
}

bool SameProperty(const VCardProperty& a, const VCardProperty& b) {
    if (a.group != b.group || a.name != b.name || a.value != b.value || a.binary != b.binary ||
        a.params.size() != b.params.size())
        return false;
    for (std::size_t i = 0; i < a.params.size(); ++i)
        if (a.params[i].name != b.params[i].name || a.params[i].values != b.params[i].values)
            return false;
    return true;
}

} // namespace

bool Removals::Mass() const {
    return MassOn(here, shared) || MassOn(there, shared);
}

std::string Removals::Text() const {
    const std::string of = " of the " + std::to_string(shared) + " synced contacts from ";
    std::string text;
    if (MassOn(here, shared))
        text = "This sync would remove " + std::to_string(here) + of +
               "this book, because the server no longer lists them.";
    if (MassOn(there, shared))
        text += std::string(text.empty() ? "" : " ") + "This sync would delete " +
                std::to_string(there) + of + "the server, because they were deleted here.";
    return text;
}

bool SameCard(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    const std::vector<VCard> x = ParseVCards(a);
    const std::vector<VCard> y = ParseVCards(b);
    if (x.size() != 1 || y.size() != 1 || x[0].version != y[0].version ||
        x[0].properties.size() != y[0].properties.size())
        return false;
    for (std::size_t i = 0; i < x[0].properties.size(); ++i)
        if (!SameProperty(x[0].properties[i], y[0].properties[i]))
            return false;
    return true;
}

std::uint64_t BookFingerprint(std::vector<std::pair<std::string, std::uint64_t>> uidsAndPrints) {
    std::sort(uidsAndPrints.begin(), uidsAndPrints.end());
    std::uint64_t h = 14695981039346656037ull; // FNV-1a over the sorted pairs
    auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (const auto& [uid, print] : uidsAndPrints) {
        for (unsigned char c : uid)
            mix(c);
        mix(0);
        for (int i = 0; i < 8; ++i)
            mix(static_cast<unsigned char>(print >> (8 * i)));
    }
    return h;
}

namespace {

bool Shown(const VCardProperty& p) {
    return !p.held;
}

// The properties of a record's extras no field holds, in order.
std::vector<const VCardProperty*> ShownExtras(const CContactRecord& r) {
    std::vector<const VCardProperty*> out;
    if (const CRecordExtras* extras = r.Extras()) {
        for (const VCardProperty& p : extras->properties) {
            if (Shown(p))
                out.push_back(&p);
        }
    }
    return out;
}

} // namespace

std::uint64_t ContentPrint(const CContactRecord& record) {
    const std::uint64_t fields = CRecordUids::Fingerprint(record);
    const std::vector<const VCardProperty*> shown = ShownExtras(record);
    if (shown.empty())
        return fields; // as every record had before it kept more than its fields
    std::uint64_t h = fields;
    auto mix = [&h](std::string_view bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
        h ^= 0x1f;
        h *= 1099511628211ull;
    };
    for (const VCardProperty* p : shown) {
        mix(p->group);
        mix(p->name);
        for (const VCardParam& param : p->params) {
            mix(param.name);
            for (const std::string& v : param.values)
                mix(v);
        }
        mix(p->value);
    }
    return h;
}

bool SameContent(const CContactRecord& a, const CContactRecord& b) {
    if (a.Texts() != b.Texts() || a.m_nCategory != b.m_nCategory ||
        a.m_nDefaultItem != b.m_nDefaultItem || a.m_nItemLabel != b.m_nItemLabel)
        return false;
    const std::vector<const VCardProperty*> x = ShownExtras(a);
    const std::vector<const VCardProperty*> y = ShownExtras(b);
    return std::equal(
        x.begin(), x.end(), y.begin(), y.end(),
        [](const VCardProperty* p, const VCardProperty* q) { return SameKeptProperty(*p, *q); });
}

void TakeCard(CContactRecord& mine, const CContactRecord& theirs) {
    std::vector<VCardProperty> merged;
    if (const CRecordExtras* extras = theirs.Extras())
        merged = extras->properties;
    for (const VCardProperty* p : ShownExtras(mine)) {
        const bool there = std::any_of(merged.begin(), merged.end(), [&](const VCardProperty& q) {
            return !q.held && SameKeptProperty(*p, q);
        });
        if (!there)
            merged.push_back(*p);
    }
    if (merged.empty() && !mine.Extras())
        return;
    mine.EditExtras().properties = std::move(merged);
    mine.DropEmptyExtras();
}

} // namespace kb::sync
