#include "print/CPrintJob.h"
#include "edit/DateStamp.h"
#include "port/IClock.h"
#include "port/IMessageBox.h"
#include <iomanip>
#include <locale>
#include <sstream>

CPrintJob::CPrintJob(PrintMode mode, const CPrintSettings& settings, const CRecordList& records,
                     const CCategoryList& categories, const CContactRecord* record,
                     const IClock& clock)
    : m_mode(mode), m_settings(settings), m_records(records), m_categories(categories),
      m_pRecord(record), m_clock(clock), m_geometry(CPageGeometry::Compute(settings)) {}

CFontRequest CPrintJob::FontFor(PrintFontId id, const CPrintFont& font) {
    const int s = font.m_nHeight;
    switch (id) {
    case PrintFontId::Footer:
        return {font.m_strFaceName, 140, 400};
    case PrintFontId::Body:
        return {font.m_strFaceName, -20 * s, 400};
    case PrintFontId::Label:
        return {font.m_strFaceName, -20 * s, 700};
    case PrintFontId::Heading:
        return {font.m_strFaceName, 60 - 20 * s, 700};
    }
    return {};
}

int CPrintJob::BeginPrinting(IPageSurface& surface, const PageCallback& onPage) {
    BeginCounting(surface);
    if (!CountOn(surface, 0, onPage)) {
        m_pageStarts.clear();
        return -1;
    }
    return m_nPageCount;
}

void CPrintJob::BeginCounting(IPageSurface& surface) {
    for (PrintFontId id :
         {PrintFontId::Footer, PrintFontId::Body, PrintFontId::Label, PrintFontId::Heading})
        surface.CreateFont(id, FontFor(id, m_settings.m_font));

    surface.SelectFont(PrintFontId::Heading);
    const CFontMetrics heading = surface.GetMetrics();
    surface.SelectFont(PrintFontId::Body);
    const CFontMetrics body = surface.GetMetrics();
    m_metrics.m_nHeadingLineHeight = heading.m_nHeight + heading.m_nExternalLeading;
    m_metrics.m_nBodyLineHeight = body.m_nHeight + body.m_nExternalLeading;
    m_metrics.m_nHeadingDescent = heading.m_nDescent;
    m_metrics.m_nHeadingInternalLeading = heading.m_nInternalLeading;
    // A font that reports no height would never fill a page.
    if (m_metrics.m_nHeadingLineHeight <= 0)
        m_metrics.m_nHeadingLineHeight = 1;
    if (m_metrics.m_nBodyLineHeight <= 0)
        m_metrics.m_nBodyLineHeight = 1;

    if (m_mode == PrintMode::Record)
        m_recordText = m_pRecord ? CPrintText::ForRecord(*m_pRecord, m_settings.m_bContactNotes)
                                 : CPrintText();
    else
        m_book = CPageLayout::BookOrder(m_records, m_categories, m_settings);
    m_pageStarts.assign(1, CPageStart());
    m_nPageCount = 0;
    m_bCounted = false;
}

bool CPrintJob::CountOn(IPageSurface& surface, int pages, const PageCallback& onPage) {
    if (m_bCounted)
        return true;
    CPageLayout layout(surface, m_geometry, m_metrics);
    int counted = 0;
    layout.SetPageCallback([&](int pagesSoFar) {
        if (onPage && !onPage(pagesSoFar))
            return false;
        return pages <= 0 || ++counted < pages;
    });
    // From where the last step stopped (page 1 at first).
    const CPageStart last = m_pageStarts.back();
    const int count = m_mode == PrintMode::Record
                          ? layout.RunRecord(m_recordText, 0, &m_pageStarts, &last)
                          : layout.RunBook(m_book, m_settings, 0, &m_pageStarts, &last);
    if (!layout.Completed())
        return false;
    m_nPageCount = count;
    m_bCounted = true;
    return true;
}

void CPrintJob::PrintPage(IPageSurface& surface, int page) {
    const CPageGeometry& g = m_geometry;
    if (m_settings.m_bBorder) {
        surface.SetPen(PenStyle::Dash);
        surface.FrameRect(g.m_nOutlineLeft, g.m_nOutlineTop, g.m_nOutlineRight, g.m_nOutlineBottom);
    }
    surface.SetPen(PenStyle::Solid);

    CPageLayout layout(surface, m_geometry, m_metrics);
    const std::size_t index = static_cast<std::size_t>(page) - 1;
    const CPageStart* from = !m_bFromFirstRecord && page >= 1 && index < m_pageStarts.size()
                                 ? &m_pageStarts[index]
                                 : nullptr;
    if (m_mode == PrintMode::Record)
        layout.RunRecord(m_recordText, page, nullptr, from);
    else
        layout.RunBook(m_book, m_settings, page, nullptr, from);

    if (g.m_size.m_nColumns == 2)
        surface.DrawLine(g.m_nRuleX, g.m_nY0, g.m_nRuleX, g.m_nYB);

    surface.SelectFont(PrintFontId::Footer);
    surface.DrawText(g.m_nFooterX, g.m_nFooterY, FooterText(page, m_clock.Now()));
}

std::string CPrintJob::FooterText(int page, const std::tm& now) {
    // The same clock as the notes' stamp, in the same locale.
    return "Page " + std::to_string(page) + " : " + FormatLocalTime(now, false);
}

bool CPrintJob::ConfirmPage(IMessageBox& messageBox, bool pause, bool preview, int page,
                            int firstPage, int lastPage, int jobLastPage) {
    if (!pause || preview || page <= firstPage || page > lastPage || page > jobLastPage)
        return true;
    return messageBox.Show("Press enter to continue printing.", "Paused Printing",
                           MbIcon::Exclamation, MbButtons::OkCancel) != MbResult::Cancel;
}
