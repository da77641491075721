#pragma once
#include <array>
#include <cstdint>
#include <string>

class CArchive;

// Item label codes: a list position in the editor's label choices is the code.
enum ItemLabel : std::uint8_t {
    LABEL_HOME = 0,
    LABEL_WORK = 1,
    LABEL_MOBILE = 2,
    LABEL_PAGER = 3,
    LABEL_FAX = 4,
    LABEL_EMAIL = 5,
    LABEL_OTHER = 6,
    LABEL_NONE = 255,
};

// One contact. Text is kept as the bytes the data file holds; multi-line
// values keep CR LF line ends.
class CContactRecord {
public:
    static constexpr int kItemCount = 7;
    static constexpr int kOtherInfoCount = 4;
    static constexpr std::uint16_t kDefaultCategory = 1;

    CContactRecord();

    // The text of the first item (1 to 7) whose label equals the code; empty when none does.
    // A label of 255 is never found.
    const std::string& GetItemByLabel(std::uint8_t label) const;

    // Writes the record's fields to the data file or reads them from it.
    void Serialize(CArchive& ar);

    bool operator==(const CContactRecord&) const = default;

    std::string m_strFirstName;
    std::string m_strLastName;
    std::string m_strTitle;
    std::string m_strOtherRef;
    std::uint16_t m_nCategory = kDefaultCategory;
    std::uint8_t m_nDefaultItem = 0;
    std::array<std::string, kItemCount> m_strItem;
    std::array<std::uint8_t, kItemCount> m_nItemLabel;
    std::string m_strAddress;
    std::string m_strCity;
    std::string m_strState;
    std::string m_strZip;
    std::string m_strCountry;
    std::array<std::string, kOtherInfoCount> m_strOtherInfo;
    std::string m_strNotes;
};
