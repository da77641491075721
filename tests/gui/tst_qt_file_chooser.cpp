#include "app/QtFileChooser.h"
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

// The file dialogs show the program's own filter names and initial names, and list the
// files their filters name.
class TestQtFileChooser : public QObject {
    Q_OBJECT
private slots:
    void filtersKeepTheirNamesAndEndInTheirPatterns_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("named patterns")
            << QStringLiteral("Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv||")
            << QStringList{QStringLiteral("Tab Delimited (*.tab) (*.tab)"),
                           QStringLiteral("Comma-Quote Delimited (*.csv) (*.csv)")};
        QTest::newRow("every file") << QStringLiteral("All Files (*.*)|*.*||")
                                    << QStringList{QStringLiteral("All Files (*.*) (*)")};
        QTest::newRow("no parentheses, two patterns")
            << QStringLiteral("Text|*.txt;*.text||")
            << QStringList{QStringLiteral("Text (*.txt *.text)")};
    }
    void filtersKeepTheirNamesAndEndInTheirPatterns() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(QtFileChooser::QtFilters(filter.toStdString()), expected);
    }

    void theDialogShowsTheProgramsNamesAndListsEveryFile() {
        QTemporaryDir dir;
        for (const char* name : {"a.kbk", "README"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        FileDialogRequest request;
        request.filter = "Kinbook Data file (*.kbk)|*.kbk|All Files (*.*)|*.*||";
        request.initialName = "*.kbk";
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setDirectory(dir.path());
        QtFileChooser::Prepare(dialog, request, false);
        dialog.show();

        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types != nullptr);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        QCOMPARE(shown, (QStringList{QStringLiteral("Kinbook Data file (*.kbk)"),
                                     QStringLiteral("All Files (*.*)")}));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        QCOMPARE(name->text(), QStringLiteral("*.kbk"));

        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model != nullptr);
        auto listed = [&] {
            QStringList names;
            const QModelIndex root = model->index(dir.path());
            for (int r = 0; r < model->rowCount(root); ++r)
                names << model->index(r, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(), QStringList{QStringLiteral("a.kbk")});
        types->setCurrentIndex(1);
        emit types->activated(1); // as the user's choice
        QTRY_COMPARE(listed(), (QStringList{QStringLiteral("README"), QStringLiteral("a.kbk")}));
        QCOMPARE(QtFileChooser::FilterIndex(dialog.nameFilters(), dialog.selectedNameFilter()), 2);
        types->setCurrentIndex(0);
        emit types->activated(0);
        QCOMPARE(QtFileChooser::FilterIndex(dialog.nameFilters(), dialog.selectedNameFilter()), 1);
    }
};

QTEST_MAIN(TestQtFileChooser)
#include "tst_qt_file_chooser.moc"
