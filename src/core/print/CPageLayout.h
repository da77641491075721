#pragma once
#include "model/CRecordList.h"
#include "print/CPageGeometry.h"
#include "print/CPrintText.h"
#include "print/IPageSurface.h"
#include <string_view>

class CCategoryList;
struct CPrintSettings;
struct CPrintLine;

// Line heights of a job, measured once with each font selected.
struct CLayoutMetrics {
    int m_nHeadingLineHeight = 0; // heading font height + external leading
    int m_nBodyLineHeight = 0;    // body font height + external leading
    int m_nHeadingDescent = 0;
    int m_nHeadingInternalLeading = 0;
};

// One pass of the book or record layout. A counting pass (page 0) draws nothing and
// returns the page count; a drawing pass lays out from the start again and draws only
// what falls on its page, ending once the layout has gone past that page.
class CPageLayout {
public:
    CPageLayout(IPageSurface& surface, const CPageGeometry& geometry,
                const CLayoutMetrics& metrics);

    // The records of the category (or all of them for "All") in list order, grouped
    // under letter headings.
    int RunBook(const CRecordList& records, const CCategoryList& categories,
                const CPrintSettings& settings, int drawPage);
    // One record, in one column whatever the size.
    int RunRecord(const CPrintText& text, int drawPage);

private:
    void Reset(int drawPage);
    bool OnDrawPage() const { return m_nDrawPage != 0 && m_nPageNumber == m_nDrawPage; }
    // Moves down by h; a full column moves to the next column (book, two columns) or
    // the next page. False when a drawing pass has passed its page.
    bool Advance(int h);
    bool NewPage();
    void DrawLetterHeading(char letter, int x, int y);
    // Breaks an entry for the width and draws and advances line by line, the label in
    // the label font and the text after it in textFont. False when the pass ended.
    // inset is the entry's distance from the column's left edge.
    bool LayOutEntry(const CPrintEntry& entry, int inset, int width, PrintFontId textFont,
                     int lineHeight);
    int Width(PrintFontId font, std::string_view text);

    IPageSurface& m_surface;
    const CPageGeometry& m_geometry;
    const CLayoutMetrics& m_metrics;
    bool m_bBook = false;
    int m_nDrawPage = 0;
    int m_nPageCount = 0;
    int m_nPageNumber = 1;
    int m_nColumn = 1;
    int m_nX = 0;
    int m_nY = 0;
};
