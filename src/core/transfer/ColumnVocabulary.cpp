#include "transfer/ColumnVocabulary.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include "transfer/ColumnProperties.h"
#include <iterator>

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

std::string_view WithoutTwinNumber(std::string_view last) {
    std::size_t i = last.size();
    while (i > 0 && last[i - 1] >= '0' && last[i - 1] <= '9')
        --i;
    if (i < last.size() && i >= 2 && last[i - 1] == '#' && last[i - 2] == ' ')
        return last.substr(0, i - 2);
    return last;
}

int ResolveExportColumn(std::string_view name) {
    if (const int f = ResolveField(name); f >= 0)
        return f;
    for (std::size_t k = 0; k < std::size(kKeptColumnNames); ++k) {
        if (kb::EqualsNoCase(name, kKeptColumnNames[k]))
            return kFirstKeptColumn + static_cast<int>(k);
    }
    return -1;
}

std::string_view ExportColumnName(int column) {
    if (column >= 0 && column < kFieldCount)
        return FieldName(static_cast<Field>(column));
    const int k = column - kFirstKeptColumn;
    if (k >= 0 && k < static_cast<int>(std::size(kKeptColumnNames)))
        return kKeptColumnNames[static_cast<std::size_t>(k)];
    return {};
}

namespace {

// The text of the record's nth item with this label, or empty.
std::string_view NthItem(const CContactRecord& record, std::uint8_t label, int nth) {
    for (std::size_t i = 0; i < record.m_strItem.size(); ++i) {
        if (record.m_nItemLabel[i] == label && nth-- == 0)
            return record.m_strItem[i];
    }
    return {};
}

// The nth kept property with this name: the ones shown first, then those a field holds
// (a card's ORG may be held by a field and still be the organization).
const VCardProperty* NthProperty(const CRecordExtras& extras, std::string_view name, int nth,
                                 bool shownOnly) {
    for (const bool held : {false, true}) {
        if (held && shownOnly)
            break;
        for (const VCardProperty& p : extras.properties) {
            if (p.held == held && p.name == name && nth-- == 0)
                return &p;
        }
    }
    return nullptr;
}

std::string_view KeptValue(const CRecordExtras& extras, KeptColumn kept, int nth,
                           std::string& scratch) {
    static constexpr std::string_view kNames[] = {"BDAY", "NICKNAME", "URL",
                                                  "ORG",  "ORG",      "CATEGORIES"};
    const bool org = kept == KeptColumn::Organization || kept == KeptColumn::Department;
    const VCardProperty* p =
        NthProperty(extras, kNames[static_cast<int>(kept)], nth, kept == KeptColumn::Groups);
    if (!p)
        return {};
    scratch.clear();
    if (org) {
        const std::vector<std::string> parts = p->Components();
        for (std::size_t i = kept == KeptColumn::Organization ? 0 : 1; i < parts.size(); ++i) {
            if (!scratch.empty())
                scratch += "; ";
            scratch += parts[i];
            if (kept == KeptColumn::Organization)
                break;
        }
    } else if (kept == KeptColumn::Groups || kept == KeptColumn::Nickname) {
        // Several names as the web mail service writes them, which an import splits again.
        for (const std::string& name : p->List()) {
            if (!scratch.empty())
                scratch += " ::: ";
            scratch += name;
        }
    } else {
        const std::string date = kept == KeptColumn::Birthday ? IsoDate(p->value) : "";
        scratch = date.empty() ? p->Text() : date;
    }
    return scratch;
}

} // namespace

std::string_view ExportValue(const CContactRecord& record, int column, int nth,
                             const CCategoryList& categories, std::string& scratch) {
    if (column >= kFirstKeptColumn) {
        const CRecordExtras* extras = record.Extras();
        return extras ? KeptValue(*extras, static_cast<KeptColumn>(column - kFirstKeptColumn), nth,
                                  scratch)
                      : std::string_view();
    }
    if (column < 0)
        return {};
    const auto field = static_cast<Field>(column);
    if (field == Field::LastName)
        return WithoutTwinNumber(record.m_strLastName);
    if (nth > 0) {
        if (const std::uint8_t label = ItemLabelOf(field); label != LABEL_NONE)
            return NthItem(record, label, nth);
    }
    return FieldValue(record, field, categories);
}

} // namespace transfer
