#include "model/CCategoryFilter.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"

CCategoryFilter CCategoryFilter::Only(std::uint16_t index) {
    CCategoryFilter filter;
    filter.m_bAll = false;
    filter.m_nIndex = index;
    return filter;
}

CCategoryFilter CCategoryFilter::FromChoice(const CCategoryList& categories,
                                            std::string_view choice) {
    if (kb::EqualsNoCase(choice, kFilterAll))
        return {};
    return Only(categories.IndexOf(choice));
}

bool CCategoryFilter::Includes(const CContactRecord& record) const noexcept {
    return m_bAll || record.m_nCategory == m_nIndex;
}
