#include "model/CContactRecord.h"
#include "model/CArchive.h"

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

void CContactRecord::Serialize(CArchive& ar) {
    // The file holds the last name before the first name.
    if (ar.IsStoring()) {
        ar.WriteString(m_strLastName);
        ar.WriteString(m_strFirstName);
        ar.WriteString(m_strTitle);
        ar.WriteString(m_strOtherRef);
        ar.WriteWord(m_nCategory);
        ar.WriteByte(m_nDefaultItem);
        for (const auto& item : m_strItem)
            ar.WriteString(item);
        for (const auto label : m_nItemLabel)
            ar.WriteByte(label);
        ar.WriteString(m_strAddress);
        ar.WriteString(m_strCity);
        ar.WriteString(m_strState);
        ar.WriteString(m_strZip);
        ar.WriteString(m_strCountry);
        for (const auto& line : m_strOtherInfo)
            ar.WriteString(line);
        ar.WriteString(m_strNotes);
        return;
    }
    ar.ReadString(m_strLastName);
    ar.ReadString(m_strFirstName);
    ar.ReadString(m_strTitle);
    ar.ReadString(m_strOtherRef);
    m_nCategory = ar.ReadWord();
    m_nDefaultItem = ar.ReadByte();
    for (auto& item : m_strItem)
        ar.ReadString(item);
    for (auto& label : m_nItemLabel)
        label = ar.ReadByte();
    ar.ReadString(m_strAddress);
    ar.ReadString(m_strCity);
    ar.ReadString(m_strState);
    ar.ReadString(m_strZip);
    ar.ReadString(m_strCountry);
    for (auto& line : m_strOtherInfo)
        ar.ReadString(line);
    ar.ReadString(m_strNotes);
}
