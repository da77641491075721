#include "app/CKinbookApp.h"
#include "app/CMainFrame.h"
#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void opensWithEmptyCaption() {
        // An empty book reports its empty category once the window is up; answer it.
        QStringList messages;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&messages] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messages << box->text();
                box->accept();
            }
        });
        answer.start(20);
        CKinbookApp app;
        QVERIFY(app.InitInstance());
        QVERIFY(app.MainFrame() != nullptr);
        QVERIFY(app.MainFrame()->isVisible());
        QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral(" - Kinbook"));
        // The test settings are shared with other suites: any category may be stored.
        const QString empty = QStringLiteral("There are no items listed under category '");
        QVERIFY2(std::any_of(messages.begin(), messages.end(),
                             [&](const QString& m) { return m.startsWith(empty); }),
                 qPrintable(messages.join(u'|')));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
