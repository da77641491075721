#include "app/CKinbookApp.h"
#include "app/CMainFrame.h"
#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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
        QVERIFY(messages.contains(QStringLiteral("There are no items listed under category 'All'.")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
