#include "edit/FilingRule.h"
#include "model/NoCase.h"
#include <set>
#include <string>

namespace {

std::string Numbered(const std::string& base, int k) {
    return base + " #" + std::to_string(k);
}

std::size_t InsertAt(CRecordList& list, std::size_t pos, std::unique_ptr<CContactRecord> r) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), std::move(r));
    return pos;
}

// Where the walk from the head puts the record: before the first greater last name, or,
// when it meets a namesake first, behind the run of that namesake's numbered twins.
std::size_t PlaceOf(const CRecordList& list, const CContactRecord& r) {
    using kb::CompareNoCase;
    using kb::EqualsNoCase;
    std::size_t e = 0;
    for (; e < list.size(); ++e) {
        const CContactRecord& entry = *list[e];
        const int c = CompareNoCase(entry.m_strLastName, r.m_strLastName);
        if (c > 0)
            return e;
        if (c == 0 && EqualsNoCase(entry.m_strFirstName, r.m_strFirstName))
            break;
    }
    if (e == list.size())
        return e;
    for (int k = 1; e + 1 < list.size(); ++k, ++e) {
        const CContactRecord& next = *list[e + 1];
        if (!EqualsNoCase(next.m_strLastName, Numbered(r.m_strLastName, k)) ||
            !EqualsNoCase(next.m_strFirstName, r.m_strFirstName))
            break;
    }
    return e + 1;
}

// k when text is exactly "base #k" (ignoring case) for a k >= 1 written without leading
// zeros; 0 otherwise.
int NumberAfter(const std::string& text, const std::string& base) {
    if (text.size() < base.size() + 3 || !kb::StartsWithNoCase(text, base) ||
        text.compare(base.size(), 2, " #") != 0)
        return 0;
    const std::string digits = text.substr(base.size() + 2);
    if (digits.size() > 9 || digits[0] == '0')
        return 0;
    int k = 0;
    for (char d : digits) {
        if (d < '0' || d > '9')
            return 0;
        k = k * 10 + (d - '0');
    }
    return k;
}

} // namespace

std::string FreeTwinName(const CRecordList& list, const std::string& last,
                         const std::string& first) {
    bool taken = false;
    std::set<int> numbers;
    for (const auto& r : list) {
        if (!kb::EqualsNoCase(r->m_strFirstName, first))
            continue;
        if (kb::EqualsNoCase(r->m_strLastName, last))
            taken = true;
        else if (const int k = NumberAfter(r->m_strLastName, last))
            numbers.insert(k);
    }
    if (!taken)
        return last;
    int k = 1;
    for (auto it = numbers.begin(); it != numbers.end() && *it == k; ++it)
        ++k;
    return Numbered(last, k);
}

std::size_t FileRecord(CRecordList& list, std::unique_ptr<CContactRecord> r) {
    const std::size_t pos = PlaceOf(list, *r);
    r->m_strLastName = FreeTwinName(list, r->m_strLastName, r->m_strFirstName);
    return InsertAt(list, pos, std::move(r));
}

bool HasTwin(const CRecordList& list, const CContactRecord& record) {
    for (const auto& r : list)
        if (r.get() != &record && kb::EqualsNoCase(r->m_strLastName, record.m_strLastName) &&
            kb::EqualsNoCase(r->m_strFirstName, record.m_strFirstName))
            return true;
    return false;
}
