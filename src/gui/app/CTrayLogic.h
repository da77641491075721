#pragma once
#include <functional>

// The frame's tray icon behaviour without the toolkit: the shown, exiting and
// show-tray flags, the four tray commands and the close handling. The frame wires
// the hooks to the real window and icon; tests wire recorders.
//
//   Shown, no icon  --close-->  program ends
//   Shown, icon     --close-->  Hidden, icon   (Exit Kinbook ends the program)
//   Hidden, icon    --Restore / double-click-->  Shown, icon
//   Hidden, icon    --Hide Tray Icon / Exit Kinbook-->  program ends
class CTrayLogic {
public:
    struct Hooks {
        std::function<void()> showWindow; // show the frame and bring it to the front
        std::function<void()> hideWindow; // hide the frame
        std::function<void(bool)>
            setIconShown;                   // want the tray icon or not (shows once a tray does)
        std::function<void()> requestClose; // the window's close request (ends in OnClose)
    };
    enum class State { ShownNoIcon, ShownIcon, HiddenIcon, HiddenNoIcon };

    CTrayLogic(Hooks hooks, bool trayAvailable);

    // Where the desktop has no tray, closing must end the program: a hidden window
    // with no icon could never come back.
    void SetTrayAvailable(bool available) { m_bTrayAvailable = available; }
    bool TrayAvailable() const { return m_bTrayAvailable; }

    // First activation: the stored "Show Tray".
    void Start(bool showTray);
    // Any show or hide notification of the frame (minimising included).
    void OnShowNotification() { m_nShown = 1; }

    // Restore (32771): enabled while the window is hidden.
    bool CanRestore() const { return m_nShown == 0; }
    void Restore();
    // Exit Kinbook (32780): ends the program whatever the tray setting.
    void ExitKinbook();
    // Show Tray Icon (32781), checked while the show-tray flag is set.
    void ToggleShowTray();
    bool ShowTray() const { return m_bShowTray; }
    // Hide Tray Icon (32792): removes the icon; ends the program when the window is hidden.
    void HideTrayIcon();

    // The close handling. True: let the window close, which ends the program.
    // False: the window went to the tray instead.
    bool OnClose();

    bool Exiting() const { return m_bExiting; }
    bool Shown() const { return m_nShown != 0; }
    State CurrentState() const;

private:
    void SetIcon(bool shown);

    Hooks m_hooks;
    bool m_bTrayAvailable;
    int m_nShown = 0;
    bool m_bExiting = false;
    bool m_bShowTray = false;
};
