#pragma once
#include "model/CRecordList.h"
#include "print/CPageGeometry.h"
#include "print/CPageLayout.h"
#include "print/CPrintSettings.h"
#include "print/CPrintText.h"
#include "print/IPageSurface.h"
#include <ctime>
#include <string>
#include <vector>

class CCategoryList;
class IClock;
class IMessageBox;

enum class PrintMode { Book, Record };

// One print or preview job: the book of the settings' category or one record, laid out
// on the settings' size. Begin printing makes the fonts, counts the pages and keeps
// where each page starts, so that drawing a page costs what that page holds.
class CPrintJob {
public:
    CPrintJob(PrintMode mode, const CPrintSettings& settings, const CRecordList& records,
              const CCategoryList& categories, const CContactRecord* record, const IClock& clock);

    // Called while the pages are counted with the pages finished so far; false cancels.
    using PageCallback = CPageLayout::PageCallback;

    // Creates the four fonts, measures the line heights and counts the pages. Returns -1
    // when onPage cancelled the count.
    int BeginPrinting(IPageSurface& surface, const PageCallback& onPage = {});
    // Draws page n (1-based): outline, text, column rule and footer.
    void PrintPage(IPageSurface& surface, int page);
    // The same in steps, for a view that shows the first pages while the rest are
    // counted: begin counting makes the fonts and the line heights; count on lays out at
    // most pages more pages (0: all the rest) and is true once every page is counted.
    // onPage, as for begin printing, can stop it; count on then takes it up again.
    void BeginCounting(IPageSurface& surface);
    bool CountOn(IPageSurface& surface, int pages, const PageCallback& onPage = {});
    bool Counted() const { return m_bCounted; }
    // The pages whose start is known, which can be drawn: all of them once counted.
    int PagesKnown() const { return static_cast<int>(m_pageStarts.size()); }
    // The page count once counted, 0 before.
    int GetPageCount() const { return m_nPageCount; }
    const CPageGeometry& Geometry() const { return m_geometry; }
    const CLayoutMetrics& Metrics() const { return m_metrics; }
    // Where each page starts, from the last count (page 1 first).
    const std::vector<CPageStart>& PageStarts() const { return m_pageStarts; }
    // Lays every page out from the first record again instead of from its start: the
    // slow way, which the page starts must reproduce exactly.
    void SetLayOutFromFirstRecord(bool fromFirst) { m_bFromFirstRecord = fromFirst; }

    // The fonts of a job for a print font: footer, body, label, heading.
    static CFontRequest FontFor(PrintFontId id, const CPrintFont& font);
    // "Page %d : %s" with the local time as the notes' stamp gives it, without seconds
    // ("%x - %I:%M %p" in the C locale).
    static std::string FooterText(int page, const std::tm& now);
    // The pause before a page: asked only when pausing, not previewing, and the page is
    // past the first of the requested range and within it and the job. False when the
    // user cancelled, which ends the job before that page.
    static bool ConfirmPage(IMessageBox& messageBox, bool pause, bool preview, int page,
                            int firstPage, int lastPage, int jobLastPage);

private:
    PrintMode m_mode;
    CPrintSettings m_settings;
    const CRecordList& m_records;
    const CCategoryList& m_categories;
    const CContactRecord* m_pRecord;
    const IClock& m_clock;
    CPageGeometry m_geometry;
    CLayoutMetrics m_metrics;
    CPrintText m_recordText;
    CBookOrder m_book; // the book's records in print order, from the count
    std::vector<CPageStart> m_pageStarts;
    int m_nPageCount = 0;
    bool m_bCounted = false;
    bool m_bFromFirstRecord = false;
};
