#pragma once
#include "model/CRecordList.h"
#include "print/CPageGeometry.h"
#include "print/CPrintText.h"
#include "print/IPageSurface.h"
#include "print/LineBreaker.h"
#include <functional>
#include <string_view>
#include <vector>

class CCategoryList;
struct CPrintSettings;

// A record of the book and the letter tab (0 to 25, or the "#" tab) it prints under.
struct CBookEntry {
    int letter = 0;
    const CContactRecord* record = nullptr;
};
// The records a book prints, in the order it prints them.
using CBookOrder = std::vector<CBookEntry>;

// Line heights of a job, measured once with each font selected.
struct CLayoutMetrics {
    int m_nHeadingLineHeight = 0; // heading font height + external leading
    int m_nBodyLineHeight = 0;    // body font height + external leading
    int m_nHeadingDescent = 0;
    int m_nHeadingInternalLeading = 0;
};

// Where a layout stands at the top of a page: what comes next and the section state,
// enough to lay that page out without going through the pages before it. A page always
// starts in column 1 at the top of the text.
struct CPageStart {
    // Before a record's letter heading (a new page per letter breaks there).
    static constexpr std::size_t kHeading = static_cast<std::size_t>(-1);

    std::size_t m_nRecord = 0; // position in the record list (book)
    std::size_t m_nEntry = 0;  // entry of the record's print text, or kHeading
    CBreakPosition m_line;     // how far that entry is laid out
    int m_section = -1;        // letter tab of the last heading (-1: none yet)
    bool m_bFirstSection = true;
    bool operator==(const CPageStart&) const = default;
};

// One pass of the book or record layout. A counting pass (page 0) draws nothing and
// returns the page count; it can keep where every page starts. A drawing pass draws
// only what falls on its page, ending once the layout has gone past that page; given
// where its page starts, it begins there instead of at the first record.
class CPageLayout {
public:
    CPageLayout(IPageSurface& surface, const CPageGeometry& geometry,
                const CLayoutMetrics& metrics);

    // Called by a counting pass at the start of every page but the first, with the pages
    // finished so far; false stops the pass (it then returns what it counted).
    using PageCallback = std::function<bool(int pagesSoFar)>;

    // The records of the category (or all of them for "All") in list order, grouped
    // under letter headings. pageStarts, when given, receives the start of every page
    // of a counting pass; from, when given, is where drawPage starts. A counting pass
    // given both goes on from the last start in pageStarts (from is a copy of it), so a
    // count stopped by the page callback can be taken up again.
    int RunBook(const CRecordList& records, const CCategoryList& categories,
                const CPrintSettings& settings, int drawPage,
                std::vector<CPageStart>* pageStarts = nullptr, const CPageStart* from = nullptr);
    // The same for records already put in print order.
    int RunBook(const CBookOrder& book, const CPrintSettings& settings, int drawPage,
                std::vector<CPageStart>* pageStarts = nullptr, const CPageStart* from = nullptr);
    // The records of the settings' category in print order: by letter tab, then in list
    // order.
    static CBookOrder BookOrder(const CRecordList& records, const CCategoryList& categories,
                                const CPrintSettings& settings);
    // One record, in one column whatever the size.
    int RunRecord(const CPrintText& text, int drawPage,
                  std::vector<CPageStart>* pageStarts = nullptr, const CPageStart* from = nullptr);

    void SetPageCallback(PageCallback callback) { m_onPage = std::move(callback); }
    // False when the page callback stopped the last pass.
    bool Completed() const { return !m_bStopped; }

private:
    void Reset(int drawPage, std::vector<CPageStart>* pageStarts, const CPageStart* from);
    bool OnDrawPage() const { return m_nDrawPage != 0 && m_nPageNumber == m_nDrawPage; }
    // Moves down by h; a full column moves to the next column (book, two columns) or
    // the next page. False when a drawing pass has passed its page.
    bool Advance(int h);
    bool NewPage();
    void DrawLetterHeading(char letter, int x, int y);
    // Breaks an entry for the width and draws and advances line by line, the label in
    // the label font and the text after it in textFont. False when the pass ended.
    // inset is the entry's distance from the column's left edge; utf8 says whether its
    // text is valid UTF-8. from goes on where an earlier page ended.
    bool LayOutEntry(const CPrintEntry& entry, bool utf8, int inset, int width,
                     PrintFontId textFont, int lineHeight, const CBreakPosition& from = {});
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
    // What comes next, kept current wherever a page may end.
    CPageStart m_next;
    std::vector<CPageStart>* m_pPageStarts = nullptr;
    PageCallback m_onPage;
    bool m_bStopped = false;
};
