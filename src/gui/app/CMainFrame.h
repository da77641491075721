#pragma once
#include "app/CTrayLogic.h"
#include "view/CWindowRect.h"
#include <QMainWindow>

class CommandTable;
class CKinbookView;
class CKinbookDoc;
class CHelpWindow;
class CLockIndicators;
class QMenu;
class QSettings;
class QSystemTrayIcon;
class QToolBar;
struct AppServices;

// The one top-level window: menus, toolbar, status bar, tray icon; the main view
// fills its client area. It places itself from the settings at its first
// activation and writes its placement back when it is destroyed.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CKinbookDoc& doc, AppServices& services, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CommandTable& Commands() { return *m_commands; }
    CKinbookView& View() { return *m_view; }

    // Where the toolbar and status bar state is kept (a group of its own); none by
    // default, so a frame made in a test leaves the user's settings alone.
    void SetBarStateStore(QSettings* settings) { m_barState = settings; }
    // Places and shows the window as "Rect", "icon" and "max" say, turns the tray
    // icon on from "Show Tray" and restores the bars. Once.
    void FirstActivation();

    CTrayLogic& Tray() { return m_tray; }
    // Fixes whether the desktop offers a tray (tests); otherwise it is asked at every
    // close, as a tray may appear later. Without one, closing ends the program.
    void SetTrayAvailable(bool available);
    // Another start of Kinbook, or a click on the tray icon: show the window, from the
    // tray or minimised, and bring it to the front.
    void ShowFromOutside();
    // Writes the frame's and the view's settings now, as at the end of the program (the
    // session is ending and may not wait for that).
    void WriteSettings();
    QSystemTrayIcon* TrayIcon() { return m_trayIcon; }
    QMenu* TrayMenu() { return m_trayMenu; }
    QToolBar* ToolBar() { return m_toolBar; }
    CHelpWindow* HelpWindow() { return m_helpWindow; }

    // The text of the About box.
    static QString AboutText();

signals:
    // The window accepted its close: the program ends.
    void ProgramEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void OnTitleChanged(const QString& title);
    void OnMinimumSizeChanged(const QSize& size);

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateTrayIcon();
    void SetFrameHandlers();
    void SetWhatsThisTexts();
    void ShowHelp();
    void ShowAbout();
    void SavePlacement();
    CWindowRect NormalRect() const;
    bool TrayAvailableNow();
    void NoteFrameOffset();

    bool m_bFirstActivation = true;
    CommandTable* m_commands;
    CKinbookView* m_view;
    AppServices& m_services;
    CTrayLogic m_tray;
    QToolBar* m_toolBar = nullptr;
    CLockIndicators* m_indicators = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayMenu = nullptr;
    CHelpWindow* m_helpWindow = nullptr;
    QSettings* m_barState = nullptr;
    QPoint m_frameOffset; // from the window's outer corner to its own, while normal
    bool m_bFrameOffsetKnown = false;
    CWindowRect m_placedRect;
    CWindowRect m_hiddenRect; // the placement when the window last went to the tray
    bool m_bHiddenRectKnown = false;
    bool m_bHiddenRectTaken = false;
    bool m_bTrayAvailabilityFixed = false;
};
