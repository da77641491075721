#include "FakeKinbookView.h"
#include "TransferFakes.h"
#include "TransferGuiHelpers.h"
#include "app/CommandTable.h"
#include "edit/FilingRule.h"
#include "resources/CommandIds.h"
#include "transfer/CExportFieldsDlg.h"
#include "transfer/CExportRecordsDlg.h"
#include "transfer/CRowDragSwapper.h"
#include "transfer/TransferCommands.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QtTest>

namespace {

QStringList Names(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* n : names)
        out << QString::fromLatin1(n);
    return out;
}

const QStringList kAllFields = Names({"Last Name",      "First Name",     "Title",
                                      "Other Ref",      "Home",           "Work",
                                      "Pager",          "Mobile",         "FAX",
                                      "E-Mail",         "Other",          "Address",
                                      "City",           "State",          "Zip",
                                      "Country",        "Other Info 1st", "Other Info 2nd",
                                      "Other Info 3rd", "Other Info 4th", "Notes",
                                      "Category",       "Birthday",       "Nickname",
                                      "Web Page",       "Organization",   "Department",
                                      "Groups"});

void Select(QListWidget* list, const char* text) {
    const auto found = list->findItems(QString::fromLatin1(text), Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
}

void Click(QWidget* dialog, const char* name) {
    auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestTransferExport : public QObject {
    Q_OBJECT
private:
    TransferMemoryFs fs;

    void AddRecord(FakeKinbookView& view, const char* last, const char* first, int category) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_strFirstName = first;
        r->m_nCategory = static_cast<std::uint16_t>(category);
        FileRecord(view.doc.GetRecords(), std::move(r));
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void fieldButtonsMoveNames() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        CExportFieldsDlg dlg(&view.parent, view.doc.GetRecords(), view.doc.GetCategories(),
                             view.services);
        QCOMPARE(dlg.ContactNames(), kAllFields);
        QVERIFY(dlg.ExportNames().isEmpty());
        auto* category = dlg.findChild<QComboBox*>(QStringLiteral("IDC_EXPORT_CATEGORY"));
        QCOMPARE(category->count(), 4);
        QCOMPARE(category->itemText(0), QStringLiteral("All"));
        QCOMPARE(category->itemText(3), QStringLiteral("Unfiled"));
        QCOMPARE(category->currentText(), QStringLiteral("All"));

        Select(dlg.ContactList(), "City");
        Click(&dlg, "IDC_ADD_FIELD");
        Select(dlg.ContactList(), "Notes");
        Click(&dlg, "IDC_ADD_FIELD");
        QCOMPARE(dlg.ExportNames(), Names({"City", "Notes"}));
        QVERIFY(!dlg.ContactNames().contains(QStringLiteral("City")));
        // An item label stays on offer: named again, it exports the next item.
        for (QListWidget* list :
             {dlg.ContactList(), dlg.ContactList(), dlg.ExportList(), dlg.ExportList()}) {
            Select(list, "E-Mail");
            Click(&dlg, list == dlg.ExportList() ? "IDC_REMOVE_FIELD" : "IDC_ADD_FIELD");
            if (list == dlg.ContactList() && dlg.ExportNames().size() == 4)
                QCOMPARE(dlg.ExportNames(), Names({"City", "Notes", "E-Mail", "E-Mail"}));
        }
        QCOMPARE(dlg.ContactNames().count(QStringLiteral("E-Mail")), 1);
        // With an export row selected, ">" inserts before it.
        Select(dlg.ExportList(), "Notes");
        Select(dlg.ContactList(), "Zip");
        Click(&dlg, "IDC_ADD_FIELD");
        QCOMPARE(dlg.ExportNames(), Names({"City", "Zip", "Notes"}));
        // "<" puts the name back at the end of the contact list.
        Select(dlg.ExportList(), "City");
        Click(&dlg, "IDC_REMOVE_FIELD");
        QCOMPARE(dlg.ContactNames().last(), QStringLiteral("City"));
        QCOMPARE(dlg.ExportNames(), Names({"Zip", "Notes"}));
        // Up and Down move the selected name, which stays selected; the ends stay put.
        Select(dlg.ExportList(), "Notes");
        Click(&dlg, "IDC_EXPORT_UP");
        QCOMPARE(dlg.ExportNames(), Names({"Notes", "Zip"}));
        QCOMPARE(dlg.ExportList()->selectedItems().first()->text(), QStringLiteral("Notes"));
        Click(&dlg, "IDC_EXPORT_UP");
        QCOMPARE(dlg.ExportNames(), Names({"Notes", "Zip"}));
        Click(&dlg, "IDC_EXPORT_DOWN");
        QCOMPARE(dlg.ExportNames(), Names({"Zip", "Notes"}));
        Click(&dlg, "IDC_EXPORT_DOWN");
        QCOMPARE(dlg.ExportNames(), Names({"Zip", "Notes"}));
        // Double-clicks act as ">" and "<".
        dlg.ExportList()->clearSelection();
        Select(dlg.ContactList(), "Title");
        emit dlg.ContactList()->itemDoubleClicked(dlg.ContactList()->currentItem());
        QCOMPARE(dlg.ExportNames().last(), QStringLiteral("Title"));
        Select(dlg.ExportList(), "Zip");
        emit dlg.ExportList()->itemDoubleClicked(dlg.ExportList()->currentItem());
        QCOMPARE(dlg.ExportNames(), Names({"Notes", "Title"}));
        // ">>" and "<<" move everything in list order.
        Click(&dlg, "IDC_ADD_ALL_FIELDS");
        QVERIFY(dlg.ContactNames().isEmpty());
        QCOMPARE(dlg.ExportNames().size(), 28);
        QCOMPARE(dlg.ExportNames().mid(0, 3), Names({"Notes", "Title", "Last Name"}));
        Click(&dlg, "IDC_REMOVE_ALL_FIELDS");
        QCOMPARE(dlg.ContactNames().size(), 28);
        QVERIFY(dlg.ExportNames().isEmpty());
        // An empty choice is refused and kept.
        Click(&dlg, "IDC_TRANSFER_OK");
        QCOMPARE(view.messageBox.shown.size(), std::size_t{1});
        QCOMPARE(view.messageBox.shown[0].text,
                 std::string("You must select at least one field to be exported."));
        QCOMPARE(view.messageBox.shown[0].caption, std::string("Invalid Selection"));
        QVERIFY(view.fileChooser.asked.empty());
    }

    void dragSwapsRows() {
        FakeKinbookView view(fs);
        CExportFieldsDlg dlg(&view.parent, view.doc.GetRecords(), view.doc.GetCategories(),
                             view.services);
        dlg.show();
        for (const char* name : {"Last Name", "First Name", "City"}) {
            Select(dlg.ContactList(), name);
            dlg.OnAdd();
        }
        QListWidget* list = dlg.ExportList();
        const QPoint from = list->visualItemRect(list->item(0)).center();
        const QPoint to = list->visualItemRect(list->item(2)).center();
        SendMouse(list, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(list, QEvent::MouseMove, from + QPoint(0, 20), Qt::NoButton, Qt::LeftButton);
        QVERIFY(dlg.Dragger()->IsDragging());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::SizeVerCursor);
        SendMouse(list, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(dlg.Dragger()->DropRow(), 2);
        SendMouse(list, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(dlg.ExportNames(), Names({"City", "First Name", "Last Name"}));
        QCOMPARE(list->currentRow(), 2);
        QVERIFY(!QApplication::overrideCursor());
    }

    void dragScrollsALongList() {
        FakeKinbookView view(fs);
        CExportFieldsDlg dlg(&view.parent, view.doc.GetRecords(), view.doc.GetCategories(),
                             view.services);
        dlg.ExportList()->setFixedHeight(80);
        dlg.show();
        dlg.OnAddAll();
        QListWidget* list = dlg.ExportList();
        dlg.Dragger()->BeginDrag(0);
        const QPoint below(5, list->viewport()->height() + 10);
        dlg.Dragger()->DragTo(below);
        dlg.Dragger()->DragTo(below);
        QVERIFY(list->verticalScrollBar()->value() >= 2);
        const int dropBelow = dlg.Dragger()->DropRow();
        QVERIFY(dropBelow > 2);
        dlg.Dragger()->DragTo(QPoint(5, -5));
        QVERIFY(dlg.Dragger()->DropRow() < dropBelow);
        dlg.Dragger()->EndDrag();
        QCOMPARE(dlg.ExportNames().at(0), kAllFields.at(dlg.Dragger()->DropRow()));
    }

    void exportCommandWritesTheChosenFile() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        CommandTable table;
        TransferCommands commands(view, table);
        table.Update();
        QVERIFY2(!table.Action(ID_EXPORT)->isEnabled(), "no record, nothing to export");
        AddRecord(view, "Alpha", "Beta", 1);
        AddRecord(view, "Gamma", "", 2);
        table.Update();
        QVERIFY(table.Action(ID_EXPORT)->isEnabled());

        // "All Files" and a name without extension: ".tab" and the tab variant; switching
        // to comma-quote turns it into ".csv".
        const std::string chosen = "/Exports/A Rather Long Folder Name For Exports/"
                                   "Another Long Folder/And Yet Another One/Contacts";
        view.fileChooser.answers.push_back(FileChoice{chosen, 4});
        bool ran = false;
        WhenModal<CExportFieldsDlg>([&](CExportFieldsDlg* fields) {
            Select(fields->ContactList(), "Last Name");
            fields->OnAdd();
            Select(fields->ContactList(), "Category");
            fields->OnAdd();
            WhenModal<CExportRecordsDlg>([&](CExportRecordsDlg* records) {
                ran = true;
                auto* format = records->findChild<QComboBox*>(QStringLiteral("IDC_EXPORT_FORMAT"));
                QCOMPARE(records->Path(), chosen + ".tab");
                QCOMPARE(format->currentText(), QStringLiteral("Tab Delimited (*.tab)"));
                QVERIFY(records->findChild<QProgressBar*>(QStringLiteral("IDC_EXPORT_PROGRESS"))
                            ->isHidden());
                const QString shown = records->DisplayedPath();
                QVERIFY(shown.endsWith(QStringLiteral("...")));
                QVERIFY(shown.startsWith(QStringLiteral("/exports/a rather")));
                format->setCurrentIndex(0);
                QCOMPARE(records->Path(), chosen + ".csv");
                Click(records, "IDC_TRANSFER_OK");
            });
            Click(fields, "IDC_TRANSFER_OK");
        });
        QVERIFY(table.Execute(ID_EXPORT));
        QVERIFY(ran);
        QCOMPARE(fs.files[chosen + ".csv"],
                 std::string("\"Alpha\",\"Business\"\r\n\"Gamma\",\"Personal\"\r\n"));
        QCOMPARE(view.fileChooser.asked.at(0).request.filter,
                 std::string("Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv|"
                             "Semicolon delimited (*.csv)|*.csv|All Files (*.*)|*.*|vCard 4.0 "
                             "(*.vcf)|*.vcf|vCard 3.0 (*.vcf, for older phones)|*.vcf||"));
        QCOMPARE(view.fileChooser.asked.at(0).request.initialName, std::string("*.tab"));
        QCOMPARE(view.messageBox.shown.back().text, std::string("2 records exported."));
        QVERIFY2(view.refreshes.empty(), "export changes nothing in the view");
    }

    void aVCardFormatWritesEveryFieldWhateverTheFieldList() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        CommandTable table;
        TransferCommands commands(view, table);
        AddRecord(view, "Alpha", "Beta", 1);
        view.doc.GetRecords()[0]->m_strNotes = "two\r\nlines";
        const std::string chosen = "/Exports/phone";
        view.fileChooser.answers.push_back(FileChoice{chosen, 6}); // "vCard 3.0"
        bool ran = false;
        WhenModal<CExportFieldsDlg>([&](CExportFieldsDlg* fields) {
            Select(fields->ContactList(), "Title");
            fields->OnAdd();
            WhenModal<CExportRecordsDlg>([&](CExportRecordsDlg* records) {
                ran = true;
                auto* format = records->findChild<QComboBox*>(QStringLiteral("IDC_EXPORT_FORMAT"));
                QCOMPARE(records->Path(), chosen + ".vcf");
                QCOMPARE(format->currentText(),
                         QStringLiteral("vCard 3.0 (*.vcf, for older phones)"));
                // A card is UTF-8 and names its fields: those choices are for delimited text.
                auto* header = records->findChild<QCheckBox*>(QStringLiteral("IDC_EXPORT_HEADER"));
                auto* encoding =
                    records->findChild<QComboBox*>(QStringLiteral("IDC_EXPORT_ENCODING"));
                QVERIFY(!header->isEnabled() && !encoding->isEnabled());
                format->setCurrentIndex(1); // tab, and back to 4.0
                QCOMPARE(records->Path(), chosen + ".tab");
                QVERIFY(header->isEnabled() && encoding->isEnabled());
                format->setCurrentIndex(3);
                QCOMPARE(format->currentText(), QStringLiteral("vCard 4.0 (*.vcf)"));
                QCOMPARE(records->Path(), chosen + ".vcf");
                Click(records, "IDC_TRANSFER_OK");
            });
            Click(fields, "IDC_TRANSFER_OK");
        });
        QVERIFY(table.Execute(ID_EXPORT));
        QVERIFY(ran);
        const std::string& card = fs.files[chosen + ".vcf"];
        QVERIFY(card.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\n", 0) == 0);
        QVERIFY(card.find("N:Alpha;Beta;;;\r\n") != std::string::npos);
        QVERIFY(card.find("NOTE:two\\nlines\r\n") != std::string::npos);
        QVERIFY(card.find("UID:urn:uuid:" + view.doc.Uids().UidOf(*view.doc.GetRecords()[0])) !=
                std::string::npos);
        QCOMPARE(view.messageBox.shown.back().text, std::string("1 records exported."));
    }

    void cancelDuringExportKeepsThePartialFile() {
        FakeKinbookView view(fs);
        view.doc.GetCategories().ResetToDefaults();
        for (int i = 0; i < 200000; ++i)
            view.doc.GetRecords().push_back(std::make_unique<CContactRecord>());
        CExportRecordsDlg dlg(&view.parent, view.doc.GetRecords(), view.doc.GetCategories(),
                              {"Last Name"}, CCategoryFilter(), "/x/big.tab", 1, view.services);
        dlg.show();
        auto* cancel = dlg.findChild<QPushButton*>(QStringLiteral("IDC_TRANSFER_CANCEL"));
        // The user clicks Cancel once a tenth is written.
        auto* bar = dlg.findChild<QProgressBar*>(QStringLiteral("IDC_EXPORT_PROGRESS"));
        connect(bar, &QProgressBar::valueChanged, cancel, [cancel](int value) {
            if (value == 10)
                QTest::mouseClick(cancel, Qt::LeftButton);
        });
        dlg.OnBeginExport();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        const std::string& written = fs.files["/x/big.tab"];
        // About a tenth, in whole lines (the bar's steps are single precision).
        QVERIFY(written.size() > 19000u * 2 && written.size() < 21000u * 2);
        QVERIFY(written.ends_with("\r\n"));
        QVERIFY(view.messageBox.shown.empty());
    }
};

QTEST_MAIN(TestTransferExport)
#include "tst_transfer_export.moc"
