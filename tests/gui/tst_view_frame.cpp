#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CMainFrame.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "view/CKinbookView.h"
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTreeView>
#include <QtTest>

// The view inside the real main frame: the keys of Copy Record reach it.
class TestViewInFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void copyKeysCopyTheRecordOrTheSelection() {
        TempDir dir;
        FakeMessageBox messageBox;
        FakeFileChooser fileChooser;
        FakeClock clock;
        MemorySettingsStore settings;
        AppServices services{messageBox, fileChooser, clock, settings, RealFileSystem()};
        CKinbookDoc doc{messageBox, RealFileSystem()};
        doc.SetDataPath(dir.File("book.kbk"));
        CMainFrame frame(doc, services);
        frame.View().InitialUpdate();
        auto record = std::make_unique<CContactRecord>();
        record->m_strLastName = "Adams";
        record->m_strFirstName = "Ann";
        doc.GetRecords().push_back(std::move(record));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.FirstActivation();
        frame.View().FirstActivation();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        auto* list = frame.findChild<QTreeView*>(QStringLiteral("IDC_CONTACT_LIST"));
        auto* pane = frame.findChild<QPlainTextEdit*>(QStringLiteral("IDC_DETAIL_PANE"));
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString whole = QStringLiteral("Category: Business\nAnn Adams\n\n");

        for (auto key :
             {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}) {
            // A refresh shows the record afresh, with nothing selected in the pane.
            frame.View().RefreshView(nullptr, false);
            clipboard->setText(QStringLiteral("before"));
            list->setFocus();
            QTRY_VERIFY(list->hasFocus());
            QTest::keySequence(list, key);
            QCOMPARE(clipboard->text(), whole);

            clipboard->setText(QStringLiteral("before"));
            pane->setFocus();
            QTRY_VERIFY(pane->hasFocus());
            QTest::keySequence(pane, key);
            QCOMPARE(clipboard->text(), whole);

            QTextCursor cursor = pane->textCursor();
            cursor.setPosition(QStringLiteral("Category: Business\n").size());
            cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
            pane->setTextCursor(cursor);
            QTest::keySequence(pane, key);
            QCOMPARE(clipboard->text(), QStringLiteral("Ann Adams"));
        }
    }
};

QTEST_MAIN(TestViewInFrame)
#include "tst_view_frame.moc"
