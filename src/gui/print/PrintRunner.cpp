#include "print/PrintRunner.h"
#include "print/CPrintJob.h"
#include "print/QtPageSurface.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace PrintRunner {

namespace {

CPrintJob::PageCallback CountCallback(IPrintProgress* progress) {
    if (!progress)
        return {};
    return [progress](int pages) { return progress->Counted(pages); };
}

} // namespace

int CountPages(CPrintJob& job, QPagedPaintDevice& device, IPrintProgress* progress) {
    QtPageSurface surface(device, nullptr);
    return job.BeginPrinting(surface, CountCallback(progress));
}

int Run(CPrintJob& job, QPagedPaintDevice& device, IMessageBox& messageBox, bool pause,
        bool preview, int first, int last, IPrintProgress* progress) {
    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    QtPageSurface surface(device, &painter);
    const int count = job.BeginPrinting(surface, CountCallback(progress));
    if (count < 0) {
        painter.end();
        return -2;
    }
    if (first <= 0 && last <= 0) {
        first = 1;
        last = count;
    }
    first = std::max(first, 1);
    last = std::min(last, count);
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (!CPrintJob::ConfirmPage(messageBox, pause, preview, page, first, last, count))
            break;
        if (printed > 0)
            device.newPage();
        job.PrintPage(surface, page);
        ++printed;
        if (progress && !progress->Printed(page, first, last)) {
            painter.end();
            return -2;
        }
    }
    painter.end();
    return printed;
}

bool Pauses(bool pauseSetting, const QPrinter& printer) {
    return pauseSetting && printer.outputFormat() != QPrinter::PdfFormat;
}

void SetUpPdf(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                      QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    printer.setFullPage(false);
}

} // namespace PrintRunner
