#include "app/CKinbookApp.h"
#include "app/CMainFrame.h"
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void opensWithEmptyCaption() {
        CKinbookApp app;
        QVERIFY(app.InitInstance());
        QVERIFY(app.MainFrame() != nullptr);
        QVERIFY(app.MainFrame()->isVisible());
        QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral(" - Kinbook"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
