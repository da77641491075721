#include "ScriptedPorts.h"
#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "ModalDriver.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "edit/CFindDlg.h"
#include "edit/CSearchResultsDlg.h"
#include "edit/CSheet.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include "view/CKinbookView.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The real frame and view over a book in a temporary folder, shown and active.
struct ActiveFrame : ScriptedPorts {
    std::unique_ptr<CMainFrame> frame;

    void Start(std::initializer_list<const char*> lastNames) {
        doc.SetDataPath(dir.File("book.kbk"));
        frame = std::make_unique<CMainFrame>(doc, services);
        frame->View().InitialUpdate();
        for (const char* last : lastNames) {
            auto record = std::make_unique<CContactRecord>();
            record->m_strLastName = last;
            record->m_nCategory = 1;
            doc.GetRecords().push_back(std::move(record));
        }
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->FirstActivation();
        frame->View().FirstActivation();
        QApplication::setActiveWindow(frame.get());
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        List()->setFocus();
        QTRY_VERIFY(List()->hasFocus());
    }
    QTreeView* List() { return frame->findChild<QTreeView*>(QStringLiteral("IDC_CONTACT_LIST")); }
    QSlider* Slider() { return frame->findChild<QSlider*>(QStringLiteral("IDC_LETTER_SLIDER")); }
    QStringList Names() {
        QStringList names;
        for (int r = 0; r < List()->model()->rowCount(); ++r)
            names << List()->model()->index(r, 0).data().toString();
        return names;
    }
};

} // namespace

// The view inside the real main frame: the keys of Copy Record reach it.
class TestViewInFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void copyKeysCopyTheRecordOrTheSelection() {
        ScriptedPorts ports;
        CKinbookDoc& doc = ports.doc;
        doc.SetDataPath(ports.dir.File("book.kbk"));
        CMainFrame frame(doc, ports.services);
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

    void findLeavesTheKeysWithTheMainWindow() {
        ActiveFrame f;
        f.Start({"Adams", "Baker"});
        bool listed = false;
        WhenModal<CFindDlg>([&listed](CFindDlg& find) {
            find.FindString().setText(QStringLiteral("adams"));
            WhenModal<CSearchResultsDlg>([&listed](CSearchResultsDlg& results) {
                listed = results.List().topLevelItemCount() == 1;
                results.findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
            });
            find.OnFind();
        });
        QTest::keySequence(f.List(), QKeySequence(Qt::CTRL | Qt::Key_F));
        QVERIFY(listed);
        QTRY_COMPARE(QApplication::activeWindow(), f.frame.get());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.List()));
        // Ctrl+N works again without a click.
        bool editorOpened = false;
        WhenModal<CSheet>([&editorOpened](CSheet& sheet) {
            editorOpened = true;
            sheet.reject();
        });
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QVERIFY(editorOpened);
    }

    void listKeysEditDeleteAndMoveTheLetter() {
        ActiveFrame f;
        f.Start({"Adams", "\xC3\x89mile", "Zed", "Zimmer",
                 "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"});
        bool editorOpened = false;
        WhenModal<CSheet>([&editorOpened](CSheet& sheet) {
            editorOpened = true;
            sheet.reject();
        });
        QTest::keyClick(f.List(), Qt::Key_Return);
        QVERIFY(editorOpened);

        f.messageBox.answers.push_back(MbResult::No);
        QTest::keyClick(f.List(), Qt::Key_Delete);
        QCOMPARE(f.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(f.doc.GetRecords().size(), std::size_t(5));

        // A typed letter moves the slider, whatever its case; other keys do not. The
        // list keeps the focus.
        QApplication::setActiveWindow(f.frame.get());
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        f.List()->setFocus();
        QTRY_VERIFY(f.List()->hasFocus());
        QTest::keyClick(f.List(), Qt::Key_Z);
        QCOMPARE(f.Slider()->value(), 25);
        QCOMPARE(f.Names(), (QStringList{QStringLiteral("Zed"), QStringLiteral("Zimmer")}));
        QTest::keyClick(f.List(), 'a');
        QCOMPARE(f.Slider()->value(), 0);
        QCOMPARE(f.Names(), QStringList{QStringLiteral("Adams")});
        QTest::keyClick(f.List(), Qt::Key_5);
        QCOMPARE(f.Slider()->value(), 0);
        // A letter with a diacritic goes to its base letter's tab; "#" and the letters of
        // other scripts to the "#" tab, where the names beyond A-Z are.
        const auto type = [&f](const QString& text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QApplication::sendEvent(f.List(), &press);
        };
        type(QStringLiteral("\u00E9"));
        QCOMPARE(f.Slider()->value(), 4);
        QCOMPARE(f.Names(), QStringList{QStringLiteral("\u00C9mile")});
        type(QStringLiteral("#"));
        QCOMPARE(f.Slider()->value(), 26);
        QCOMPARE(f.Names(), QStringList{QStringLiteral("\u0418\u0432\u0430\u043D\u043E\u0432")});
        type(QStringLiteral("a"));
        type(QStringLiteral("\u0416"));
        QCOMPARE(f.Slider()->value(), 26);
        QVERIFY(f.List()->hasFocus());
    }

    void rightButtonOffersTheRecordCommands() {
        ActiveFrame f;
        f.Start({"Adams", "Allen"});
        const QRect row = f.List()->visualRect(f.List()->model()->index(1, 0));
        QTest::mouseClick(f.List()->viewport(), Qt::RightButton, {}, row.center());
        QContextMenuEvent event(QContextMenuEvent::Mouse, row.center(),
                                f.List()->viewport()->mapToGlobal(row.center()));
        QApplication::sendEvent(f.List()->viewport(), &event);
        QMenu* menu = f.frame->View().ContactMenu();
        QTRY_VERIFY(menu->isVisible());
        QStringList entries;
        for (QAction* a : menu->actions()) {
            entries << a->text();
            QVERIFY2(a->isEnabled(), qPrintable(a->text()));
            // the very actions of the menus
            QCOMPARE(a, f.frame->Commands().Action(a->data().toInt()));
        }
        QCOMPARE(entries,
                 (QStringList{QStringLiteral("&Edit Record"), QStringLiteral("&Delete Record"),
                              QStringLiteral("&Copy Record"),
                              QStringLiteral("&Print Contact's Record...")}));
        QCOMPARE(f.Names().at(f.List()->currentIndex().row()), QStringLiteral("Allen"));
        menu->hide();
        // Under a letter without entries the record commands are off.
        f.frame->View().RefreshView(nullptr, false);
        QTest::keyClick(f.List(), Qt::Key_Q);
        QApplication::sendEvent(f.List()->viewport(), &event);
        QTRY_VERIFY(menu->isVisible());
        for (int id : {ID_EDIT_RECORD, ID_DELETE_RECORD, ID_EDIT_COPY, ID_PRINT_RECORD})
            QVERIFY(!f.frame->Commands().Action(id)->isEnabled());
        menu->hide();
    }
};

QTEST_MAIN(TestViewInFrame)
#include "tst_view_frame.moc"
