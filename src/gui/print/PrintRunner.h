#pragma once
#include <QString>

class CPrintJob;
class IMessageBox;
class QPrinter;
class QPagedPaintDevice;

// Told how far a long job has come; false cancels it.
class IPrintProgress {
public:
    virtual ~IPrintProgress() = default;
    // While the pages are counted: the pages laid out so far.
    virtual bool Counted(int pages) = 0;
    // While they are drawn: the page just drawn, of first to last.
    virtual bool Printed(int page, int first, int last) = 0;
};

// Runs a print job's pages on a Qt paged device, as the platform's print loop would:
// begin printing (fonts and the page count), then for each page of the range the pause
// prompt and the page itself.
namespace PrintRunner {

// Lays the job out on the device's metrics and returns its page count, or -1 when the
// progress cancelled it.
int CountPages(CPrintJob& job, QPagedPaintDevice& device, IPrintProgress* progress = nullptr);

// Prints pages first to last (0 and 0: all of them). Returns the number of pages
// printed, -1 when the device could not be started, or -2 when the progress cancelled
// the job. pause is the job's pause setting; a preview never pauses.
int Run(CPrintJob& job, QPagedPaintDevice& device, IMessageBox& messageBox, bool pause,
        bool preview, int first = 0, int last = 0, IPrintProgress* progress = nullptr);

// Whether the pause setting applies to a printer: the pause is for hand-fed paper, so a
// PDF file never pauses (nor does a preview, which draws no sheet).
bool Pauses(bool pauseSetting, const QPrinter& printer);

// Sets a printer up for a PDF file on Letter paper with a quarter-inch printable-area
// margin, as a typical printer has.
void SetUpPdf(QPrinter& printer, const QString& path);

} // namespace PrintRunner
