#pragma once
#include <QObject>

class QLabel;
class QStatusBar;

// The "CAP", "NUM" and "SCRL" panes of the status bar. They light when the
// platform reports the lock on (X11 through Xkb) and stay dim where it cannot tell.
class CLockIndicators : public QObject {
    Q_OBJECT
public:
    explicit CLockIndicators(QStatusBar* bar);
    // Lights the panes from the bits of XkbLockBit; -1 dims all three.
    void Show(int state);
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
};
