#pragma once
#include "model/CRecordList.h"
#include "print/CPageGeometry.h"
#include "print/CPageLayout.h"
#include "print/CPrintSettings.h"
#include "print/CPrintText.h"
#include "print/IPageSurface.h"
#include <ctime>
#include <string>

class CCategoryList;
class IClock;
class IMessageBox;

enum class PrintMode { Book, Record };

// One print or preview job: the book of the settings' category or one record, laid out
// on the settings' size. Begin printing makes the fonts and counts the pages; every page
// lays out again from the start and draws only itself.
class CPrintJob {
public:
    CPrintJob(PrintMode mode, const CPrintSettings& settings, const CRecordList& records,
              const CCategoryList& categories, const CContactRecord* record, const IClock& clock);

    // Creates the four fonts, measures the line heights and counts the pages.
    int BeginPrinting(IPageSurface& surface);
    // Draws page n (1-based): outline, text, column rule and footer.
    void PrintPage(IPageSurface& surface, int page);
    int GetPageCount() const { return m_nPageCount; }
    const CPageGeometry& Geometry() const { return m_geometry; }
    const CLayoutMetrics& Metrics() const { return m_metrics; }

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
    int m_nPageCount = 0;
};
