#include "edit/FilingRule.h"
#include "model/NoCase.h"
#include <string>

namespace {

std::string Numbered(const std::string& base, int k) {
    return base + " #" + std::to_string(k);
}

std::size_t InsertAt(CRecordList& list, std::size_t pos, std::unique_ptr<CContactRecord> r) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), std::move(r));
    return pos;
}

} // namespace

std::size_t FileRecord(CRecordList& list, std::unique_ptr<CContactRecord> r) {
    using kb::CompareNoCase;
    using kb::EqualsNoCase;
    if (list.empty())
        return InsertAt(list, 0, std::move(r));
    std::size_t e = 0;
    for (;; ++e) {
        const CContactRecord& entry = *list[e];
        const int c = CompareNoCase(entry.m_strLastName, r->m_strLastName);
        if (c > 0)
            return InsertAt(list, e, std::move(r));
        if (c < 0 || !EqualsNoCase(entry.m_strFirstName, r->m_strFirstName)) {
            if (e + 1 == list.size())
                return InsertAt(list, list.size(), std::move(r));
            continue;
        }
        break; // a duplicate of entry e
    }
    const std::string base = r->m_strLastName;
    int k = 1;
    for (;;) {
        if (e + 1 == list.size()) {
            r->m_strLastName = Numbered(base, k);
            return InsertAt(list, e + 1, std::move(r));
        }
        const CContactRecord& next = *list[e + 1];
        const std::string candidate = Numbered(base, k);
        ++k;
        if (!EqualsNoCase(next.m_strLastName, candidate) ||
            !EqualsNoCase(next.m_strFirstName, r->m_strFirstName)) {
            r->m_strLastName = candidate;
            return InsertAt(list, e + 1, std::move(r));
        }
        if (e + 2 == list.size()) {
            r->m_strLastName = Numbered(base, k);
            return InsertAt(list, list.size(), std::move(r));
        }
        ++e;
    }
}
