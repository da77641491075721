#include "ScriptedPorts.h"
#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "app/AppServices.h"
#include "app/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "resources/CommandIds.h"
#include "view/CKinbookView.h"
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(CTrayLogic::State)

namespace {

// A frame on fake ports and in-memory settings.
struct FrameRig : ScriptedPorts {
    std::unique_ptr<CMainFrame> frame;

    CMainFrame& Make() {
        frame = std::make_unique<CMainFrame>(doc, services);
        return *frame;
    }
    int Int(const char* name) { return std::get<int>(settings.values.at(name)); }
    QString Str(const char* name) {
        return QString::fromStdString(std::get<std::string>(settings.values.at(name)));
    }
};

QStringList L(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

QString Shortcuts(const QAction* action) {
    QStringList keys;
    for (const QKeySequence& k : action->shortcuts())
        keys << k.toString(QKeySequence::PortableText);
    return keys.join(QLatin1Char(';'));
}

// A menu's entries as text: "-" for a separator.
QStringList Entries(const QMenu* menu) {
    QStringList entries;
    for (const QAction* a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return entries;
}

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void menusHoldEveryEntryInOrder() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        const QList<QAction*> menus = frame.menuBar()->actions();
        QStringList titles;
        for (const QAction* m : menus)
            titles << m->text();
        QCOMPARE(titles, L({"&File", "&Edit", "&View", "&Help"}));
        QCOMPARE(Entries(menus[0]->menu()),
                 L({"&New Contact...", "-", "&Open Archive...", "New &Archive...", "&Import...",
                    "&Export...", "-", "Address Book &Server...", "S&ync Now", "-",
                    "&Print Contact's Record...", "Print &Contact Book...",
                    "Printer Set&up...", "-", "&Backup Data...", "&Restore From Backup...", "-",
                    "E&xit"}));
        QCOMPARE(Entries(menus[1]->menu()),
                 L({"&Undo Import", "-", "&Copy Record", "&Edit Record", "&Delete Record", "-",
                    "&Find Contact\tCtrl-F"}));
        QCOMPARE(Entries(menus[2]->menu()),
                 L({"&Toolbar", "&Status Bar", "-", "Show Tray &Icon", "-", "&Reload Data"}));
        QCOMPARE(Entries(menus[3]->menu()), L({"&Help Topics", "-", "&About Kinbook..."}));
        QCOMPARE(Entries(frame.TrayMenu()), L({"Restore", "Hide Tray Icon", "-", "Exit Kinbook"}));
        QCOMPARE(frame.TrayMenu()->title(), QStringLiteral("Kinbook"));
    }

    // The commands with keys or a toolbar tip; every other command needs a prompt.
    void everyCommandHasItsKeysPromptAndTip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("tip");
        auto row = [](const char* name, int id, const char* keys, const char* prompt,
                      const char* tip) {
            QTest::newRow(name) << QString::fromLatin1(name) << id << QString::fromLatin1(keys)
                                << QString::fromLatin1(prompt) << QString::fromLatin1(tip);
        };
        row("ID_NEW_CONTACT", 32777, "Ctrl+N", "Add a NEW contact", "New Contact");
        row("ID_EDIT_RECORD", 32775, "Ctrl+E", "Edit a contact's record", "Edit Contact's Record");
        row("ID_DELETE_RECORD", 32776, "", "Delete a selected contact", "Delete Contact");
        row("ID_FIND_CONTACT", 32778, "Ctrl+F", "Find a contact's record", "Find Contact's Record");
        row("ID_EDIT_COPY", 57634, "Ctrl+C;Ctrl+Ins",
            "Copy a selection or the entire record to the clipboard",
            "Copy Selected Text or Entire Record to Clipboard");
        row("ID_PRINT_RECORD", 32784, "Ctrl+P", "Print a contact's record",
            "Print Contact's Record");
        row("ID_PRINT_BOOK", 32774, "", "Print a contact record book", "Print Contact Record Book");
        row("ID_SHOW_TRAY_ICON", 32781, "", "Show the program icon in the system tray",
            "Toggle Tray Icon");
        row("ID_RELOAD_DATA", 32795, "F5", "Read the contact data file again", "");
        row("ID_HELP", 57670, "F1", "Show the Kinbook user guide", "");
        row("ID_CONTEXT_HELP", 57669, "Shift+F1", "Click an item to learn what it does", "");
        row("ID_FILE_SAVE", 57603, "Ctrl+S", "", "");
    }
    void everyCommandHasItsKeysPromptAndTip() {
        QFETCH(QString, name);
        QFETCH(int, id);
        QFETCH(QString, keys);
        QFETCH(QString, prompt);
        QFETCH(QString, tip);
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        auto* action = frame.findChild<QAction*>(name);
        QVERIFY(action != nullptr);
        QCOMPARE(action, frame.Commands().Action(id));
        QCOMPARE(Shortcuts(action), keys);
        QCOMPARE(action->statusTip(), prompt);
        if (!tip.isEmpty())
            QCOMPARE(action->toolTip(), tip);
        // A key works only where the window holds its action (in a menu or itself).
        if (!keys.isEmpty())
            QVERIFY(frame.actions().contains(action) || !action->associatedObjects().isEmpty());
    }
    void everyCommandHasAPrompt() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        for (QAction* a : frame.findChildren<QAction*>()) {
            if (a->objectName().startsWith(QLatin1String("ID_")) &&
                a->objectName() != QLatin1String("ID_FILE_SAVE"))
                QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->objectName()));
        }
    }

    void toolbarKeepsItsOrderAndGaps() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        QStringList buttons;
        for (QAction* a : frame.ToolBar()->actions()) {
            buttons << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
            if (!a->isSeparator())
                QVERIFY2(!a->icon().pixmap(16, 16).isNull(), qPrintable(a->objectName()));
        }
        QCOMPARE(buttons,
                 L({"ID_NEW_CONTACT", "ID_DELETE_RECORD", "ID_EDIT_RECORD", "-", "ID_EDIT_COPY",
                    "-", "ID_PRINT_RECORD", "ID_PRINT_BOOK", "-", "ID_FIND_CONTACT"}));
        QVERIFY(frame.ToolBar()->isMovable());
        QVERIFY(frame.ToolBar()->isFloatable());
        QCOMPARE(frame.ToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    }

    void statusBarHasTheLockPanesAndShowsPrompts() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        QStringList panes;
        for (const char* name : {"ID_INDICATOR_CAPS", "ID_INDICATOR_NUM", "ID_INDICATOR_SCRL"}) {
            auto* label = frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY(label != nullptr);
            panes << label->text();
            // Offscreen nobody reports the locks: the panes stay dim.
            QVERIFY(!label->isEnabled());
        }
        QCOMPARE(panes, L({"CAP", "NUM", "SCRL"}));
        frame.Commands().Action(ID_NEW_CONTACT)->showStatusText(frame.menuBar());
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Add a NEW contact"));
    }

    void otherSubsystemsCommandsWaitForTheirHandlers() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        frame.Commands().Update();
        for (int id : {ID_IMPORT, ID_EXPORT, ID_BACKUP_DATA}) {
            // Disabled exactly when nobody handles it yet.
            QCOMPARE(frame.Commands().Action(id)->isEnabled(), frame.Commands().Execute(id));
        }
        // Handled, and not run here: it opens its own dialog.
        QVERIFY(frame.Commands().Action(ID_OPEN_ARCHIVE)->isEnabled());
        for (int id : {ID_APP_EXIT, ID_SHOW_TRAY_ICON, ID_HIDE_TRAY_ICON, ID_TRAY_EXIT,
                       ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_HELP_FINDER, ID_APP_ABOUT})
            QVERIFY(frame.Commands().Action(id)->isEnabled());
    }

    // Each script is a series of steps; the state after each step is checked.
    void trayStateMachine_data() {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<bool>("startWithTray");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        // Steps: c close, r restore, e Exit Kinbook, t Show Tray Icon, h Hide Tray Icon.
        // States: N shown no icon, I shown icon, H hidden icon, X program ended.
        QTest::newRow("no icon: close ends") << true << false << "c"
                                             << "X";
        QTest::newRow("icon: close hides, restore shows") << true << true << "crc"
                                                          << "HIH";
        QTest::newRow("icon: hidden, Hide Tray Icon ends") << true << true << "ch"
                                                           << "HX";
        QTest::newRow("icon: shown, Hide Tray Icon keeps the window") << true << true << "hc"
                                                                      << "NX";
        QTest::newRow("icon: Exit Kinbook ends while shown") << true << true << "e"
                                                             << "X";
        QTest::newRow("icon: Exit Kinbook ends while hidden") << true << true << "ce"
                                                              << "HX";
        QTest::newRow("toggle on then close hides") << true << false << "tc"
                                                    << "IH";
        QTest::newRow("toggle off then close ends") << true << true << "tc"
                                                    << "NX";
        QTest::newRow("restore while shown does nothing") << true << true << "r"
                                                          << "I";
        QTest::newRow("no tray: the setting toggles, close still ends") << false << false << "tc"
                                                                        << "NX";
        QTest::newRow("no tray: stored icon setting, close ends") << false << true << "c"
                                                                  << "X";
    }
    void trayStateMachine() {
        QFETCH(bool, trayAvailable);
        QFETCH(bool, startWithTray);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        bool ended = false;
        bool visible = true;
        bool icon = false;
        CTrayLogic* self = nullptr;
        CTrayLogic logic(CTrayLogic::Hooks{[&] { visible = true; }, [&] { visible = false; },
                                           [&](bool on) { icon = on; },
                                           [&] { ended = self->OnClose(); }},
                         trayAvailable);
        self = &logic;
        logic.Start(startWithTray);
        logic.OnShowNotification();
        QString states;
        for (QChar step : steps) {
            switch (step.toLatin1()) {
            case 'c':
                ended = logic.OnClose();
                break;
            case 'r':
                logic.Restore();
                break;
            case 'e':
                logic.ExitKinbook();
                break;
            case 't':
                logic.ToggleShowTray();
                break;
            case 'h':
                logic.HideTrayIcon();
                break;
            }
            if (ended) {
                states += QLatin1Char('X');
                break;
            }
            QCOMPARE(visible, logic.Shown());
            // The icon is asked for whenever the setting is on; it shows where a tray is.
            QCOMPARE(icon, logic.ShowTray());
            QCOMPARE(icon && trayAvailable,
                     logic.CurrentState() == CTrayLogic::State::ShownIcon ||
                         logic.CurrentState() == CTrayLogic::State::HiddenIcon);
            QCOMPARE(logic.CanRestore(), !visible);
            switch (logic.CurrentState()) {
            case CTrayLogic::State::ShownNoIcon:
                states += QLatin1Char('N');
                break;
            case CTrayLogic::State::ShownIcon:
                states += QLatin1Char('I');
                break;
            case CTrayLogic::State::HiddenIcon:
                states += QLatin1Char('H');
                break;
            case CTrayLogic::State::HiddenNoIcon:
                states += QLatin1Char('?'); // never reachable
                break;
            }
        }
        QCOMPARE(states, expected);
    }

    void closeHandlingThroughTheFrameCommands() {
        FrameRig rig;
        rig.settings.WriteInt("Show Tray", 1);
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(true);
        QSignalSpy ending(&frame, &CMainFrame::ProgramEnding);
        frame.FirstActivation();
        QVERIFY(frame.isVisible());
        frame.Commands().Update();
        QVERIFY(frame.Commands().Action(ID_SHOW_TRAY_ICON)->isChecked());
        QVERIFY(!frame.Commands().Action(ID_TRAY_RESTORE)->isEnabled());

        // "E&xit" with the icon on hides like the close box.
        QVERIFY(frame.Commands().Execute(ID_APP_EXIT));
        QVERIFY(!frame.isVisible());
        QCOMPARE(ending.count(), 0);
        QVERIFY(frame.Commands().Action(ID_TRAY_RESTORE)->isEnabled());
        QVERIFY(frame.Commands().Execute(ID_TRAY_RESTORE));
        QVERIFY(frame.isVisible());
        QVERIFY(!frame.Commands().Action(ID_TRAY_RESTORE)->isEnabled());

        // Hide Tray Icon while shown only drops the icon; then close ends.
        QVERIFY(frame.Commands().Execute(ID_HIDE_TRAY_ICON));
        QVERIFY(frame.isVisible());
        QVERIFY(!frame.Commands().Action(ID_SHOW_TRAY_ICON)->isChecked());
        frame.close();
        QCOMPARE(ending.count(), 1);
    }

    void hideTrayIconWhileHiddenEndsTheProgram() {
        FrameRig rig;
        rig.settings.WriteInt("Show Tray", 1);
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(true);
        QSignalSpy ending(&frame, &CMainFrame::ProgramEnding);
        frame.FirstActivation();
        frame.close();
        QVERIFY(!frame.isVisible());
        QCOMPARE(ending.count(), 0);
        QVERIFY(frame.Commands().Execute(ID_HIDE_TRAY_ICON));
        QCOMPARE(ending.count(), 1);
    }

    void withoutATrayCloseAlwaysEnds() {
        FrameRig rig;
        rig.settings.WriteInt("Show Tray", 1);
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(false);
        QSignalSpy ending(&frame, &CMainFrame::ProgramEnding);
        frame.FirstActivation();
        QVERIFY(frame.Commands().Execute(ID_SHOW_TRAY_ICON)); // off
        QVERIFY(frame.Commands().Execute(ID_SHOW_TRAY_ICON)); // on again: still no tray
        QVERIFY(frame.Commands().Action(ID_SHOW_TRAY_ICON)->isChecked());
        frame.close();
        QCOMPARE(ending.count(), 1);
        rig.frame.reset();
        // The setting is kept for a desktop with a tray.
        QCOMPARE(rig.Int("Show Tray"), 1);
    }

    void aLeftClickOnTheIconRestores() {
        FrameRig rig;
        rig.settings.WriteInt("Show Tray", 1);
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(true);
        frame.FirstActivation();
        frame.close();
        QVERIFY(!frame.isVisible());
        emit frame.TrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(frame.isVisible());
        QVERIFY(!frame.TrayMenu()->isVisible());
        QVERIFY(!frame.Commands().Action(ID_TRAY_RESTORE)->isEnabled());
        // The menu belongs to the right button.
        QCOMPARE(frame.TrayIcon()->contextMenu(), frame.TrayMenu());
        emit frame.TrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(frame.isVisible());
    }

    void anotherStartShowsTheWindow() {
        FrameRig rig;
        rig.settings.WriteInt("Show Tray", 1);
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(true);
        frame.FirstActivation();
        frame.close(); // to the tray
        frame.ShowFromOutside();
        QVERIFY(frame.isVisible());
        QVERIFY(frame.Tray().Shown());
        frame.showMinimized();
        QTRY_VERIFY(frame.isMinimized());
        frame.ShowFromOutside();
        QTRY_VERIFY(!frame.isMinimized());
        QVERIFY(frame.isVisible());
    }

    void theIconIsAskedForBeforeATrayExists() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        frame.SetTrayAvailable(false);
        frame.FirstActivation();
        QVERIFY(frame.Commands().Execute(ID_SHOW_TRAY_ICON));
        // The icon waits for a tray; a tray appearing later shows it.
        QVERIFY(frame.TrayIcon()->isVisible());
        frame.SetTrayAvailable(true); // the tray has appeared
        frame.close();
        QVERIFY(!frame.isVisible());
        QVERIFY(frame.Tray().CanRestore());
    }

    void aWindowClosedToTheTrayKeepsItsPlace() {
        FrameRig rig;
        rig.settings.WriteString("Rect", "0134 0100 0634 0500");
        rig.settings.WriteInt("Show Tray", 1);
        for (int run = 0; run < 3; ++run) {
            CMainFrame& frame = rig.Make();
            frame.SetTrayAvailable(true);
            frame.FirstActivation();
            QCOMPARE(frame.frameGeometry().topLeft(), QPoint(134, 100));
            frame.close();
            QVERIFY(!frame.isVisible());
            QVERIFY(frame.Commands().Execute(ID_TRAY_EXIT));
            rig.frame.reset();
            QCOMPARE(rig.Str("Rect"), QStringLiteral("0134 0100 0634 0500"));
        }
    }

    void aPlaceOffEveryScreenComesBack() {
        FrameRig rig;
        rig.settings.WriteString("Rect", "3000 2500 3500 2900");
        CMainFrame& frame = rig.Make();
        frame.FirstActivation();
        const QRect screen = frame.screen()->availableGeometry();
        // All of it is on the screen again (it fits); the size is kept.
        QVERIFY2(screen.contains(frame.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(frame.frameGeometry().x())
                                .arg(frame.frameGeometry().y())
                                .arg(frame.frameGeometry().width())
                                .arg(frame.frameGeometry().height())));
        QCOMPARE(frame.geometry().size(), QSize(500, 400));
        rig.frame.reset();
        QVERIFY(rig.Str("Rect") != QStringLiteral("3000 2500 3500 2900"));
    }

    void firstRunOpensNormalAtTheDefaultRectangle() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        frame.FirstActivation();
        QVERIFY(frame.isVisible());
        QCOMPARE(frame.windowState(), Qt::WindowNoState);
        // The outer corner at 10, 10, decorations included; the window 490 by 390.
        QCOMPARE(frame.frameGeometry().topLeft(), QPoint(10, 10));
        QCOMPARE(frame.geometry().size(), QSize(490, 390));
        rig.frame.reset();
        QCOMPARE(rig.Str("Rect"), QStringLiteral("0010 0010 0500 0400"));
        QCOMPARE(rig.Int("icon"), 0);
        QCOMPARE(rig.Int("max"), 0);
        QCOMPARE(rig.Int("Show Tray"), 0);
    }

    void placementFollowsIconAndMax_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << 0 << 0 << false << false;
        QTest::newRow("maximised") << 0 << 1 << false << true;
        QTest::newRow("minimised") << 1 << 0 << true << false;
        QTest::newRow("minimised, restores maximised") << 1 << 1 << true << true;
    }
    void placementFollowsIconAndMax() {
        QFETCH(int, icon);
        QFETCH(int, max);
        QFETCH(bool, minimised);
        QFETCH(bool, maximised);
        FrameRig rig;
        rig.settings.WriteString("Rect", "0100 0050 0600 0450");
        rig.settings.WriteInt("icon", icon);
        rig.settings.WriteInt("max", max);
        CMainFrame& frame = rig.Make();
        frame.FirstActivation();
        QCOMPARE(frame.windowState().testFlag(Qt::WindowMinimized), minimised);
        QCOMPARE(frame.windowState().testFlag(Qt::WindowMaximized), maximised);
        QCOMPARE(frame.normalGeometry().size(), QSize(500, 400));
        rig.frame.reset();
        // Written back: never "icon"; "max" only for a window shown maximised.
        QCOMPARE(rig.Str("Rect"), QStringLiteral("0100 0050 0600 0450"));
        QCOMPARE(rig.Int("icon"), 0);
        QCOMPARE(rig.Int("max"), (maximised && !minimised) ? 1 : 0);
    }

    void closingMaximisedKeepsTheRestoredRectangle() {
        FrameRig rig;
        rig.settings.WriteString("Rect", "0120 0080 1020 0700");
        {
            CMainFrame& frame = rig.Make();
            frame.FirstActivation();
            frame.showMaximized();
            QTRY_VERIFY(frame.isMaximized());
            rig.frame.reset();
        }
        QCOMPARE(rig.Str("Rect"), QStringLiteral("0120 0080 1020 0700"));
        QCOMPARE(rig.Int("max"), 1);
        CMainFrame& again = rig.Make();
        again.FirstActivation();
        QVERIFY(again.isMaximized());
        again.showNormal();
        QTRY_COMPARE(again.geometry().size(), QSize(900, 620));
        QCOMPARE(again.frameGeometry().topLeft(), QPoint(120, 80));
    }

    void aFrameNeverActivatedWritesNothing() {
        FrameRig rig;
        rig.Make();
        rig.frame.reset();
        QVERIFY(rig.settings.values.empty());
    }

    void barsStateSurvivesARun() {
        QTemporaryDir dir;
        QSettings bars(dir.filePath(QStringLiteral("bars.ini")), QSettings::IniFormat);
        FrameRig rig;
        {
            CMainFrame& frame = rig.Make();
            frame.SetBarStateStore(&bars);
            frame.FirstActivation();
            QVERIFY(frame.Commands().Execute(ID_VIEW_STATUS_BAR));
            frame.addToolBar(Qt::LeftToolBarArea, frame.ToolBar());
            QVERIFY(!frame.Commands().Action(ID_VIEW_STATUS_BAR)->isChecked());
            rig.frame.reset();
        }
        CMainFrame& frame = rig.Make();
        frame.SetBarStateStore(&bars);
        frame.FirstActivation();
        QVERIFY(frame.statusBar()->isHidden());
        QCOMPARE(frame.toolBarArea(frame.ToolBar()), Qt::LeftToolBarArea);
        QVERIFY(frame.Commands().Execute(ID_VIEW_TOOLBAR));
        QVERIFY(frame.ToolBar()->isHidden());
        QVERIFY(!frame.Commands().Action(ID_VIEW_TOOLBAR)->isChecked());
    }

    void minimumSizeFollowsTheView() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        emit frame.View().MinimumSizeChanged(QSize(351, 300));
        QCOMPARE(frame.minimumSize(), QSize(351, 300));
        emit frame.View().MinimumSizeChanged(QSize(0, 0));
        QCOMPARE(frame.minimumSize(), QSize(0, 0));
    }

    void helpWindowExplainsTheCommands() {
        FrameRig rig;
        CMainFrame& frame = rig.Make();
        QVERIFY(frame.Commands().Execute(ID_HELP));
        QVERIFY(frame.HelpWindow() != nullptr);
        QVERIFY(frame.HelpWindow()->isVisible());
        const QString text = frame.HelpWindow()->Browser()->toPlainText();
        for (const char* topic :
             {"New Contact", "Open Archive", "New Archive", "Import", "Export",
              "Print Contact's Record", "Print Contact Book", "Printer Setup", "Backup Data",
              "Restore From Backup", "Copy Record", "Edit Record", "Delete Record", "Find Contact",
              "Show Tray Icon", "Reload Data", "F1", "Shift+F1", "Ctrl+Insert"})
            QVERIFY2(text.contains(QString::fromLatin1(topic)), topic);
        QVERIFY(CMainFrame::AboutText().contains(QString::fromLatin1(qVersion())));
        QVERIFY(CMainFrame::AboutText().contains(QStringLiteral(KINBOOK_VERSION)));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
