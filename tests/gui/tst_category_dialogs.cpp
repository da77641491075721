#include "FakeMessageBox.h"
#include "model/CCategoryList.h"
#include "model/CCategoryListDlg.h"
#include "model/CCategoryNameDlg.h"
#include "model/CRecordList.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// Runs action on the name dialog as soon as it is open (it runs modally).
void WhenNameDialogOpens(std::function<void(CCategoryNameDlg*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dlg = qobject_cast<CCategoryNameDlg*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dlg);
        }
    });
    timer->start();
}

void TypeAndOk(CCategoryNameDlg* dlg, const QString& text) {
    dlg->NameEdit()->clear();
    QTest::keyClicks(dlg->NameEdit(), text);
    QTest::mouseClick(dlg->OkButton(), Qt::LeftButton);
}

QPushButton* Button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class TestCategoryDialogs : public QObject {
    Q_OBJECT
private slots:
    void nameDialogRefusesAnEmptyNameAndStaysOpen() {
        FakeMessageBox mb;
        CCategoryNameDlg dlg(mb);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString());
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("IDC_CATEGORY_PROMPT"))->text(),
                 QStringLiteral("Enter the new category name:"));
        QCOMPARE(dlg.OkButton()->text(), QStringLiteral("&Ok"));
        QVERIFY(dlg.OkButton()->isDefault());
        QCOMPARE(Button(&dlg, "IDCANCEL")->text(), QStringLiteral("&Cancel"));

        QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(mb.shown.size(), size_t(1));
        QCOMPARE(mb.shown[0].text, std::string("You must enter a category name to continue."));
        QCOMPARE(mb.shown[0].caption, std::string("Invalid Category Name"));
        QVERIFY(mb.shown[0].icon == MbIcon::Stop);

        QTest::keyClicks(dlg.NameEdit(), QStringLiteral(" Friends "));
        QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strName, std::string(" Friends ")); // as typed
    }

    void nameDialogShowsTheGivenNameAndCancelKeepsIt() {
        FakeMessageBox mb;
        CCategoryNameDlg dlg(mb);
        dlg.m_strName = "Personal";
        dlg.show();
        QCOMPARE(dlg.NameEdit()->text(), QStringLiteral("Personal"));
        dlg.NameEdit()->setText(QStringLiteral("Other"));
        QTest::mouseClick(Button(&dlg, "IDCANCEL"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_strName, std::string("Personal"));
        QVERIFY(mb.shown.empty());
    }

    void nameDialogTakesAtMost255Characters() {
        FakeMessageBox mb;
        CCategoryNameDlg dlg(mb);
        dlg.show();
        QTest::keyClicks(dlg.NameEdit(), QString(300, QLatin1Char('x')));
        QCOMPARE(dlg.NameEdit()->text().size(), 255);
    }

    void listDialogShowsSortedNamesWithoutUnfiled() {
        FakeMessageBox mb;
        CCategoryList cats;
        cats.ResetToDefaults();
        cats.AddTail("apple");
        CRecordList records;
        CCategoryListDlg dlg(cats, records, mb);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Category List"));
        QCOMPARE(Items(dlg.List()),
                 (QStringList{QStringLiteral("apple"), QStringLiteral("Business"),
                              QStringLiteral("Personal")}));
        QCOMPARE(dlg.List()->currentRow(), 0);
        QCOMPARE(Button(&dlg, "IDC_CATEGORY_NEW")->text(), QStringLiteral("&New"));
        QCOMPARE(Button(&dlg, "IDC_CATEGORY_RENAME")->text(), QStringLiteral("&Rename"));
        QCOMPARE(Button(&dlg, "IDC_CATEGORY_DELETE")->text(), QStringLiteral("&Delete"));
        QCOMPARE(Button(&dlg, "IDOK")->text(), QStringLiteral("&Close"));
        QVERIFY(Button(&dlg, "IDOK")->isDefault());
    }

    void newThroughTheNameDialogAddsAndRefusesReservedNames() {
        FakeMessageBox mb;
        CCategoryList cats;
        cats.ResetToDefaults();
        CRecordList records;
        CCategoryListDlg dlg(cats, records, mb);
        dlg.show();

        WhenNameDialogOpens([](CCategoryNameDlg* d) {
            QCOMPARE(d->NameEdit()->text(), QString());
            TypeAndOk(d, QStringLiteral("Friends"));
        });
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_NEW"), Qt::LeftButton);
        QCOMPARE(cats.GetCount(), size_t(4));
        QCOMPARE(cats.IndexOf("Friends"), 3);
        QCOMPARE(Items(dlg.List()),
                 (QStringList{QStringLiteral("Business"), QStringLiteral("Friends"),
                              QStringLiteral("Personal")}));

        WhenNameDialogOpens([](CCategoryNameDlg* d) { TypeAndOk(d, QStringLiteral("UNFILED")); });
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_NEW"), Qt::LeftButton);
        QCOMPARE(cats.GetCount(), size_t(4));
        QCOMPARE(mb.shown.size(), size_t(1));
        QCOMPARE(mb.shown[0].text, std::string("The word UNFILED is a reserved category name."));
    }

    void renameOffersTheSelectedNameAndDeleteRenumbers() {
        FakeMessageBox mb;
        CCategoryList cats;
        CRecordList records;
        cats.ResetToDefaults();
        for (std::uint16_t i : {0, 1, 2}) {
            records.push_back(std::make_unique<CContactRecord>());
            records.back()->m_nCategory = i;
        }
        CCategoryListDlg dlg(cats, records, mb);
        dlg.show();
        dlg.List()->setCurrentRow(1); // Personal

        WhenNameDialogOpens([](CCategoryNameDlg* d) {
            QCOMPARE(d->NameEdit()->text(), QStringLiteral("Personal"));
            TypeAndOk(d, QStringLiteral("Family"));
        });
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_RENAME"), Qt::LeftButton);
        QCOMPARE(cats.NameOf(2), std::string("Family"));
        QCOMPARE(Items(dlg.List()),
                 (QStringList{QStringLiteral("Business"), QStringLiteral("Family")}));

        dlg.List()->setCurrentRow(0); // Business
        mb.answers = {MbResult::Yes};
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_DELETE"), Qt::LeftButton);
        QCOMPARE(mb.shown.back().caption, std::string("Confirmation"));
        QCOMPARE(Items(dlg.List()), QStringList{QStringLiteral("Family")});
        QVERIFY(dlg.List()->selectedItems().isEmpty());
        QCOMPARE(records[0]->m_nCategory, std::uint16_t(0));
        QCOMPARE(records[1]->m_nCategory, std::uint16_t(0));
        QCOMPARE(records[2]->m_nCategory, std::uint16_t(1));

        // Nothing selected now: Rename and Delete say so and change nothing.
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_RENAME"), Qt::LeftButton);
        QTest::mouseClick(Button(&dlg, "IDC_CATEGORY_DELETE"), Qt::LeftButton);
        QCOMPARE(mb.shown[mb.shown.size() - 2].text,
                 std::string("You must first select a category to rename it."));
        QCOMPARE(mb.shown.back().text,
                 std::string("You must first select a category to Delete it."));
        QCOMPARE(mb.shown.back().caption, std::string("Selection Error"));
        QCOMPARE(cats.GetCount(), size_t(2));

        QTest::mouseClick(Button(&dlg, "IDOK"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestCategoryDialogs)
#include "tst_category_dialogs.moc"
