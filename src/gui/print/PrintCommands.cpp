#include "print/PrintCommands.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IMessageBox.h"
#include "print/CBookPrintDialog.h"
#include "print/CPrintPreviewDialog.h"
#include "print/CPrintProgress.h"
#include "print/CRecordPrintDialog.h"
#include "print/PrintRunner.h"
#include "resources/CommandIds.h"
#include "view/DisplayName.h"
#include "view/IKinbookView.h"
#include <QApplication>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

PrintCommands::PrintCommands(IKinbookView& view, CommandTable& table)
    : m_view(view), m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    m_runDialog = [](QDialog& dialog) { return dialog.exec(); };
    m_startJob = [this](PrintMode mode, const CContactRecord* record, bool preview) {
        StartJob(mode, record, preview);
    };
    // The view decides when Print Contact's Record is enabled (a record is selected).
    table.SetHandler(ID_PRINT_RECORD, [this] { OnPrintRecord(); });
    table.SetHandler(ID_PRINT_BOOK, [this] { OnPrintBook(); });
    table.SetHandler(ID_FILE_PRINT_SETUP, [this] { OnPrintSetup(); });
}

PrintCommands::~PrintCommands() = default;

bool PrintCommands::PrintDialogOpen() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == QStringLiteral("Print"))
            return true;
    }
    return false;
}

void PrintCommands::OnPrintBook() {
    if (PrintDialogOpen())
        return;
    CPrintSettings& settings = m_view.GetPrintSettings();
    CBookPrintDialog dialog(settings, m_view.GetDocument().GetCategories(),
                            m_view.Services().messageBox, m_view.DialogParent());
    const int result = m_runDialog(dialog);
    if (result == CPrintOptionsDialog::Cancelled)
        return;
    settings = dialog.Settings();
    UseSheetPaper();
    if (result == CPrintOptionsDialog::Print) {
        m_startJob(PrintMode::Book, nullptr, false);
    } else if (result == CPrintOptionsDialog::Preview) {
        m_startJob(PrintMode::Book, nullptr, true);
        m_view.SetReopenBookPrint(true);
        ReopenAfterPreview([this] {
            m_view.SetReopenBookPrint(false);
            OnPrintBook();
        });
    }
}

void PrintCommands::OnPrintRecord() {
    CContactRecord* record = m_view.GetSelectedRecord();
    if (!record || PrintDialogOpen())
        return;
    CPrintSettings& settings = m_view.GetPrintSettings();
    CRecordPrintDialog dialog(settings, DisplayName(*record), m_view.Services().messageBox,
                              m_view.DialogParent());
    const int result = m_runDialog(dialog);
    if (result == CPrintOptionsDialog::Cancelled)
        return;
    settings = dialog.Settings();
    UseSheetPaper();
    if (result == CPrintOptionsDialog::Print) {
        m_startJob(PrintMode::Record, record, false);
    } else if (result == CPrintOptionsDialog::Preview) {
        m_startJob(PrintMode::Record, record, true);
        m_view.SetReopenRecordPrint(true);
        ReopenAfterPreview([this] {
            m_view.SetReopenRecordPrint(false);
            OnPrintRecord(); // for the record selected by then
        });
    }
}

void PrintCommands::UseSheetPaper() {
    // Every size is laid out on an 8 1/2" x 11" sheet (the small ones centred on it with
    // their border, or in its corner without): the printer takes Letter paper, whatever
    // its locale's default.
    m_pPrinter->setPageSize(QPageSize(QPageSize::Letter));
}

void PrintCommands::ReopenAfterPreview(std::function<void()> reopen) {
    // The preview is a modal window over the view, so the view is never hidden and shown
    // again: the dialog comes back once the preview has gone, from the event loop.
    QTimer::singleShot(0, this, std::move(reopen));
}

void PrintCommands::OnPrintSetup() {
    QPageSetupDialog dialog(m_pPrinter.get(), m_view.DialogParent());
    m_runDialog(dialog);
}

void PrintCommands::StartJob(PrintMode mode, const CContactRecord* record, bool preview) {
    CKinbookDoc& doc = m_view.GetDocument();
    CPrintJob job(mode, m_view.GetPrintSettings(), doc.GetRecords(), doc.GetCategories(), record,
                  m_view.Services().clock);
    if (preview) {
        CPrintPreviewDialog dialog(job, *m_pPrinter, m_view.DialogParent());
        dialog.SetBookChangedTest(
            [&doc, generation = doc.Generation()] { return doc.Generation() != generation; });
        // The preview's Print prints the same job as any other print.
        if (m_runDialog(dialog) != CPrintPreviewDialog::Print)
            return;
        if (job.Counted()) {
            PrintCounted(job, job.GetPageCount());
            return;
        }
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    int count = 0;
    {
        CPrintProgress progress(m_view.DialogParent());
        count = PrintRunner::CountPages(job, *m_pPrinter, &progress);
    }
    QGuiApplication::restoreOverrideCursor();
    if (count >= 0)
        PrintCounted(job, count);
}

void PrintCommands::PrintCounted(CPrintJob& job, int count) {
    IMessageBox& box = m_view.Services().messageBox;
    QPrintDialog dialog(m_pPrinter.get(), m_view.DialogParent());
    dialog.setWindowTitle(QStringLiteral("Print"));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, std::max(1, count));
    m_pPrinter->setFromTo(0, 0);
    if (m_runDialog(dialog) != QDialog::Accepted)
        return;
    int first = 0, last = 0;
    if (m_pPrinter->printRange() == QPrinter::PageRange) {
        first = m_pPrinter->fromPage();
        last = m_pPrinter->toPage();
    }
    CPrintProgress progress(m_view.DialogParent());
    if (PrintRunner::Run(job, *m_pPrinter, box,
                         PrintRunner::Pauses(m_view.GetPrintSettings().m_bPause, *m_pPrinter),
                         false, first, last, &progress) == -1)
        box.Show("The print job could not be started.", MbIcon::Stop);
}
