#include "FakeKinbookView.h"
#include "ModalDriver.h"
#include "app/CommandTable.h"
#include "port/IFileSystem.h"
#include "print/CBookPrintDialog.h"
#include "print/CPaperSize.h"
#include "print/CPrintPreviewDialog.h"
#include "print/CRecordPrintDialog.h"
#include "print/PdfExport.h"
#include "print/PrintCommands.h"
#include "print/PrintRunner.h"
#include "print/QtPageSurface.h"
#include "resources/CommandIds.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void ChooseSize(QWidget& dialog, const char* comboName, std::string_view size) {
    auto* combo = Find<QComboBox>(dialog, comboName);
    const int index = combo->findText(QString::fromUtf8(size.data(), qsizetype(size.size())));
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index); // as the user's choice
}

int PdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString data = QString::fromLatin1(file.readAll());
    return int(data.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

std::unique_ptr<CContactRecord> Person(const std::string& last, const std::string& first) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    r->m_strFirstName = first;
    r->m_strItem[0] = "555-0100";
    r->m_nItemLabel[0] = LABEL_HOME;
    r->m_strAddress = "12 Elm Street\r\nApartment 4";
    r->m_strCity = "Springfield";
    return r;
}

// A book of one person per letter from A to last, printed a letter to a page with a pause
// between pages.
void FillPausingLetterBook(FakeKinbookView& view, char last) {
    view.doc.GetCategories().ResetToDefaults();
    for (char c = 'A'; c <= last; ++c)
        view.doc.GetRecords().push_back(Person(std::string(1, c) + "name", "First"));
    view.printSettings.m_bAlphaPageBreak = true;
    view.printSettings.m_bPause = true;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void regularDisablesTheBorder() {
        FakeMessageBox box;
        CPrintSettings s;
        s.m_strSelectedSize = std::string(kSizePocket);
        s.m_bBorder = true;
        CBookPrintDialog dialog(s, CCategoryList(), box);
        auto* border = Find<QCheckBox>(dialog, "IDC_BOOK_BORDER");
        QVERIFY(border->isEnabled());
        QVERIFY(border->isChecked());
        for (auto size : {kSizeRegular, kSizeMonarch}) {
            ChooseSize(dialog, "IDC_BOOK_SIZE", kSizePocket);
            QVERIFY(border->isEnabled());
            if (!border->isChecked())
                border->click();
            QCOMPARE(Find<QLineEdit>(dialog, "IDC_BOOK_TOP")->text(), QStringLiteral("2.25"));
            ChooseSize(dialog, "IDC_BOOK_SIZE", size);
            QVERIFY(!border->isEnabled());
            QVERIFY(!border->isChecked());
            QCOMPARE(Find<QLineEdit>(dialog, "IDC_BOOK_TOP")->text(), QStringLiteral("0"));
            QCOMPARE(Find<QLineEdit>(dialog, "IDC_BOOK_LEFT")->text(), QStringLiteral("0"));
        }
        QVERIFY(box.shown.empty());
    }

    void borderSetsPocketMargins_data() {
        QTest::addColumn<bool>("record");
        QTest::newRow("book") << false;
        QTest::newRow("record") << true;
    }
    void borderSetsPocketMargins() {
        QFETCH(bool, record);
        FakeMessageBox box;
        CPrintSettings s;
        std::unique_ptr<CPrintOptionsDialog> dialog;
        if (record)
            dialog = std::make_unique<CRecordPrintDialog>(s, "Smith, John", box);
        else
            dialog = std::make_unique<CBookPrintDialog>(s, CCategoryList(), box);
        const char* prefix = record ? "IDC_RECORD_" : "IDC_BOOK_";
        auto name = [&](const char* n) { return (std::string(prefix) + n); };
        ChooseSize(*dialog, name("SIZE").c_str(), kSizePocket);
        auto* border = Find<QCheckBox>(*dialog, name("BORDER").c_str());
        auto* top = Find<QLineEdit>(*dialog, name("TOP").c_str());
        auto* left = Find<QLineEdit>(*dialog, name("LEFT").c_str());
        QVERIFY(border->isEnabled());
        border->click();
        QCOMPARE(top->text(), QStringLiteral("2.25"));
        QCOMPARE(left->text(), QStringLiteral("2.25"));
        border->click();
        QCOMPARE(top->text(), QStringLiteral("0"));
        QCOMPARE(left->text(), QStringLiteral("0"));
        border->click();
        QCOMPARE(top->text(), QStringLiteral("2.25"));
        ChooseSize(*dialog, name("SIZE").c_str(), kSizeCompact);
        QCOMPARE(top->text(), QStringLiteral("1.875"));
        QCOMPARE(dialog->Settings().m_font.m_nHeight, -9);
        QVERIFY(box.shown.empty());
    }

    void marginsAreCheckedWhenLeftOrOnOk() {
        FakeMessageBox box;
        CPrintSettings s;
        s.m_dTopMargin = 0.5;
        s.m_dLeftMargin = 0.5;
        CBookPrintDialog dialog(s, CCategoryList(), box);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* top = Find<QLineEdit>(dialog, "IDC_BOOK_TOP");
        auto* left = Find<QLineEdit>(dialog, "IDC_BOOK_LEFT");
        top->setFocus();
        // Clearing a box to type a new value says nothing, nor does a value on its way.
        top->selectAll();
        QTest::keyClick(top, Qt::Key_Backspace);
        QTest::keyClicks(top, QStringLiteral("12"));
        QVERIFY(box.shown.empty());
        // Leaving the box checks it; the box gets the focus back.
        left->setFocus();
        QCOMPARE(box.Texts(), std::vector<std::string>{"Please enter a number between 0 and 11."});
        QCOMPARE(box.shown[0].icon, MbIcon::Exclamation);
        QCOMPARE(dialog.Settings().m_dTopMargin, 0.5); // the last valid value
        QTRY_VERIFY(top->hasFocus());
        top->selectAll();
        QTest::keyClicks(top, QStringLiteral("1"));
        left->setFocus();
        QCOMPARE(box.shown.size(), std::size_t(1));
        QCOMPARE(dialog.Settings().m_dTopMargin, 1.0);

        // An empty box left as it is: OK checks it, and the last valid value is used.
        box.shown.clear();
        left->selectAll();
        QTest::keyClick(left, Qt::Key_Backspace);
        QVERIFY(box.shown.empty());
        Find<QPushButton>(dialog, "IDC_BOOK_PRINT")->click();
        QCOMPARE(box.Texts(), std::vector<std::string>{"Please enter a number."});
        QCOMPARE(dialog.Settings().m_dLeftMargin, 0.5);
        QCOMPARE(dialog.Settings().m_dTopMargin, 1.0);
    }

    void cancelKeepsEverySetting() {
        FakeKinbookView view(RealFileSystem());
        CommandTable table;
        PrintCommands commands(view, table);
        int started = 0;
        commands.m_startJob = [&](PrintMode, const CContactRecord*, bool) { ++started; };
        commands.m_runDialog = [](QDialog& d) {
            d.show();
            ChooseSize(d, "IDC_BOOK_SIZE", kSizeClassic);
            Find<QCheckBox>(d, "IDC_BOOK_PAUSE")->click();
            Find<QCheckBox>(d, "IDC_BOOK_TITLE")->click();
            Find<QPushButton>(d, "IDC_PRINT_CANCEL")->click();
            return d.result();
        };
        const CPrintSettings before = view.printSettings;
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QVERIFY(view.printSettings == before);
        QCOMPARE(started, 0);
        QVERIFY(!view.reopenBook);
    }

    void enterKeepsChangesWithoutPrinting() {
        FakeKinbookView view(RealFileSystem());
        view.doc.GetCategories().ResetToDefaults();
        CommandTable table;
        PrintCommands commands(view, table);
        int started = 0;
        commands.m_startJob = [&](PrintMode, const CContactRecord*, bool) { ++started; };
        commands.m_runDialog = [](QDialog& d) {
            d.show();
            ChooseSize(d, "IDC_BOOK_SIZE", kSizeCompact);
            auto* alpha = Find<QCheckBox>(d, "IDC_BOOK_ALPHA_BREAK");
            alpha->click();
            auto* category = Find<QComboBox>(d, "IDC_BOOK_CATEGORY");
            category->setCurrentIndex(category->findText(QStringLiteral("Personal")));
            alpha->setFocus();
            QTest::keyClick(alpha, Qt::Key_Return);
            return d.result();
        };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(started, 0);
        QCOMPARE(view.printSettings.m_strSelectedSize, std::string(kSizeCompact));
        QVERIFY(view.printSettings.m_bAlphaPageBreak);
        QCOMPARE(view.printSettings.m_strBookCategory, std::string("Personal"));
        QCOMPARE(view.printSettings.m_font.m_nHeight, -9);
        QCOMPARE(view.printSettings.m_dTopMargin, 0.0);
    }

    void buttonsStartPrintingAndPreview() {
        FakeKinbookView view(RealFileSystem());
        view.doc.GetCategories().ResetToDefaults();
        view.doc.GetRecords().push_back(Person("Smith", "John"));
        CommandTable table;
        PrintCommands commands(view, table);
        std::vector<std::tuple<PrintMode, const CContactRecord*, bool>> started;
        commands.m_startJob = [&](PrintMode m, const CContactRecord* r, bool p) {
            started.emplace_back(m, r, p);
        };
        const char* button = "IDC_BOOK_PREVIEW";
        commands.m_runDialog = [&](QDialog& d) {
            d.show();
            auto* b = Find<QPushButton>(d, button);
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Return); // Enter presses the focused button
            return d.result();
        };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(started.size(), size_t(1));
        QVERIFY(std::get<0>(started[0]) == PrintMode::Book);
        QVERIFY(std::get<2>(started[0]));
        QVERIFY(view.reopenBook);

        // No record selected: the record command does nothing at all.
        commands.OnPrintRecord();
        QCOMPARE(started.size(), size_t(1));

        view.selected = view.doc.GetRecords()[0].get();
        button = "IDC_RECORD_PRINT";
        commands.OnPrintRecord();
        QCOMPARE(started.size(), size_t(2));
        QVERIFY(std::get<0>(started[1]) == PrintMode::Record);
        QCOMPARE(std::get<1>(started[1]), view.selected);
        QVERIFY(!std::get<2>(started[1]));
        QVERIFY(!view.reopenRecord);
    }

    void previewRendersWithoutPausing() {
        FakeKinbookView view(RealFileSystem());
        FillPausingLetterBook(view, 'C');
        CommandTable table;
        PrintCommands commands(view, table);
        int previews = 0;
        commands.m_runDialog = [&](QDialog& d) -> int {
            if (auto* preview = qobject_cast<CPrintPreviewDialog*>(&d)) {
                preview->show();
                if (QTest::qWaitFor([&] {
                        return preview->Counted() && preview->PageCount() == 3 &&
                               preview->PagesDrawn() > 0;
                    }))
                    ++previews;
                preview->reject();
                return int(QDialog::Rejected);
            }
            d.show();
            Find<QPushButton>(d, "IDC_BOOK_PREVIEW")->click();
            return d.result();
        };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(previews, 1);
        QVERIFY(view.messageBox.shown.empty());
        QVERIFY(view.reopenBook);

        // Once the preview has gone, the dialog comes back; cancelling it ends the round.
        int reopened = 0;
        commands.m_runDialog = [&](QDialog&) {
            ++reopened;
            return int(QDialog::Rejected);
        };
        QTRY_COMPARE(reopened, 1);
        QVERIFY(!view.reopenBook);
        QTest::qWait(20);
        QCOMPARE(reopened, 1);
    }

    void printToFileThroughThePrintDialog() {
        FakeKinbookView view(RealFileSystem());
        FillPausingLetterBook(view, 'D');
        CommandTable table;
        PrintCommands commands(view, table);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("printed.pdf"));
        int printDialogs = 0;
        commands.m_runDialog = [&](QDialog& d) -> int {
            if (auto* print = qobject_cast<QPrintDialog*>(&d)) {
                QPrinter* printer = print->printer();
                if (print->windowTitle() == QStringLiteral("Print") && print->maxPage() == 4)
                    ++printDialogs;
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(path);
                printer->setPrintRange(QPrinter::PageRange);
                printer->setFromTo(2, 3);
                return int(QDialog::Accepted);
            }
            d.show();
            Find<QPushButton>(d, "IDC_BOOK_PRINT")->click();
            return d.result();
        };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(printDialogs, 1);
        // A PDF file is no hand-fed paper: it never pauses.
        QVERIFY(view.messageBox.shown.empty());
        QCOMPARE(PdfPageCount(path), 2);
        QVERIFY(!view.reopenBook);
    }

    void thePreviewsOwnPrintIsAPrint() {
        // The preview's Print goes to the print dialog with the job's pages, and prints
        // the same job; a PDF file never pauses.
        FakeKinbookView view(RealFileSystem());
        FillPausingLetterBook(view, 'D');
        CommandTable table;
        PrintCommands commands(view, table);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("from-preview.pdf"));
        int maxPage = 0;
        commands.m_runDialog = [&](QDialog& d) -> int {
            if (auto* print = qobject_cast<QPrintDialog*>(&d)) {
                maxPage = print->maxPage();
                print->printer()->setOutputFormat(QPrinter::PdfFormat);
                print->printer()->setOutputFileName(path);
                print->printer()->setPrintRange(QPrinter::AllPages);
                return int(QDialog::Accepted);
            }
            d.show();
            Find<QPushButton>(d, "previewPrint")->click();
            return d.result();
        };
        commands.m_startJob(PrintMode::Book, nullptr, true);
        QCOMPARE(maxPage, 4);
        QCOMPARE(PdfPageCount(path), 4);
        QVERIFY(view.messageBox.shown.empty());
    }

    void theChosenSizePutsLetterPaperInThePrinter() {
        FakeKinbookView view(RealFileSystem());
        view.doc.GetCategories().ResetToDefaults();
        CommandTable table;
        PrintCommands commands(view, table);
        commands.m_startJob = [](PrintMode, const CContactRecord*, bool) {};
        commands.Printer().setPageSize(QPageSize(QPageSize::A4));
        commands.m_runDialog = [&](QDialog& d) {
            d.show();
            ChooseSize(d, "IDC_BOOK_SIZE", kSizeRegular);
            Find<QPushButton>(d, "IDC_BOOK_PRINT")->click();
            return d.result();
        };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(commands.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
        // Cancel leaves the printer alone.
        commands.Printer().setPageSize(QPageSize(QPageSize::A4));
        commands.m_runDialog = [](QDialog&) { return int(QDialog::Rejected); };
        QVERIFY(table.Execute(ID_PRINT_BOOK));
        QCOMPARE(commands.Printer().pageLayout().pageSize().id(), QPageSize::A4);
    }

    void printerSetupEditsTheJobsPrinter() {
        FakeKinbookView view(RealFileSystem());
        CommandTable table;
        PrintCommands commands(view, table);
        QPrinter* edited = nullptr;
        commands.m_runDialog = [&](QDialog& d) {
            if (auto* setup = qobject_cast<QPageSetupDialog*>(&d))
                edited = setup->printer();
            return int(QDialog::Rejected);
        };
        QVERIFY(table.Execute(ID_FILE_PRINT_SETUP));
        QCOMPARE(edited, &commands.Printer());
    }

    void recordNameFitsInDarkRed() {
        FakeMessageBox box;
        const std::string longName(200, 'W');
        CRecordPrintDialog dialog(CPrintSettings(), longName + ", John", box);
        auto* name = Find<QLabel>(dialog, "IDC_RECORD_NAME");
        QVERIFY(name->text().endsWith(QStringLiteral("...")));
        QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <=
                CRecordPrintDialog::kNameWidth);
        QCOMPARE(name->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        CRecordPrintDialog shortName(CPrintSettings(), "Smith, John", box);
        QCOMPARE(Find<QLabel>(shortName, "IDC_RECORD_NAME")->text(), QStringLiteral("Smith, John"));
    }

    void fontChooserOpensOnTheFaceInUse() {
        FakeMessageBox box;
        CBookPrintDialog dialog(CPrintSettings(), CCategoryList(), box);
        const QString substitute = QFontInfo(QFont(QStringLiteral("ARIAL"))).family();
        QString offered;
        int offeredSize = 0;
        dialog.SetFontChooser([&](QWidget*, QFont& font) {
            offered = font.family();
            offeredSize = font.pointSize();
            return true; // OK without a change
        });
        Find<QPushButton>(dialog, "IDC_BOOK_FONTS")->click();
        QCOMPARE(offered, substitute);
        QCOMPARE(offeredSize, 12);
        QCOMPARE(dialog.Settings().m_font.m_strFaceName, std::string("ARIAL"));
        QCOMPARE(dialog.Settings().m_font.m_nHeight, -12);
    }

    void fontChooserKeepsFaceAndSize() {
        FakeMessageBox box;
        CBookPrintDialog dialog(CPrintSettings(), CCategoryList(), box);
        dialog.SetFontChooser([](QWidget*, QFont& font) {
            if (font.family() != QFontInfo(QFont(QStringLiteral("ARIAL"))).family() ||
                font.pointSize() != 12)
                return false;
            font = QFont(QStringLiteral("Liberation Serif"), 10);
            font.setBold(true);
            return true;
        });
        Find<QPushButton>(dialog, "IDC_BOOK_FONTS")->click();
        QCOMPARE(dialog.Settings().m_font.m_strFaceName, std::string("Liberation Serif"));
        QCOMPARE(dialog.Settings().m_font.m_nHeight, -10);
        Find<QPushButton>(dialog, "IDC_BOOK_DEFAULTS")->click();
        QCOMPARE(dialog.Settings().m_font.m_strFaceName, std::string("ARIAL"));
        QCOMPARE(dialog.Settings().m_font.m_nHeight, -12);
    }

    void bookCategoryThatIsGoneOpensAsAll() {
        FakeMessageBox box;
        CCategoryList categories;
        categories.ResetToDefaults();
        CPrintSettings s;
        s.m_strBookCategory = "Friends";
        CBookPrintDialog dialog(s, categories, box);
        QCOMPARE(Find<QComboBox>(dialog, "IDC_BOOK_CATEGORY")->currentText(),
                 QStringLiteral("All"));
        s.m_strBookCategory = "business";
        CBookPrintDialog business(s, categories, box);
        QCOMPARE(Find<QComboBox>(business, "IDC_BOOK_CATEGORY")->currentText(),
                 QStringLiteral("Business"));
    }

    void arialFallsBackToAMetricCompatibleSans() {
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("probe.pdf")));
        writer.setResolution(1200);
        const QFont font = QtPageSurface::MakeFont(CFontRequest{"ARIAL", 240, 400}, writer);
        const QString family = QFontInfo(font).family();
        QVERIFY2(family == QStringLiteral("Arial") || family == QStringLiteral("Liberation Sans"),
                 qPrintable(family));
    }

    void pauseCancelEndsTheJobBeforeThePage() {
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordList list;
        for (char c = 'A'; c <= 'F'; ++c)
            list.push_back(Person(std::string(1, c) + "name", "First"));
        CPrintSettings s;
        s.m_bAlphaPageBreak = true; // six pages
        s.m_dTopMargin = s.m_dLeftMargin = 0;
        FakeClock clock;
        CPrintJob job(PrintMode::Book, s, list, categories, nullptr, clock);
        QTemporaryDir dir;
        FakeMessageBox box;
        box.answers = {MbResult::Ok, MbResult::Cancel};
        {
            QPdfWriter writer(dir.filePath(QStringLiteral("range.pdf")));
            // Pages 2 to 5: asked before 3 (OK) and 4 (Cancel): pages 2 and 3 printed.
            QCOMPARE(PrintRunner::Run(job, writer, box, true, false, 2, 5), 2);
        }
        QCOMPARE(box.shown.size(), size_t(2));
        QCOMPARE(PdfPageCount(dir.filePath(QStringLiteral("range.pdf"))), 2);
        QCOMPARE(job.GetPageCount(), 6);

        box.shown.clear();
        QPdfWriter preview(dir.filePath(QStringLiteral("preview.pdf")));
        QCOMPARE(PrintRunner::Run(job, preview, box, true, true), 6);
        QVERIFY(box.shown.empty());
    }

    void smallBookToPdf_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("records");
        for (const auto& size : CPaperSize::All())
            QTest::newRow(std::string(size.m_strName).c_str())
                << QString::fromUtf8(size.m_strName.data(), qsizetype(size.m_strName.size())) << 40;
    }
    void smallBookToPdf() {
        QFETCH(QString, size);
        QFETCH(int, records);
        CCategoryList categories;
        categories.ResetToDefaults();
        CRecordList list;
        for (int i = 0; i < records; ++i) // in filing order: one or two records a letter
            list.push_back(
                Person(std::string(1, char('A' + i * 26 / records)) + "name" + std::to_string(i),
                       "First"));
        CPrintSettings s;
        s.m_strSelectedSize = size.toStdString();
        s.m_bBorder = true;
        s.m_dTopMargin = 0;
        s.m_dLeftMargin = 0;
        s.m_bAlphaPageBreak = true;
        FakeClock clock;
        CPrintJob job(PrintMode::Book, s, list, categories, nullptr, clock);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.pdf"));
        const int pages = PrintJobToPdf(job, path);
        // A new page per letter: each letter's one or two records fit on its own page.
        QCOMPARE(pages, 26);
        QCOMPARE(PdfPageCount(path), pages);
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
