// The preview: laid out on the printer while it shows the first pages, drawing only the
// page in view, with the paging and zoom controls.
#include "FakeKinbookView.h"
#include "ModalDriver.h"
#include "app/CommandTable.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"
#include "print/CPrintJob.h"
#include "print/CPrintOptions.h"
#include "print/CPrintPreviewDialog.h"
#include "print/PrintCommands.h"
#include "print/PrintRunner.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QtTest>

namespace {

QString PageLabel(QWidget& dialog) {
    return Find<QLabel>(dialog, "previewPageNumber")->text();
}

// Whether a sheet has anything dark on it, and its share of dark pixels.
double Ink(const QImage& image) {
    qint64 dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(line[x]) < 128;
    }
    return image.isNull() ? 0 : double(dark) / (double(image.width()) * image.height());
}

CPrintSettings Sized(const CPrintSettings& s) {
    CPrintOptions options(s);
    options.Open();
    return options.Settings();
}

} // namespace

class TestPrintPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The preview opens on page 1 as soon as it is laid out, and counts the rest after;
    // the count it reaches is the print's. Prints the time to the first page drawn.
    void firstPageOfABigBook() {
        FakeKinbookView view(RealFileSystem());
        CSampleBook(1).Fill(view.doc.GetCategories(), view.doc.GetRecords(), 10000);
        view.printSettings = Sized(view.printSettings);
        CommandTable table;
        PrintCommands commands(view, table);
        QElapsedTimer timer;
        qint64 firstPage = -1, allPages = -1;
        int pages = 0, drawn = 0;
        bool countingWhenShown = false;
        commands.m_runDialog = [&](QDialog& d) -> int {
            auto* preview = qobject_cast<CPrintPreviewDialog*>(&d);
            if (!preview)
                return int(QDialog::Rejected);
            preview->show();
            if (QTest::qWaitFor([&] { return preview->PagesDrawn() > 0; }, 60000))
                firstPage = timer.elapsed();
            countingWhenShown = !preview->Counted();
            if (QTest::qWaitFor([&] { return preview->Counted(); }, 120000))
                allPages = timer.elapsed();
            pages = preview->PageCount();
            drawn = preview->PagesDrawn();
            return int(QDialog::Rejected);
        };
        timer.start();
        commands.m_startJob(PrintMode::Book, nullptr, true);
        qInfo("preview of 10000 records: first page drawn after %lld ms, all %d pages laid out "
              "after %lld ms",
              firstPage, pages, allPages);
        QVERIFY(firstPage >= 0);
        QVERIFY(countingWhenShown);
        QCOMPARE(drawn, 1); // the one page on screen
        CPrintJob job(PrintMode::Book, view.printSettings, view.doc.GetRecords(),
                      view.doc.GetCategories(), nullptr, view.clock);
        QCOMPARE(PrintRunner::CountPages(job, commands.Printer()), pages);
    }

    void pagesAndZoom() {
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordList records;
        CSampleBook(3).Fill(categories, records, 40);
        CPrintSettings s;
        s.m_bAlphaPageBreak = true;
        s = Sized(s);
        FakeClock clock;
        CPrintJob job(PrintMode::Book, s, records, categories, nullptr, clock);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        CPrintPreviewDialog dialog(job, printer);
        dialog.show();
        QTRY_VERIFY(dialog.Counted());
        const int pages = dialog.PageCount();
        QVERIFY(pages > 3);
        QTRY_VERIFY(dialog.PagesDrawn() > 0);
        QCOMPARE(PageLabel(dialog), QStringLiteral("Page 1 of %1").arg(pages));
        auto* prev = Find<QPushButton>(dialog, "previewPrev");
        auto* next = Find<QPushButton>(dialog, "previewNext");
        QVERIFY(!prev->isEnabled());
        QVERIFY(next->isEnabled());
        const QImage first = dialog.SheetImage();
        QVERIFY(Ink(first) > 0.001);

        next->click();
        QTRY_COMPARE(PageLabel(dialog), QStringLiteral("Page 2 of %1").arg(pages));
        QTRY_VERIFY(dialog.SheetImage() != first);
        QVERIFY(prev->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(dialog.CurrentPage(), pages);
        QVERIFY(!next->isEnabled());
        next->click(); // disabled: stays
        QCOMPARE(dialog.CurrentPage(), pages);
        QTest::keyClick(&dialog, Qt::Key_PageUp);
        QCOMPARE(dialog.CurrentPage(), pages - 1);
        QTest::keyClick(&dialog, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(dialog.CurrentPage(), 1);
        QTRY_COMPARE(dialog.SheetImage(), first); // the same page, the same pixels

        // Fit page shows the whole sheet; fit width fills the width and scrolls.
        auto* area = Find<QScrollArea>(dialog, "previewArea");
        const QSize viewport = area->viewport()->size();
        QVERIFY(first.deviceIndependentSize().height() <= viewport.height());
        Find<QPushButton>(dialog, "previewFitWidth")->click();
        QCOMPARE(dialog.GetZoom(), CPrintPreviewDialog::Zoom::FitWidth);
        QTRY_VERIFY(dialog.SheetImage().width() > first.width());
        const QSizeF wide = dialog.SheetImage().deviceIndependentSize();
        QVERIFY(wide.width() <= area->viewport()->width());
        QVERIFY(wide.width() >= area->viewport()->width() - 30);
        QVERIFY(wide.height() > area->viewport()->height());
        // The paper keeps its shape at either zoom: Letter, 8.5 by 11.
        QVERIFY(std::abs(wide.height() / wide.width() - 11.0 / 8.5) < 0.01);
        // Page Down reads down the sheet before it turns the page, Page Up back again.
        QScrollBar* bar = area->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
        int downs = 0;
        while (dialog.CurrentPage() == 1 && downs < 50) {
            QTest::keyClick(&dialog, Qt::Key_PageDown);
            ++downs;
        }
        QVERIFY(downs > 1);
        QCOMPARE(dialog.CurrentPage(), 2);
        QCOMPARE(bar->value(), 0);
        QTest::keyClick(&dialog, Qt::Key_PageUp);
        QCOMPARE(dialog.CurrentPage(), 1);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(&dialog, Qt::Key_PageUp);
        QCOMPARE(dialog.CurrentPage(), 1);
        QVERIFY(bar->value() < bar->maximum());
        Find<QPushButton>(dialog, "previewFitPage")->click();
        QTRY_COMPARE(dialog.SheetImage(), first);

        // Drawn only when shown: one page each time the page or the zoom changed.
        QVERIFY(dialog.PagesDrawn() <= 10);
        Find<QPushButton>(dialog, "previewClose")->click();
        QCOMPARE(dialog.result(), int(CPrintPreviewDialog::Closed));
    }

    // A timed sync may change the book under an open preview: the preview then closes
    // instead of laying out or drawing records that are gone.
    void closesWhenTheBookChanges() {
        FakeKinbookView view(RealFileSystem());
        CSampleBook(2).Fill(view.doc.GetCategories(), view.doc.GetRecords(), 3000);
        view.printSettings = Sized(view.printSettings);
        CommandTable table;
        PrintCommands commands(view, table);
        int drawnBefore = -1, drawnAfter = -1, previews = 0;
        bool countingWhenChanged = false, closedByItself = false;
        commands.m_runDialog = [&](QDialog& d) -> int {
            auto* preview = qobject_cast<CPrintPreviewDialog*>(&d);
            if (!preview)
                return int(QDialog::Rejected); // no print dialog may open
            ++previews;
            preview->show();
            if (!QTest::qWaitFor([&] { return preview->PagesDrawn() > 0; }))
                return int(QDialog::Rejected);
            countingWhenChanged = !preview->Counted();
            view.doc.DeleteContents(); // every record freed
            drawnBefore = preview->PagesDrawn();
            // It closes by itself at its next step; a click meanwhile draws nothing.
            Find<QPushButton>(*preview, "previewNext")->click();
            closedByItself = QTest::qWaitFor([&] { return !preview->isVisible(); });
            drawnAfter = preview->PagesDrawn();
            return preview->result();
        };
        commands.m_startJob(PrintMode::Book, nullptr, true);
        QCOMPARE(previews, 1);
        QVERIFY(countingWhenChanged);
        QVERIFY(closedByItself);
        QVERIFY(drawnBefore > 0);
        QCOMPARE(drawnAfter, drawnBefore);
    }

    // A single record prints on its own pages, and so it previews.
    void aRecordOnItsPages() {
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordList records;
        CSampleBook(5).Fill(categories, records, 3);
        std::string notes(20000, 'n');
        for (std::size_t i = 0; i < 20000; i += 9)
            notes[i] = ' ';
        records[1]->m_strNotes = notes;
        CPrintSettings s;
        s.m_bContactNotes = true;
        s = Sized(s);
        FakeClock clock;
        CPrintJob job(PrintMode::Record, s, records, categories, records[1].get(), clock);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        CPrintJob counted(PrintMode::Record, s, records, categories, records[1].get(), clock);
        const int pages = PrintRunner::CountPages(counted, printer);
        QVERIFY(pages > 2);
        CPrintPreviewDialog dialog(job, printer);
        dialog.show();
        QTRY_VERIFY(dialog.Counted());
        QCOMPARE(dialog.PageCount(), pages);
        QCOMPARE(job.PageStarts(), counted.PageStarts());
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_print_preview.moc"
