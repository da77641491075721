// Files a random sequence of records and checks that the list stays a permutation of
// what went in: nothing lost, nothing duplicated, every record present once, and no two
// records with one name.
#include "edit/FilingRule.h"
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {
// A tiny alphabet makes equal and numbered names frequent.
std::string Name(uint8_t b) {
    static const char* const names[] = {
        "Smith", "smith",       "SMITH", "Smith #1", "Smith #2", "Jones", "",    "a",
        "A",     "Smith #1 #1", "#1",    "Zed",      "smith #2", "Lee",   "lee", "Smith #3"};
    return names[b & 15];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecordList list;
    std::set<const CContactRecord*> filed;
    for (size_t i = 0; i + 1 < size && i < 2000; i += 2) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = Name(data[i]);
        r->m_strFirstName = Name(data[i + 1] >> 4);
        const CContactRecord* p = r.get();
        const std::size_t pos = FileRecord(list, std::move(r));
        if (pos >= list.size() || list[pos].get() != p)
            std::abort(); // the returned position must hold the record
        if (HasTwin(list, *p))
            std::abort(); // a filed record never shares its name with another
        filed.insert(p);
    }
    if (list.size() != filed.size())
        std::abort();
    std::set<const CContactRecord*> seen;
    for (const auto& r : list) {
        if (!filed.count(r.get()) || !seen.insert(r.get()).second)
            std::abort();
    }
    return 0;
}
