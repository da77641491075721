#include "sync/SyncRules.h"
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
             : there == Side::Changed   ? Action::Pull
                                        : Action::DeleteHere;
    case Side::Changed:
        return there == Side::Unchanged ? Action::Push
             : there == Side::Changed   ? Action::Conflict
                                        : Action::PushNew;
    case Side::Gone:
        return there == Side::Unchanged ? Action::DeleteThere
             : there == Side::Changed   ? Action::Restore
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

} // namespace kb::sync
