#include "print/CPrintText.h"
#include "model/CContactRecord.h"
#include "print/CPrintSettings.h"
#include "print/LineBreaker.h"
#include "view/DetailText.h"
#include "view/ExtraLines.h"

namespace {

// A label is the caption up to its colon; the blank after it starts the text.
std::string ItemCaption(std::uint8_t label) {
    std::string caption = ItemLabelText(label);
    if (!caption.empty() && caption.back() == ' ')
        caption.pop_back();
    return caption;
}

constexpr int kAllParts =
    PRINT_TITLE | PRINT_OTHER_REF | PRINT_PHONES | PRINT_ADDRESS | PRINT_OTHER_INFO | PRINT_NOTES;

} // namespace

CPrintText CPrintText::ForBook(const CContactRecord& record, int contentFlags) {
    return Build(record, contentFlags & kAllParts);
}

CPrintText CPrintText::ForRecord(const CContactRecord& record, bool printNotes) {
    CPrintText t = Build(record, kAllParts & ~PRINT_NOTES);
    // A single record also prints what it has beyond its fields, before the notes.
    for (ExtraLine& line : ExtraLines(record.Extras()))
        t.Add(line.label + ":", " " + line.value);
    if (printNotes && !record.m_strNotes.empty())
        t.Add("Notes:", " " + record.m_strNotes);
    return t;
}

void CPrintText::Add(std::string label, std::string text) {
    m_utf8.push_back(CLineBreaker::IsUtf8Text(text));
    m_entries.push_back({std::move(label), std::move(text)});
}

CPrintText CPrintText::Build(const CContactRecord& r, int flags) {
    CPrintText t;
    if (!r.m_strLastName.empty()) {
        t.Add({}, r.m_strFirstName.empty() ? r.m_strLastName
                                           : r.m_strLastName + ", " + r.m_strFirstName);
        t.m_bHasName = true;
    }
    if ((flags & PRINT_TITLE) && !r.m_strTitle.empty())
        t.Add({}, r.m_strTitle);
    if ((flags & PRINT_OTHER_REF) && !r.m_strOtherRef.empty())
        t.Add({}, r.m_strOtherRef);
    if (flags & PRINT_PHONES) {
        for (int i = 0; i < CContactRecord::kItemCount; ++i) {
            const auto n = static_cast<std::size_t>(i);
            if (!r.m_strItem[n].empty())
                t.Add(ItemCaption(r.m_nItemLabel[n]), " " + r.m_strItem[n]);
        }
    }
    if (flags & PRINT_ADDRESS) {
        if (!r.m_strAddress.empty())
            t.Add({}, r.m_strAddress);
        if (!r.m_strCity.empty())
            t.Add({}, r.m_strState.empty() ? r.m_strCity : r.m_strCity + ", " + r.m_strState);
        else if (!r.m_strState.empty())
            t.Add({}, r.m_strState);
        if (!r.m_strZip.empty())
            t.Add({}, r.m_strZip);
        if (!r.m_strCountry.empty())
            t.Add({}, r.m_strCountry);
    }
    if (flags & PRINT_OTHER_INFO) {
        for (const auto& info : r.m_strOtherInfo) {
            if (!info.empty())
                t.Add({}, info);
        }
    }
    if ((flags & PRINT_NOTES) && !r.m_strNotes.empty())
        t.Add("Notes:", " " + r.m_strNotes);
    return t;
}

char CPrintText::FirstCharacter() const {
    for (const auto& e : m_entries) {
        if (!e.m_strLabel.empty())
            return e.m_strLabel.front();
        if (!e.m_strText.empty())
            return e.m_strText.front();
    }
    return 0;
}
