#include "view/DetailText.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "view/ExtraLines.h"

namespace {
constexpr const char* kCrLf = "\r\n";
}

const char* ItemLabelText(std::uint8_t label) {
    switch (label) {
    case LABEL_HOME:
        return "Home: ";
    case LABEL_WORK:
        return "Work: ";
    case LABEL_MOBILE:
        return "Mobile: ";
    case LABEL_PAGER:
        return "Pager: ";
    case LABEL_FAX:
        return "Fax: ";
    case LABEL_EMAIL:
        return "E-Mail: ";
    default:
        return "Other: ";
    }
}

std::string ComposeDetailText(const CContactRecord& r, const CCategoryList& categories) {
    std::string text;
    text.reserve(256);
    text += "Category: ";
    text += categories.NameOf(r.m_nCategory);
    text += kCrLf;

    if (!r.m_strFirstName.empty()) {
        text += r.m_strFirstName;
        text += ' ';
    }
    text += r.m_strLastName;
    text += "\r\n\r\n";

    // Appends value + CR LF when the value is non-empty; tells whether it did.
    auto line = [&text](const std::string& value) {
        if (value.empty())
            return false;
        text += value;
        text += kCrLf;
        return true;
    };
    auto endBlock = [&text](bool written) {
        if (written)
            text += kCrLf;
    };

    bool any = line(r.m_strTitle);
    any = line(r.m_strOtherRef) || any;
    endBlock(any);

    any = false;
    for (int i = 0; i < CContactRecord::kItemCount; ++i) {
        const CRecordText& item = r.m_strItem[static_cast<std::size_t>(i)];
        if (item.empty())
            continue;
        text += ItemLabelText(r.m_nItemLabel[static_cast<std::size_t>(i)]);
        text += item;
        text += kCrLf;
        any = true;
    }
    endBlock(any);

    any = line(r.m_strAddress);
    if (!r.m_strCity.empty()) {
        text += r.m_strCity;
        if (!r.m_strState.empty()) {
            text += ", ";
            text += r.m_strState;
        }
        text += kCrLf;
        any = true;
    } else {
        any = line(r.m_strState) || any;
    }
    any = line(r.m_strZip) || any;
    any = line(r.m_strCountry) || any;
    endBlock(any);

    any = false;
    for (const auto& info : r.m_strOtherInfo)
        any = line(info) || any;
    endBlock(any);

    if (!r.m_strNotes.empty()) {
        text += "NOTES: ";
        text += kCrLf;
        text += r.m_strNotes;
    }

    // What the contact has beyond its fields follows as labelled lines, a block of its own.
    const std::string extras = ExtraLinesText(r.Extras());
    if (!extras.empty()) {
        if (!text.ends_with(kCrLf))
            text += kCrLf;
        if (!text.ends_with("\r\n\r\n"))
            text += kCrLf;
        text += extras;
    }
    return text;
}

std::string ItemColumnCaption(const CContactRecord& r) {
    const std::size_t d = r.m_nDefaultItem;
    if (d < static_cast<std::size_t>(CContactRecord::kItemCount) && !r.m_strItem[d].empty())
        return ItemLabelText(r.m_nItemLabel[d]);
    return {};
}

const CRecordText& DefaultItemText(const CContactRecord& r) {
    const std::size_t d = r.m_nDefaultItem;
    return d < static_cast<std::size_t>(CContactRecord::kItemCount) ? r.m_strItem[d]
                                                                    : r.m_strItem[0];
}
