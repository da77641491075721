#pragma once
#include <QString>

class CPrintJob;
class IMessageBox;
class QPrinter;
class QPagedPaintDevice;

// Runs a print job's pages on a Qt paged device, as the platform's print loop would:
// begin printing (fonts and the page count), then for each page of the range the pause
// prompt and the page itself.
namespace PrintRunner {

// Lays the job out on the device's metrics and returns its page count.
int CountPages(CPrintJob& job, QPagedPaintDevice& device);

// Prints pages first to last (0 and 0: all of them). Returns the number of pages
// printed, or -1 when the device could not be started. pause is the job's pause
// setting; a preview never pauses.
int Run(CPrintJob& job, QPagedPaintDevice& device, IMessageBox& messageBox, bool pause,
        bool preview, int first = 0, int last = 0);

// Whether the pause setting applies to a printer: the pause is for hand-fed paper, so
// neither a print preview nor a PDF file ever pauses.
bool Pauses(bool pauseSetting, QPrinter& printer);
// True while the printer stands behind a print preview that is drawing its pages (its
// own Print button prints on the real printer).
bool IsPreviewing(QPrinter& printer);

// Sets a printer up for a PDF file on Letter paper with a quarter-inch printable-area
// margin, as a typical printer has.
void SetUpPdf(QPrinter& printer, const QString& path);

} // namespace PrintRunner
