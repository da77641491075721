#pragma once
#include <cstdint>
#include <string_view>

class CCategoryList;
class CContactRecord;

// "All or one category": which records the main list, the printed book and the export take.
// Every record, or those filed under one category.
class CCategoryFilter {
public:
    // Every record.
    CCategoryFilter() = default;
    // The records filed under the category at index.
    static CCategoryFilter Only(std::uint16_t index);
    // What a category drop-down's choice selects: "All" (any case) every record; any other
    // name the records of the first category of that name, or of "Unfiled" when none has it.
    static CCategoryFilter FromChoice(const CCategoryList& categories, std::string_view choice);

    bool IsAll() const noexcept { return m_bAll; }
    // The one category's index; 0 for every record.
    std::uint16_t Index() const noexcept { return m_nIndex; }
    bool Includes(const CContactRecord& record) const noexcept;

private:
    bool m_bAll = true;
    std::uint16_t m_nIndex = 0;
};
