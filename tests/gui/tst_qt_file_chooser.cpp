#include "app/QtFileChooser.h"
#include <QtTest>

// The file dialogs must list the files their filters name.
class TestQtFileChooser : public QObject {
    Q_OBJECT
private slots:
    void filtersEndInTheirPatterns_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("named patterns")
            << QStringLiteral("Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv||")
            << QStringList{QStringLiteral("Tab Delimited (*.tab)"),
                           QStringLiteral("Comma-Quote Delimited (*.csv)")};
        QTest::newRow("every file") << QStringLiteral("All Files (*.*)|*.*||")
                                    << QStringList{QStringLiteral("All Files (*)")};
        QTest::newRow("no parentheses, two patterns")
            << QStringLiteral("Text|*.txt;*.text||")
            << QStringList{QStringLiteral("Text (*.txt *.text)")};
    }
    void filtersEndInTheirPatterns() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(QtFileChooser::QtFilters(filter.toStdString()), expected);
    }
};

QTEST_MAIN(TestQtFileChooser)
#include "tst_qt_file_chooser.moc"
