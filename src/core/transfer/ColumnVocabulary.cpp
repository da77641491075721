#include "transfer/ColumnVocabulary.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"

namespace transfer {

int ResolveField(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (kb::EqualsNoCase(name, kFieldNames[static_cast<std::size_t>(i)]))
            return i;
    }
    return -1;
}

std::uint8_t ItemLabelOf(Field field) {
    switch (field) {
    case Field::Home:
        return LABEL_HOME;
    case Field::Work:
        return LABEL_WORK;
    case Field::Pager:
        return LABEL_PAGER;
    case Field::Mobile:
        return LABEL_MOBILE;
    case Field::Fax:
        return LABEL_FAX;
    case Field::EMail:
        return LABEL_EMAIL;
    case Field::Other:
        return LABEL_OTHER;
    default:
        return LABEL_NONE;
    }
}

CRecordText* TextMember(CContactRecord& r, Field field) {
    switch (field) {
    case Field::FirstName:
        return &r.m_strFirstName;
    case Field::LastName:
        return &r.m_strLastName;
    case Field::Title:
        return &r.m_strTitle;
    case Field::OtherRef:
        return &r.m_strOtherRef;
    case Field::Address:
        return &r.m_strAddress;
    case Field::City:
        return &r.m_strCity;
    case Field::State:
        return &r.m_strState;
    case Field::Zip:
        return &r.m_strZip;
    case Field::Country:
        return &r.m_strCountry;
    case Field::OtherInfo1:
        return &r.m_strOtherInfo[0];
    case Field::OtherInfo2:
        return &r.m_strOtherInfo[1];
    case Field::OtherInfo3:
        return &r.m_strOtherInfo[2];
    case Field::OtherInfo4:
        return &r.m_strOtherInfo[3];
    case Field::Notes:
        return &r.m_strNotes;
    default:
        return nullptr;
    }
}

std::string_view FieldValue(const CContactRecord& record, Field field,
                            const CCategoryList& categories) {
    if (field == Field::Category)
        return categories.NameOf(record.m_nCategory);
    const std::uint8_t label = ItemLabelOf(field);
    if (label != LABEL_NONE)
        return record.GetItemByLabel(label);
    // The member is only read here.
    return *TextMember(const_cast<CContactRecord&>(record), field);
}

} // namespace transfer
