// New Contact, Edit Record, Delete Record and Find Contact through a fake main view.
#include "FakeKinbookView.h"
#include "ModalDriver.h"
#include "app/CommandTable.h"
#include "edit/CFindDlg.h"
#include "edit/CSearchResultsDlg.h"
#include "edit/CSheet.h"
#include "edit/EditCommands.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

struct Fixture {
    Fixture() : view(RealFileSystem()), commands(view, table) {
        view.doc.GetCategories().ResetToDefaults();
        view.RefillCategoryFilter();
        view.SelectFilterAll(0);
        view.doc.SetDataPath((dir.path() + QStringLiteral("/book.kbk")).toStdString());
    }
    CContactRecord& Add(const char* last, const char* first = "") {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_strFirstName = first;
        view.doc.GetRecords().push_back(std::move(r));
        return *view.doc.GetRecords().back();
    }
    std::vector<std::string> Lasts() const {
        std::vector<std::string> out;
        for (const auto& r : view.doc.GetRecords())
            out.push_back(r->m_strLastName);
        return out;
    }
    // The last names of the book as saved on disk.
    std::vector<std::string> OnDisk() {
        FakeMessageBox box;
        CKinbookDoc saved(box, RealFileSystem());
        std::vector<std::string> out;
        if (!saved.Load(view.doc.GetDataPath()))
            return {"(not loaded)"};
        for (const auto& r : saved.GetRecords())
            out.push_back(r->m_strLastName);
        return out;
    }
    QTemporaryDir dir;
    FakeKinbookView view;
    CommandTable table;
    EditCommands commands;
};

// Types into the open editor and presses OK (or Cancel).
void AnswerEditor(const QString& last, const QString& first, bool ok = true) {
    WhenModal<CSheet>([last, first, ok](CSheet& sheet) {
        sheet.findChild<QLineEdit*>(QStringLiteral("IDC_LAST_NAME"))->setText(last);
        sheet.findChild<QLineEdit*>(QStringLiteral("IDC_FIRST_NAME"))->setText(first);
        if (ok)
            sheet.OnOk();
        else
            sheet.reject();
    });
}

} // namespace

class TestEditCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void newContactFilesUnderTheFilterCategory_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("category");
        QTest::addColumn<bool>("selected");
        QTest::newRow("All files under Unfiled") << "All" << 18 << 0 << true;
        QTest::newRow("Business") << "Business" << 18 << 1 << true;
        QTest::newRow("other letter: first entry") << "Personal" << 0 << 2 << false;
    }
    void newContactFilesUnderTheFilterCategory() {
        QFETCH(QString, filter);
        QFETCH(int, slider);
        QFETCH(int, category);
        QFETCH(bool, selected);
        Fixture f;
        f.Add("Adams");
        f.Add("Young");
        f.view.filterSelection = static_cast<int>(
            std::find(f.view.filter.begin(), f.view.filter.end(), filter.toStdString()) -
            f.view.filter.begin());
        f.view.slider = slider;
        AnswerEditor(QStringLiteral("smith"), QStringLiteral("Jo"));
        QVERIFY(f.table.Execute(ID_NEW_CONTACT));
        QCOMPARE(f.Lasts(), (std::vector<std::string>{"Adams", "smith", "Young"}));
        const CContactRecord* added = f.view.doc.GetRecords()[1].get();
        QCOMPARE(int(added->m_nCategory), category);
        QCOMPARE(f.view.refreshes.size(), std::size_t(1));
        QCOMPARE(f.view.refreshes[0].record, selected ? added : nullptr);
        QVERIFY(f.view.refreshes[0].save);
    }

    void newContactNumbersADuplicateAndCancelAddsNothing() {
        Fixture f;
        f.Add("Smith", "John");
        f.Add("Smith", "Mary");
        AnswerEditor(QStringLiteral("SMITH"), QStringLiteral("john"));
        f.table.Execute(ID_NEW_CONTACT);
        QCOMPARE(f.Lasts(), (std::vector<std::string>{"Smith", "SMITH #1", "Smith"}));
        QCOMPARE(f.OnDisk(), f.Lasts());

        AnswerEditor(QStringLiteral("Zed"), QString(), false);
        f.table.Execute(ID_NEW_CONTACT);
        QCOMPARE(f.view.doc.GetRecords().size(), std::size_t(3));
        QCOMPARE(f.view.refreshes.size(), std::size_t(1));
    }

    void newContactWithARefusedNameStaysInTheEditor() {
        Fixture f;
        WhenModal<CSheet>([](CSheet& sheet) {
            auto* last = sheet.findChild<QLineEdit*>(QStringLiteral("IDC_LAST_NAME"));
            sheet.findChild<QLineEdit*>(QStringLiteral("IDC_FIRST_NAME"))
                ->setText(QStringLiteral("Ann"));
            last->setText(QStringLiteral("1st"));
            QVERIFY(!sheet.OnOk());
            QVERIFY(sheet.isVisible());
            last->setText(QStringLiteral("First"));
            sheet.OnOk();
        });
        f.table.Execute(ID_NEW_CONTACT);
        QCOMPARE(f.view.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(f.view.doc.GetRecords().size(), std::size_t(1));
        QCOMPARE(f.view.doc.GetRecords()[0]->m_strFirstName, std::string("Ann"));
    }

    void editRefilesOnlyWhenTheLastNameChanged_data() {
        QTest::addColumn<QString>("newLast");
        QTest::addColumn<QString>("newFirst");
        QTest::addColumn<QString>("order"); // last names, comma-separated
        QTest::newRow("case only keeps the place") << "SMITH"
                                                   << "Bob"
                                                   << "Adams,Jones,SMITH,Young";
        QTest::newRow("first name only keeps the place") << "Smith"
                                                         << "Al"
                                                         << "Adams,Jones,Smith,Young";
        QTest::newRow("Smith to Baker moves") << "Baker"
                                              << "Bob"
                                              << "Adams,Baker,Jones,Young";
        QTest::newRow("to an existing name is numbered") << "Jones"
                                                         << "Bob"
                                                         << "Adams,Jones,Jones #1,Young";
    }
    void editRefilesOnlyWhenTheLastNameChanged() {
        QFETCH(QString, newLast);
        QFETCH(QString, newFirst);
        QFETCH(QString, order);
        Fixture f;
        f.Add("Adams", "Al");
        f.Add("Jones", "Bob");
        CContactRecord& smith = f.Add("Smith", "Bob");
        f.Add("Young", "Yan");
        f.view.selected = &smith;
        AnswerEditor(newLast, newFirst);
        QVERIFY(f.table.Execute(ID_EDIT_RECORD));
        std::vector<std::string> expected;
        for (const QString& s : order.split(QLatin1Char(',')))
            expected.push_back(s.toStdString());
        QCOMPARE(f.Lasts(), expected);
        QCOMPARE(f.OnDisk(), expected);
        QCOMPARE(f.view.refreshes.size(), std::size_t(1));
        QCOMPARE(f.view.refreshes[0].record, &smith);
        QVERIFY(f.view.refreshes[0].save);
    }

    void editThatMakesATwinNumbersTheRecord() {
        // A changed first name alone may make two records of one name; the edited one is
        // filed again and numbered, so that each keeps a name of its own.
        Fixture f;
        f.Add("Adams", "Al");
        f.Add("Smith", "Ann");
        CContactRecord& bob = f.Add("Smith", "Bob");
        f.Add("Young", "Yan");
        f.view.selected = &bob;
        AnswerEditor(QStringLiteral("Smith"), QStringLiteral("ANN"));
        QVERIFY(f.table.Execute(ID_EDIT_RECORD));
        const std::vector<std::string> expected{"Adams", "Smith", "Smith #1", "Young"};
        QCOMPARE(f.Lasts(), expected);
        QCOMPARE(f.OnDisk(), expected);
        QCOMPARE(bob.m_strFirstName, std::string("ANN"));
        QCOMPARE(f.view.refreshes.size(), std::size_t(1));
        QCOMPARE(f.view.refreshes[0].record, &bob);
    }

    void editCancelAndNothingSelectedChangeNothing() {
        Fixture f;
        CContactRecord& r = f.Add("Smith", "Bob");
        f.commands.OnEditRecord();
        f.commands.OnDeleteRecord();
        f.view.selected = &r;
        AnswerEditor(QStringLiteral("Jones"), QString(), false);
        f.table.Execute(ID_EDIT_RECORD);
        QCOMPARE(r.m_strLastName, std::string("Smith"));
        QVERIFY(f.view.refreshes.empty());
        QVERIFY(f.view.messageBox.shown.empty());
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::newRow("yes") << "John" << true << "Are you sure you want to delete John Smith?";
        QTest::newRow("no") << "John" << false << "Are you sure you want to delete John Smith?";
        QTest::newRow("no first name: two blanks")
            << "" << true << "Are you sure you want to delete  Smith?";
    }
    void deleteAsksFirst() {
        QFETCH(QString, first);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        Fixture f;
        f.Add("Adams");
        CContactRecord& r = f.Add("Smith", first.toStdString().c_str());
        f.view.selected = &r;
        f.view.messageBox.answers.push_back(yes ? MbResult::Yes : MbResult::No);
        QVERIFY(f.table.Execute(ID_DELETE_RECORD));
        QCOMPARE(f.view.messageBox.shown.size(), std::size_t(1));
        const auto& shown = f.view.messageBox.shown[0];
        QCOMPARE(QString::fromStdString(shown.text), question);
        QCOMPARE(shown.caption, std::string("Confirmation"));
        QVERIFY(shown.icon == MbIcon::Exclamation);
        QVERIFY(shown.buttons == MbButtons::YesNo);
        QCOMPARE(f.view.doc.GetRecords().size(), std::size_t(yes ? 1 : 2));
        QCOMPARE(f.view.refreshes.size(), std::size_t(yes ? 1 : 0));
        if (yes) {
            QCOMPARE(f.view.refreshes[0].record, nullptr);
            QVERIFY(f.view.refreshes[0].save);
        }
    }

    void findRefusesAnEmptyString() {
        Fixture f;
        CFindDlg find(f.view.doc, f.view.messageBox, f.view.clock, {});
        QCOMPARE(find.windowTitle(), QStringLiteral("Find Contact"));
        QCOMPARE(find.FindString().maxLength(), 255);
        QCOMPARE(find.Scope(), 0);
        find.show();
        find.OnFind();
        QCOMPARE(f.view.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(f.view.messageBox.shown[0].text, std::string("No search data was entered."));
        QCOMPARE(f.view.messageBox.shown[0].caption, std::string("Invalid Search Criteria"));
        QVERIFY(f.view.messageBox.shown[0].icon == MbIcon::Stop);
        QVERIFY(find.isVisible());
        QCOMPARE(find.result(), int(QDialog::Rejected));
    }

    void resultsListInRecordOrderWithItemHeader() {
        Fixture f;
        CContactRecord& a = f.Add("Blacksmith", "Al");
        a.m_strItem[2] = "555-0100";
        a.m_nItemLabel[2] = LABEL_MOBILE;
        a.m_nDefaultItem = 2;
        f.Add("Jones");
        CContactRecord& s = f.Add("smith", "Sue");
        s.m_strItem[0] = "sue@example.org";
        s.m_nItemLabel[0] = LABEL_EMAIL;
        s.m_nDefaultItem = 9; // out of range: item 1 shows, no header
        CSearchResultsDlg results("SMI", 0, f.view.doc, f.view.messageBox, f.view.clock, {});
        QCOMPARE(results.windowTitle(), QStringLiteral("Search Results"));
        QTreeWidget& list = results.List();
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("Blacksmith, Al"));
        QCOMPARE(list.topLevelItem(0)->text(1), QStringLiteral("555-0100"));
        QCOMPARE(list.topLevelItem(1)->text(0), QStringLiteral("smith, Sue"));
        QCOMPARE(list.topLevelItem(1)->text(1), QStringLiteral("sue@example.org"));
        QVERIFY(list.topLevelItem(0)->isSelected());
        QCOMPARE(list.headerItem()->text(0), QStringLiteral("Contact"));
        QCOMPARE(list.headerItem()->text(1), QStringLiteral("Mobile: "));
        QVERIFY(results.findChild<QPushButton*>(QStringLiteral("IDC_DETAILS"))->isEnabled());
        list.setCurrentItem(list.topLevelItem(1));
        results.OnListClicked();
        QCOMPARE(list.headerItem()->text(1), QString());
        QCOMPARE(results.SelectedRecord(), &s);

        CSearchResultsDlg none("zzz", 4, f.view.doc, f.view.messageBox, f.view.clock, {});
        QCOMPARE(none.List().topLevelItemCount(), 0);
        QVERIFY(!none.findChild<QPushButton*>(QStringLiteral("IDC_DETAILS"))->isEnabled());
    }

    void detailsRefilesAndSavesLikeEdit() {
        Fixture f;
        f.Add("Adams", "Al");
        CContactRecord& smith = f.Add("Smith", "Bob");
        f.Add("Young", "Yan");
        // Find "o" in scope 0 lists Bob Smith; Details renames him Baker, then Close.
        WhenModal<CFindDlg>([](CFindDlg& find) {
            find.FindString().setText(QStringLiteral("bob"));
            WhenModal<CSearchResultsDlg>([](CSearchResultsDlg& results) {
                QCOMPARE(results.List().topLevelItemCount(), 1);
                AnswerEditor(QStringLiteral("Baker"), QStringLiteral("Bob"));
                results.OnDetails();
                // The search ran again: the row shows the new name.
                QCOMPARE(results.List().topLevelItem(0)->text(0), QStringLiteral("Baker, Bob"));
                results.accept();
            });
            find.OnFind();
        });
        QVERIFY(f.table.Execute(ID_FIND_CONTACT));
        QCOMPARE(f.Lasts(), (std::vector<std::string>{"Adams", "Baker", "Young"}));
        QCOMPARE(f.OnDisk(), f.Lasts());
        QCOMPARE(f.view.refreshes.size(), std::size_t(2));
        QCOMPARE(f.view.refreshes[0].record, &smith);
        QVERIFY(f.view.refreshes[0].save);
        // Closing the results closed the find dialog; then the plain refresh.
        QCOMPARE(f.view.refreshes[1].record, nullptr);
        QVERIFY(!f.view.refreshes[1].save);
    }
};

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
