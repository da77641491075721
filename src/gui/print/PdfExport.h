#pragma once
#include <QString>

class CPrintJob;
class QPdfWriter;

// Writes every page of a job to a PDF file on Letter paper, laid out as a printer with
// a quarter-inch unprintable edge would print it. Returns the page count, or -1 when
// the file could not be written.
int PrintJobToPdf(CPrintJob& job, const QString& path);

// Sets a PDF writer up as PrintJobToPdf does: Letter, a quarter-inch edge, 1200 dpi.
void SetUpPdfWriter(QPdfWriter& writer);
