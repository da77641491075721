#include "print/CPageLayout.h"
#include "model/CCategoryFilter.h"
#include "print/CPrintSettings.h"
#include "print/LineBreaker.h"
#include "view/DisplayName.h"
#include <algorithm>
#include <utility>
#include <vector>

CPageLayout::CPageLayout(IPageSurface& surface, const CPageGeometry& geometry,
                         const CLayoutMetrics& metrics)
    : m_surface(surface), m_geometry(geometry), m_metrics(metrics) {}

void CPageLayout::Reset(int drawPage, std::vector<CPageStart>* pageStarts, const CPageStart* from) {
    m_nDrawPage = drawPage;
    m_pPageStarts = pageStarts;
    m_bStopped = false;
    m_nPageCount = 0;
    m_nPageNumber = 1;
    m_nColumn = 1;
    m_nX = m_geometry.m_nX1;
    m_nY = m_geometry.m_nY0;
    m_next = CPageStart();
    if (pageStarts && drawPage == 0 && from && !pageStarts->empty()) {
        // A count that goes on from the last page an earlier pass reached.
        const int page = static_cast<int>(pageStarts->size());
        m_nPageCount = page - 1;
        m_nPageNumber = page;
        m_next = *from;
        return;
    }
    if (pageStarts) {
        pageStarts->clear();
        pageStarts->push_back(m_next);
    }
    if (from && drawPage > 1) {
        // The pages before drawPage have been laid out by the counting pass.
        m_nPageCount = drawPage - 1;
        m_nPageNumber = drawPage;
        m_next = *from;
    }
}

int CPageLayout::Width(PrintFontId font, std::string_view text) {
    m_surface.SelectFont(font);
    return m_surface.GetTextWidth(text);
}

bool CPageLayout::NewPage() {
    ++m_nPageCount;
    ++m_nPageNumber;
    m_nColumn = 1;
    m_nX = m_geometry.m_nX1;
    m_nY = m_geometry.m_nY0;
    if (m_nDrawPage != 0)
        return m_nPageNumber <= m_nDrawPage;
    if (m_pPageStarts)
        m_pPageStarts->push_back(m_next);
    if (m_onPage && !m_onPage(m_nPageCount)) {
        m_bStopped = true;
        return false;
    }
    return true;
}

bool CPageLayout::Advance(int h) {
    m_nY += h;
    if (m_nY < m_geometry.m_nYB)
        return true;
    if (m_bBook && m_geometry.m_size.m_nColumns == 2 && m_nColumn == 1) {
        m_nColumn = 2;
        m_nX = m_geometry.m_nX2;
        m_nY = m_geometry.m_nY0;
        return true;
    }
    return NewPage();
}

void CPageLayout::DrawLetterHeading(char letter, int x, int y) {
    const int columnWidth = m_geometry.m_size.m_nColumnWidth;
    const int bottom = y + m_metrics.m_nHeadingLineHeight - m_metrics.m_nHeadingDescent +
                       m_metrics.m_nHeadingInternalLeading;
    m_surface.FillRect(x, y, x + columnWidth, bottom, CRgb{192, 192, 192});
    const std::string_view k(&letter, 1);
    const int w = Width(PrintFontId::Heading, k);
    m_surface.DrawText(x + (columnWidth - w) / 2, y, k);
    m_surface.FrameRect(x + 2, y + 2, x + columnWidth - 2, bottom);
}

bool CPageLayout::LayOutEntry(const CPrintEntry& entry, bool utf8, int inset, int width,
                              PrintFontId textFont, int lineHeight, const CBreakPosition& from) {
    const int labelWidth =
        entry.m_strLabel.empty() ? 0 : Width(PrintFontId::Label, entry.m_strLabel);
    m_surface.SelectFont(textFont);
    const CLineBreaker::Measure measure = [this](std::string_view text) {
        return m_surface.GetTextWidth(text);
    };
    // Only the lines from where the page begins are broken, one at a time: a page of a
    // long note costs what the page shows.
    CLineBreaker breaker(entry, utf8, width, labelWidth, measure, from);
    for (CPrintLine line; breaker.Next(line);) {
        if (OnDrawPage()) {
            // A line may fall into the next column: x follows the column.
            const int x = m_nX + inset;
            int textX = x;
            if (!line.m_strLabel.empty()) {
                m_surface.SelectFont(PrintFontId::Label);
                m_surface.DrawText(x, m_nY, line.m_strLabel);
                textX += labelWidth;
            }
            m_surface.SelectFont(textFont);
            m_surface.DrawText(textX, m_nY, line.m_strText);
        }
        m_next.m_line = breaker.Position();
        if (!Advance(lineHeight))
            return false;
    }
    return true;
}

