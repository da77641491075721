#include "print/CPageLayout.h"
#include "model/CCategoryList.h"
#include "model/NoCase.h"
#include "print/CPrintSettings.h"
#include "print/LineBreaker.h"
#include "view/DisplayName.h"
#include <algorithm>
#include <utility>
#include <vector>

CPageLayout::CPageLayout(IPageSurface& surface, const CPageGeometry& geometry,
                         const CLayoutMetrics& metrics)
    : m_surface(surface), m_geometry(geometry), m_metrics(metrics) {}

void CPageLayout::Reset(int drawPage) {
    m_nDrawPage = drawPage;
    m_nPageCount = 0;
    m_nPageNumber = 1;
    m_nColumn = 1;
    m_nX = m_geometry.m_nX1;
    m_nY = m_geometry.m_nY0;
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
    return m_nDrawPage == 0 || m_nPageNumber <= m_nDrawPage;
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

bool CPageLayout::LayOutEntry(const CPrintEntry& entry, int inset, int width, PrintFontId textFont,
                              int lineHeight) {
    const int labelWidth =
        entry.m_strLabel.empty() ? 0 : Width(PrintFontId::Label, entry.m_strLabel);
    m_surface.SelectFont(textFont);
    const auto lines = BreakEntry(entry, width, labelWidth, [this](std::string_view text) {
        return m_surface.GetTextWidth(text);
    });
    for (const auto& line : lines) {
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
        if (!Advance(lineHeight))
            return false;
    }
    return true;
}

int CPageLayout::RunBook(const CRecordList& records, const CCategoryList& categories,
                         const CPrintSettings& settings, int drawPage) {
    m_bBook = true;
    Reset(drawPage);
    const bool all = kb::EqualsNoCase(settings.m_strBookCategory, "All");
    const std::uint16_t category = all ? 0 : categories.IndexOf(settings.m_strBookCategory);
    const int columnWidth = m_geometry.m_size.m_nColumnWidth;
    const int indent = m_geometry.m_size.m_nIndent;
    bool firstSection = true;
    m_surface.SelectFont(PrintFontId::Body);

    // Sections A to Z, then "#": a record prints under its letter tab (a letter with a
    // diacritic under its base letter), in filing order within the section.
    std::vector<std::pair<int, const CContactRecord*>> book;
    for (const auto& record : records)
        if (all || record->m_nCategory == category)
            book.emplace_back(LetterIndexOf(*record), record.get());
    std::stable_sort(book.begin(), book.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    int section = -1;
    for (const auto& [letter, record] : book) {
        const CPrintText text = CPrintText::ForBook(*record, settings.m_nPrintData);
        m_surface.SelectFont(PrintFontId::Heading);

        if (letter != section) {
            if (settings.m_bAlphaPageBreak && !firstSection && !NewPage())
                return m_nPageCount;
            firstSection = false;
            section = letter;
            if (OnDrawPage())
                DrawLetterHeading(LetterText(letter).front(), m_nX, m_nY);
            if (!Advance(m_metrics.m_nHeadingLineHeight + 2))
                return m_nPageCount;
        }

        const auto& entries = text.Entries();
        std::size_t i = 0;
        if (text.HasName()) {
            if (!LayOutEntry(entries[0], 0, columnWidth, PrintFontId::Heading,
                             m_metrics.m_nHeadingLineHeight))
                return m_nPageCount;
            i = 1;
        }
        m_surface.SelectFont(PrintFontId::Body);
        for (; i < entries.size(); ++i) {
            if (!LayOutEntry(entries[i], indent, columnWidth - indent, PrintFontId::Body,
                             m_metrics.m_nBodyLineHeight))
                return m_nPageCount;
        }
    }
    return ++m_nPageCount;
}

int CPageLayout::RunRecord(const CPrintText& text, int drawPage) {
    m_bBook = false;
    Reset(drawPage);
    const int columnWidth = m_geometry.m_size.m_nColumnWidth;
    const auto& entries = text.Entries();
    std::size_t i = 0;

    m_surface.SelectFont(PrintFontId::Heading);
    if (text.HasName()) {
        // The name stays at the top of page 1, however long it is.
        const auto lines = BreakEntry(entries[0], columnWidth, 0, [this](std::string_view t) {
            return m_surface.GetTextWidth(t);
        });
        for (const auto& line : lines) {
            if (OnDrawPage())
                m_surface.DrawText(m_nX, m_nY, line.m_strText);
            m_nY += m_metrics.m_nHeadingLineHeight;
        }
        i = 1;
    }
    m_surface.SelectFont(PrintFontId::Body);
    m_nY += m_metrics.m_nBodyLineHeight;
    for (; i < entries.size(); ++i) {
        if (!LayOutEntry(entries[i], 0, columnWidth, PrintFontId::Body,
                         m_metrics.m_nBodyLineHeight))
            return m_nPageCount;
    }
    return ++m_nPageCount;
}
