#include "app/CTrayLogic.h"

CTrayLogic::CTrayLogic(Hooks hooks, bool trayAvailable)
    : m_hooks(std::move(hooks)), m_bTrayAvailable(trayAvailable) {}

void CTrayLogic::SetIcon(bool shown) {
    // Asked for even without a tray: the icon then shows when a tray appears.
    if (m_hooks.setIconShown)
        m_hooks.setIconShown(shown);
}

void CTrayLogic::Start(bool showTray) {
    m_bShowTray = showTray;
    if (m_bShowTray)
        SetIcon(true);
}

void CTrayLogic::Restore() {
    if (m_nShown != 0)
        return;
    if (m_hooks.showWindow)
        m_hooks.showWindow();
    m_nShown = 1;
}

void CTrayLogic::ExitKinbook() {
    m_bExiting = true;
    if (m_hooks.requestClose)
        m_hooks.requestClose();
}

void CTrayLogic::ToggleShowTray() {
    m_bShowTray = !m_bShowTray;
    SetIcon(m_bShowTray);
}

void CTrayLogic::HideTrayIcon() {
    m_bShowTray = false;
    SetIcon(false);
    if (m_nShown == 0)
        ExitKinbook();
}

bool CTrayLogic::OnClose() {
    if (m_bExiting || !m_bShowTray || !m_bTrayAvailable)
        return true;
    if (m_hooks.hideWindow)
        m_hooks.hideWindow();
    m_nShown = 0;
    return false;
}

CTrayLogic::State CTrayLogic::CurrentState() const {
    const bool icon = m_bShowTray && m_bTrayAvailable;
    if (m_nShown == 0)
        return icon ? State::HiddenIcon : State::HiddenNoIcon;
    return icon ? State::ShownIcon : State::ShownNoIcon;
}
