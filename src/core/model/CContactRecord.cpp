#include "model/CContactRecord.h"

CContactRecord::CContactRecord() {
    m_nItemLabel.fill(LABEL_NONE);
}

const std::string& CContactRecord::GetItemByLabel(std::uint8_t label) const {
    static const std::string empty;
    if (label == LABEL_NONE)
        return empty;
    for (int i = 0; i < kItemCount; ++i) {
        if (m_nItemLabel[i] == label)
            return m_strItem[i];
    }
    return empty;
}