CBookOrder CPageLayout::BookOrder(const CRecordList& records, const CCategoryList& categories,
                                  const CPrintSettings& settings) {
    const auto filter = CCategoryFilter::FromChoice(categories, settings.m_strBookCategory);
    // Sections A to Z, then "#": a record prints under its letter tab (a letter with a
    // diacritic under its base letter), in filing order within the section.
    CBookOrder book;
    for (const auto& record : records)
        if (filter.Includes(*record))
            book.push_back({LetterIndexOf(*record), record.get()});
    std::stable_sort(book.begin(), book.end(),
                     [](const CBookEntry& a, const CBookEntry& b) { return a.letter < b.letter; });
    return book;
}

int CPageLayout::RunBook(const CRecordList& records, const CCategoryList& categories,
                         const CPrintSettings& settings, int drawPage,
                         std::vector<CPageStart>* pageStarts, const CPageStart* from) {
    return RunBook(BookOrder(records, categories, settings), settings, drawPage, pageStarts, from);
}

int CPageLayout::RunBook(const CBookOrder& book, const CPrintSettings& settings, int drawPage,
                         std::vector<CPageStart>* pageStarts, const CPageStart* from) {
    m_bBook = true;
    Reset(drawPage, pageStarts, from);
    const int columnWidth = m_geometry.m_size.m_nColumnWidth;
    const int indent = m_geometry.m_size.m_nIndent;

    // A page that starts inside a record resumes it where the page before it ended.
    const CPageStart resume = m_next;
    bool resuming = m_nPageNumber > 1;

    for (std::size_t r = resume.m_nRecord; r < book.size(); ++r) {
        const auto [letter, record] = book[r];
        const CPrintText text = CPrintText::ForBook(*record, settings.m_nPrintData);
        m_surface.SelectFont(PrintFontId::Heading);
        m_next = CPageStart{r, CPageStart::kHeading, {}, m_next.m_section, m_next.m_bFirstSection};

        const bool atHeading = !resuming || resume.m_nEntry == CPageStart::kHeading;
        if (atHeading && letter != m_next.m_section) {
            // A page that starts at this heading has had its break already.
            if (settings.m_bAlphaPageBreak && !m_next.m_bFirstSection && !resuming && !NewPage())
                return m_nPageCount;
            m_next.m_bFirstSection = false;
            m_next.m_section = letter;
            m_next.m_nEntry = 0;
            if (OnDrawPage())
                DrawLetterHeading(LetterText(letter).front(), m_nX, m_nY);
            if (!Advance(m_metrics.m_nHeadingLineHeight + 2))
                return m_nPageCount;
        }

        std::size_t i = 0;
        CBreakPosition line;
        if (resuming && resume.m_nEntry != CPageStart::kHeading) {
            i = resume.m_nEntry;
            line = resume.m_line;
        }
        resuming = false;
        const auto& entries = text.Entries();
        if (i == 0 && text.HasName()) {
            m_next.m_nEntry = 0;
            if (!LayOutEntry(entries[0], text.IsUtf8(0), 0, columnWidth, PrintFontId::Heading,
                             m_metrics.m_nHeadingLineHeight, line))
                return m_nPageCount;
            i = 1;
            line = {};
        }
        m_surface.SelectFont(PrintFontId::Body);
        for (; i < entries.size(); ++i, line = {}) {
            m_next.m_nEntry = i;
            if (!LayOutEntry(entries[i], text.IsUtf8(i), indent, columnWidth - indent,
                             PrintFontId::Body, m_metrics.m_nBodyLineHeight, line))
                return m_nPageCount;
        }
    }
    return ++m_nPageCount;
}

int CPageLayout::RunRecord(const CPrintText& text, int drawPage,
                           std::vector<CPageStart>* pageStarts, const CPageStart* from) {
    m_bBook = false;
    Reset(drawPage, pageStarts, from);
    const int columnWidth = m_geometry.m_size.m_nColumnWidth;
    const auto& entries = text.Entries();
    std::size_t i = 0;
    CBreakPosition line;

    m_surface.SelectFont(PrintFontId::Heading);
    if (m_nPageNumber > 1) {
        // Only the entries after the name go on to later pages.
        i = m_next.m_nEntry;
        line = m_next.m_line;
    } else {
        if (text.HasName()) {
            // The name stays at the top of page 1, however long it is.
            const auto lines = BreakEntry(entries[0], columnWidth, 0, [this](std::string_view t) {
                return m_surface.GetTextWidth(t);
            });
            for (const auto& nameLine : lines) {
                if (OnDrawPage())
                    m_surface.DrawText(m_nX, m_nY, nameLine.m_strText);
                m_nY += m_metrics.m_nHeadingLineHeight;
            }
            i = 1;
        }
        m_nY += m_metrics.m_nBodyLineHeight;
    }
    m_surface.SelectFont(PrintFontId::Body);
    for (; i < entries.size(); ++i, line = {}) {
        m_next.m_nEntry = i;
        if (!LayOutEntry(entries[i], text.IsUtf8(i), 0, columnWidth, PrintFontId::Body,
                         m_metrics.m_nBodyLineHeight, line))
            return m_nPageCount;
    }
    return ++m_nPageCount;
}
