#include "FakeKinbookView.h"
#include "TransferFakes.h"
#include "TransferGuiHelpers.h"
#include "app/CommandTable.h"
#include "model/CRecordExtras.h"
#include "resources/CommandIds.h"
#include "transfer/CImportFieldsDlg.h"
#include "transfer/CImportRecordsDlg.h"
#include "transfer/CRowDragSwapper.h"
#include "transfer/TransferCommands.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString S(const char* text) {
    return QString::fromLatin1(text);
}

QPushButton* ButtonOf(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(S(name));
}

void SelectRow(CImportFieldsDlg& dlg, int row) {
    QTreeWidget* list = dlg.MatchingList();
    list->setCurrentItem(list->topLevelItem(row), 0,
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

class TestTransferImport : public QObject {
    Q_OBJECT
private:
    TransferMemoryFs fs;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void opensWithTheRowsAndThePreview() {
        FakeKinbookView view(fs);
        std::string line25;
        for (int i = 1; i <= 25; ++i)
            line25 += (i > 1 ? "\t" : "") + ("v" + std::to_string(i));
        fs.files["/in/People.tab"] = "Smith\tAnn\r\n" + line25 + "\r\n";
        CImportFieldsDlg dlg(&view.parent, "/in/People.tab", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        QCOMPARE(dlg.windowTitle(), S("/in/People.tab"));
        const QStringList rows = dlg.RowNames();
        QCOMPARE(rows.size(), 25);
        QCOMPARE(rows.at(0), S("Last Name"));
        QCOMPARE(rows.at(8), S("FAX"));
        QCOMPARE(rows.at(21), S("Category"));
        QCOMPARE(rows.at(22), QString());
        QTreeWidget* list = dlg.MatchingList();
        QCOMPARE(list->headerItem()->text(0), S("Contact Fields"));
        QCOMPARE(list->headerItem()->text(1), S("Imported Data Field Count"));
        QCOMPARE(dlg.ValueText(0), S("1    Smith"));
        QCOMPARE(dlg.ValueText(1), S("2    Ann"));
        QCOMPARE(dlg.ValueText(2), QString());
        QCOMPARE(dlg.findChild<QLabel*>(S("IDC_RECORD_NUMBER"))->text(), S("Record 1"));
        QVERIFY(ButtonOf(&dlg, "IDC_PREVIOUS_RECORD")->isHidden());
        QVERIFY(!ButtonOf(&dlg, "IDC_NEXT_RECORD")->isHidden());

        // ">>" to the last record hides ">>" and shows "<<"; rows past the first record's
        // fields now show the second's.
        QTest::mouseClick(ButtonOf(&dlg, "IDC_NEXT_RECORD"), Qt::LeftButton);
        QCOMPARE(dlg.CurrentRecord(), 2);
        QCOMPARE(dlg.findChild<QLabel*>(S("IDC_RECORD_NUMBER"))->text(), S("Record 2"));
        QVERIFY(ButtonOf(&dlg, "IDC_NEXT_RECORD")->isHidden());
        QVERIFY(!ButtonOf(&dlg, "IDC_PREVIOUS_RECORD")->isHidden());
        QCOMPARE(dlg.ValueText(24), S("25   v25"));
        QTest::mouseClick(ButtonOf(&dlg, "IDC_PREVIOUS_RECORD"), Qt::LeftButton);
        QCOMPARE(dlg.CurrentRecord(), 1);
        QVERIFY(ButtonOf(&dlg, "IDC_PREVIOUS_RECORD")->isHidden());
        QVERIFY(!ButtonOf(&dlg, "IDC_NEXT_RECORD")->isHidden());
        QCOMPARE(dlg.ValueText(0), S("1    Smith"));
        // Rows beyond the record keep their text.
        QCOMPARE(dlg.ValueText(24), S("25   v25"));
    }

    void namesMoveButValuesStay() {
        FakeKinbookView view(fs);
        fs.files["/in/a.csv"] = "Smith,Ann,Dr\n";
        CImportFieldsDlg dlg(&view.parent, "/in/a.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        dlg.show();
        SelectRow(dlg, 1);
        QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_UP"), Qt::LeftButton);
        QCOMPARE(dlg.RowNames().mid(0, 3),
                 (QStringList{S("First Name"), S("Last Name"), S("Title")}));
        QCOMPARE(dlg.ValueText(0), S("1    Smith"));
        QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_UP"), Qt::LeftButton);
        QCOMPARE(dlg.RowNames().at(0), S("First Name")); // the first row cannot go up
        QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_DOWN"), Qt::LeftButton);
        QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_DOWN"), Qt::LeftButton);
        QCOMPARE(dlg.RowNames().mid(0, 3),
                 (QStringList{S("Last Name"), S("Title"), S("First Name")}));
        QCOMPARE(dlg.ValueText(2), S("3    Dr"));

        // Toggle the marker on "Notes" and back.
        SelectRow(dlg, 20);
        QCOMPARE(dlg.RowNames().at(20), S("Notes"));
        QTest::mouseClick(ButtonOf(&dlg, "IDC_TOGGLE_SKIPPED"), Qt::LeftButton);
        QCOMPARE(dlg.RowNames().at(20), S("** Skipped Field ** Notes"));
        QTest::mouseClick(ButtonOf(&dlg, "IDC_TOGGLE_SKIPPED"), Qt::LeftButton);
        QCOMPARE(dlg.RowNames().at(20), S("Notes"));

        // Dragging row 0 onto row 2 swaps the names only.
        QTreeWidget* list = dlg.MatchingList();
        list->scrollToTop();
        const QPoint from = list->visualItemRect(list->topLevelItem(0)).center();
        const QPoint to = list->visualItemRect(list->topLevelItem(2)).center();
        SendMouse(list, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(list, QEvent::MouseMove, from + QPoint(0, 12), Qt::NoButton, Qt::LeftButton);
        SendMouse(list, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        SendMouse(list, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(dlg.RowNames().mid(0, 3),
                 (QStringList{S("First Name"), S("Title"), S("Last Name")}));
        QCOMPARE(dlg.ValueText(0), S("1    Smith"));
        QCOMPARE(dlg.ValueText(2), S("3    Dr"));
    }

    void skippedColumnsWithValuesAreNamedFirst() {
        FakeKinbookView view(fs);
        fs.files["/in/s.csv"] = "Smith,Ann,Dr\n";
        CImportFieldsDlg dlg(&view.parent, "/in/s.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        SelectRow(dlg, 2);
        QTest::mouseClick(ButtonOf(&dlg, "IDC_TOGGLE_SKIPPED"), Qt::LeftButton);
        view.messageBox.answers.push_back(MbResult::No);
        dlg.OnImport();
        QCOMPARE(view.messageBox.shown.back().text,
                 std::string("1 column with values will not be imported: column 3.\n\n"
                             "Import the other columns?"));
        QVERIFY(view.doc.GetRecords().empty()); // back to the matching, nothing imported
    }

    void theClickAfterADragCounts() {
        FakeKinbookView view(fs);
        fs.files["/in/a.csv"] = "Smith,Ann,Dr\n";
        CImportFieldsDlg dlg(&view.parent, "/in/a.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTreeWidget* list = dlg.MatchingList();
        list->scrollToTop();
        const QStringList before = dlg.RowNames();
        auto centre = [&](int row) {
            return list->visualItemRect(list->topLevelItem(row)).center();
        };
        // A real mouse: many moves of a pixel or two, the first ones below the drag distance.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const QPoint from = centre(0);
            const QPoint to = centre(2);
            SendMouse(list, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
            for (QPoint at = from; at.y() < to.y();) {
                at.ry() += 1 + (at.y() % 2);
                SendMouse(list, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            }
            SendMouse(list, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            SendMouse(list, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
            QVERIFY(!dlg.Dragger()->IsDragging());
            QCOMPARE(list->currentIndex().row(), 2);

            // The next click selects its row, and Up then moves that row's name.
            const QString clicked = dlg.RowNames().at(5);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre(5));
            QCOMPARE(list->currentIndex().row(), 5);
            QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_UP"), Qt::LeftButton);
            QCOMPARE(dlg.RowNames().at(4), clicked);
            QTest::mouseClick(ButtonOf(&dlg, "IDC_IMPORT_DOWN"), Qt::LeftButton);
            QCOMPARE(dlg.RowNames().at(5), clicked);
        }
        QCOMPARE(dlg.RowNames().at(0), before.at(2 - 0)); // three swaps of rows 0 and 2
    }

    void dragScrollsOneRowPerStep_data() {
        QTest::addColumn<int>("height");
        for (int height : {80, 85, 93, 101, 117})
            QTest::newRow(qPrintable(QString::number(height))) << height;
    }
    void dragScrollsOneRowPerStep() {
        QFETCH(int, height);
        FakeKinbookView view(fs);
        fs.files["/in/a.csv"] = "Smith,Ann,Dr\n";
        CImportFieldsDlg dlg(&view.parent, "/in/a.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        QTreeWidget* list = dlg.MatchingList();
        list->setFixedHeight(height);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        list->scrollToTop();
        QScrollBar* bar = list->verticalScrollBar();
        dlg.Dragger()->BeginDrag(0);
        const QPoint below(5, list->viewport()->height() + 10);
        for (int step = 1; step <= 3; ++step) {
            dlg.Dragger()->DragTo(below);
            QCOMPARE(bar->value(), step);
            // The drop row is the last one that shows whole.
            const QRect drop = list->visualRect(list->model()->index(dlg.Dragger()->DropRow(), 0));
            QVERIFY(drop.bottom() < list->viewport()->height());
            QVERIFY(drop.bottom() + drop.height() >= list->viewport()->height());
        }
        dlg.Dragger()->DragTo(QPoint(5, -5));
        QCOMPARE(bar->value(), 2);
        QCOMPARE(dlg.Dragger()->DropRow(), 2);
        dlg.Dragger()->EndDrag();
    }

    void incompatibleFileNeverOpensTheDialog() {
        FakeKinbookView view(fs);
        fs.files["/in/bad.tab"] = "\"a\" b\r\n";
        CImportFieldsDlg dlg(&view.parent, "/in/bad.tab", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QCOMPARE(dlg.Run(), int(QDialog::Rejected));
        QCOMPARE(view.messageBox.shown.at(0).text,
                 std::string("This data file is not in a compatable format and cannot be "
                             "imported.\n\nLine 1: \"a\" b"));
    }

    void importCommandFilesRefreshesAndSaves() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        CommandTable table;
        TransferCommands commands(view, table);
        fs.files["/in/p.csv"] = "\"Smith\",\"Ann\",\"Personal\"\r\n\"Jones\",\"Bob\",\"All\"\r\n";
        view.fileChooser.answers.push_back(FileChoice{"/in/p.csv", 3});
        bool ran = false;
        WhenModal<CImportFieldsDlg>([&](CImportFieldsDlg* fields) {
            // Line Category up with the third column: move it up from the last row.
            SelectRow(*fields, 21);
            for (int i = 0; i < 19; ++i)
                fields->OnUp();
            QCOMPARE(fields->RowNames().at(2), S("Category"));
            WhenModal<CImportRecordsDlg>([&](CImportRecordsDlg* records) {
                ran = true;
                QVERIFY(records->findChild<QProgressBar*>(S("IDC_IMPORT_PROGRESS"))->isHidden());
                QCOMPARE(records->DisplayedPath(), S("/in/p.csv"));
                QTest::mouseClick(ButtonOf(records, "IDC_TRANSFER_OK"), Qt::LeftButton);
            });
            QTest::mouseClick(ButtonOf(fields, "IDC_TRANSFER_OK"), Qt::LeftButton);
        });
        QVERIFY(table.Execute(ID_IMPORT));
        QVERIFY(ran);
        QCOMPARE(view.fileChooser.asked.at(0).request.filter,
                 std::string("Tab-Quote Delimited (*.tab)|*.tab|Tab-Only Delimited (*.tab)|*.tab|"
                             "Comma-Quote Delimited (*.csv)|*.csv|Comma-Only Delimited "
                             "(*.csv)|*.csv|All Files (*.*)|*.*|vCard (*.vcf)|*.vcf||"));
        QCOMPARE(view.fileChooser.asked.at(0).request.initialName, std::string("*.tab"));
        auto& records = view.doc.GetRecords();
        QCOMPARE(records.size(), std::size_t{2});
        QCOMPARE(records[0]->m_strLastName, std::string("Jones"));
        QCOMPARE(int(records[0]->m_nCategory), 0);
        QCOMPARE(int(records[1]->m_nCategory), 2);
        QCOMPARE(view.messageBox.shown.back().text, std::string("2 records imported."));
        QCOMPARE(view.refreshes.size(), std::size_t{1});
        QVERIFY(view.refreshes[0].save);

        // Cancelling the matching dialog still refreshes and saves.
        view.fileChooser.answers.push_back(FileChoice{"/in/p.csv", 1});
        WhenModal<CImportFieldsDlg>([](CImportFieldsDlg* fields) {
            QTest::mouseClick(ButtonOf(fields, "IDC_TRANSFER_CANCEL"), Qt::LeftButton);
        });
        QVERIFY(table.Execute(ID_IMPORT));
        QCOMPARE(view.refreshes.size(), std::size_t{2});
        QVERIFY(view.refreshes[1].save);
        QCOMPARE(records.size(), std::size_t{2});
        // No file chosen: nothing at all.
        QVERIFY(table.Execute(ID_IMPORT));
        QCOMPARE(view.refreshes.size(), std::size_t{2});
    }

    void columnNamesArrangeTheRowsAndCanBeRefused() {
        FakeKinbookView view(fs);
        fs.files["/in/sheet.csv"] =
            "Surname;Given Name;Mobile;Favourite colour\r\nRossi;Maria;555 0101;\"blu, scuro\"\r\n";
        CImportFieldsDlg dlg(&view.parent, "/in/sheet.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        auto* header = dlg.findChild<QCheckBox*>(S("IDC_IMPORT_HEADER"));
        QCOMPARE(header->text(), S("&First line holds column names"));
        QVERIFY(header->isChecked());
        QCOMPARE(dlg.RowNames().mid(0, 5),
                 (QStringList{S("Last Name"), S("First Name"), S("Mobile"),
                              S("Extra: Favourite colour"), S("Title")}));
        QCOMPARE(dlg.MatchingList()->topLevelItem(1)->text(2), S("Given Name"));
        QCOMPARE(dlg.ValueText(0), S("1    Rossi"));
        QCOMPARE(dlg.ValueText(3), S("4    blu, scuro"));
        QCOMPARE(dlg.findChild<QLabel*>(S("IDC_IMPORT_FORMAT_IN_USE"))->text(),
                 S("Reading the file as UTF-8, separated by semicolons."));
        // Unticked: the first line is a record again and the rows start as they always did.
        header->click();
        QVERIFY(!header->isChecked());
        QCOMPARE(dlg.RowNames().at(0), S("Last Name"));
        QCOMPARE(dlg.RowNames().at(1), S("First Name"));
        QCOMPARE(dlg.RowNames().at(2), S("Title"));
        QCOMPARE(dlg.ValueText(0), S("1    Surname"));
        QCOMPARE(dlg.RecordCount(), 2);
        // Choosing TAB/comma reads the semicolons as text.
        dlg.SetSeparatorChoice(Separator::TabComma);
        QCOMPARE(dlg.ValueText(0), S("1    Surname;Given Name;Mobile;Favourite colour"));
        QCOMPARE(dlg.findChild<QComboBox*>(S("IDC_IMPORT_SEPARATOR"))->currentText(),
                 S("TAB/comma"));
        dlg.SetEncodingChoice(TextEncoding::Cp1252);
        QCOMPARE(dlg.findChild<QLabel*>(S("IDC_IMPORT_FORMAT_IN_USE"))->text(),
                 S("Reading the file as Western (Windows-1252), separated by TABs and commas."));
    }

    // Beside the listed encodings, any charset the system knows is typed by its name.
    void anyCharsetIsChosenByItsName() {
        FakeKinbookView view(fs);
        fs.files["/in/koi.csv"] = "\xF0\xD2\xC9\xD7\xC5\xD4,\xE9\xD7\xC1\xCE\r\n";
        CImportFieldsDlg dlg(&view.parent, "/in/koi.csv", view.doc.GetRecords(),
                             view.doc.GetCategories(), view.services);
        QVERIFY(dlg.Initialize());
        auto* box = dlg.findChild<QComboBox*>(S("IDC_IMPORT_ENCODING"));
        auto* inUse = dlg.findChild<QLabel*>(S("IDC_IMPORT_FORMAT_IN_USE"));
        auto type = [&](const char* name) {
            box->lineEdit()->clear();
            QTest::keyClicks(box->lineEdit(), S(name));
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        };
        type("koi8-r");
        QCOMPARE(dlg.ValueText(0), QStringLiteral("1    Привет"));
        QCOMPARE(box->currentText(), S("Cyrillic (KOI8-R)"));
        QCOMPARE(inUse->text(),
                 S("Reading the file as Cyrillic (KOI8-R), separated by TABs and commas."));
        type("cp866"); // not in the list
        QCOMPARE(inUse->text(), S("Reading the file as cp866, separated by TABs and commas."));
        QCOMPARE(box->currentText(), S("cp866"));
        type("koi9");
        QCOMPARE(view.messageBox.shown.back().text,
                 std::string("\"koi9\" is not an encoding this system knows.  Choose one from "
                             "the list, or type the name of a charset such as ISO-8859-2, "
                             "KOI8-R or Shift_JIS."));
        QCOMPARE(box->currentText(), S("cp866"));
        QCOMPARE(dlg.Format().charset, std::string("cp866"));
    }

    void undoImportPutsTheBookBack() {
        FakeKinbookView view(fs);
        view.doc.SetDataPath("/data/book.kbk");
        view.doc.GetCategories().ResetToDefaults();
        QVERIFY(view.doc.Save());
        const std::string before = fs.files["/data/book.kbk"];
        CommandTable table;
        TransferCommands commands(view, table);
        QVERIFY(!commands.CanUndoImport());
        fs.files["/in/people.csv"] = "First Name,Last Name,Category\r\nAnn,Smith,Friends\r\n"
                                     "Bob,Jones,\r\n";
        view.fileChooser.answers.push_back(FileChoice{"/in/people.csv", 3});
        WhenModal<CImportFieldsDlg>([&](CImportFieldsDlg* fields) {
            WhenModal<CImportRecordsDlg>([&](CImportRecordsDlg* records) {
                auto* box = records->findChild<QComboBox*>(S("IDC_IMPORT_DEFAULT_CATEGORY"));
                QCOMPARE(box->currentText(), S("Unfiled"));
                box->setCurrentIndex(box->findText(S("Personal")));
                QVERIFY(
                    records->findChild<QCheckBox*>(S("IDC_IMPORT_CREATE_CATEGORIES"))->isChecked());
                QTest::mouseClick(ButtonOf(records, "IDC_TRANSFER_OK"), Qt::LeftButton);
            });
            QTest::mouseClick(ButtonOf(fields, "IDC_TRANSFER_OK"), Qt::LeftButton);
        });
        QVERIFY(table.Execute(ID_IMPORT));
        auto& records = view.doc.GetRecords();
        QCOMPARE(records.size(), std::size_t{2});
        QCOMPARE(view.doc.GetCategories().NameOf(records[0]->m_nCategory), std::string("Personal"));
        QCOMPARE(view.doc.GetCategories().NameOf(records[1]->m_nCategory), std::string("Friends"));
        QVERIFY(commands.CanUndoImport());

        view.messageBox.answers.push_back(MbResult::No);
        QVERIFY(table.Execute(ID_UNDO_IMPORT));
        QCOMPARE(view.messageBox.shown.back().text,
                 std::string("Remove the 2 contacts imported from people.csv?"));
        QCOMPARE(records.size(), std::size_t{2});
        QVERIFY(table.Execute(ID_UNDO_IMPORT));
        QCOMPARE(view.doc.GetRecords().size(), std::size_t{0});
        QCOMPARE(view.doc.GetCategories().GetCount(), std::size_t{3});
        QCOMPARE(fs.files["/data/book.kbk"], before);
        QVERIFY(!commands.CanUndoImport());
    }

    void aVCardFileGoesStraightToTheProgressDialogAndCanBeUndone() {
        FakeKinbookView view(fs);
        view.doc.SetDataPath("/data/book.kbk");
        view.doc.GetCategories().ResetToDefaults();
        QVERIFY(view.doc.Save());
        const std::string before = fs.files["/data/book.kbk"];
        QCOMPARE(fs.files.count("/data/book.kbk.uids"), std::size_t{0}); // never held a record
        CommandTable table;
        TransferCommands commands(view, table);
        // Found by its content: the name says nothing.
        fs.files["/in/export.txt"] = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\n"
                                     "TEL;TYPE=CELL:555-0100\r\nCATEGORIES:Book Club\r\n"
                                     "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nUID:card-1\r\n"
                                     "END:VCARD\r\n";
        view.fileChooser.answers.push_back(FileChoice{"/in/export.txt", 6});
        bool ran = false;
        WhenModal<CImportRecordsDlg>([&](CImportRecordsDlg* records) {
            ran = true;
            QCOMPARE(records->DisplayedPath(), S("/in/export.txt"));
            // The same choices as for delimited text.
            QVERIFY(records->findChild<QCheckBox*>(S("IDC_IMPORT_CREATE_CATEGORIES"))->isChecked());
            QTest::mouseClick(ButtonOf(records, "IDC_TRANSFER_OK"), Qt::LeftButton);
        });
        QVERIFY(table.Execute(ID_IMPORT));
        QVERIFY(ran);
        auto& records = view.doc.GetRecords();
        QCOMPARE(records.size(), std::size_t{1});
        QCOMPARE(records[0]->m_strLastName, std::string("Smith"));
        QCOMPARE(int(records[0]->m_nItemLabel[0]), int(LABEL_MOBILE));
        QCOMPARE(view.doc.GetCategories().NameOf(records[0]->m_nCategory),
                 std::string("Book Club"));
        QCOMPARE(view.doc.Uids().UidOf(*records[0]), std::string("card-1"));
        QCOMPARE(view.messageBox.shown.back().text, std::string("1 records imported."));
        QCOMPARE(records[0]->Extras()->FindShown("PHOTO")->value, std::string("AAAA"));
        QVERIFY(view.refreshes.back().save);

        // Undo Import takes the cards back, the category they brought and their UIDs too.
        QVERIFY(commands.CanUndoImport());
        view.messageBox.answers.push_back(MbResult::Yes);
        QVERIFY(table.Execute(ID_UNDO_IMPORT));
        QCOMPARE(view.messageBox.shown.back().text,
                 std::string("Remove the 1 contacts imported from export.txt?"));
        QCOMPARE(view.doc.GetRecords().size(), std::size_t{0});
        QCOMPARE(view.doc.GetCategories().GetCount(), std::size_t{3});
        QCOMPARE(fs.files["/data/book.kbk"], before);
        QCOMPARE(fs.files.count("/data/book.kbk.uids"), std::size_t{0}); // it had none
    }

    void cancelDuringALongImportKeepsTheRecordsSoFar() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += "Name" + std::to_string(i) + ",First\r\n";
        fs.files["/in/long.csv"] = text;
        ImportOptions options;
        options.rowNames = {"Last Name", "First Name"};
        CImportRecordsDlg dlg(&view.parent, "/in/long.csv", 100000, view.doc.GetRecords(),
                              view.doc.GetCategories(), options, view.services);
        dlg.show();
        QPushButton* cancel = ButtonOf(&dlg, "IDC_TRANSFER_CANCEL");
        auto* bar = dlg.findChild<QProgressBar*>(S("IDC_IMPORT_PROGRESS"));
        connect(bar, &QProgressBar::valueChanged, cancel, [cancel](int value) {
            if (value == 25)
                QTest::mouseClick(cancel, Qt::LeftButton);
        });
        dlg.OnBeginImport();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        const std::size_t kept = view.doc.GetRecords().size();
        QVERIFY(kept > 24000 && kept < 26000);
        QVERIFY(view.messageBox.shown.empty());
    }
};

QTEST_MAIN(TestTransferImport)
#include "tst_transfer_import.moc"
