#include "app/CLockIndicators.h"
#include "app/XkbLockState.h"
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QtGui/qguiapplication_platform.h>

namespace {
QLabel* MakePane(QStatusBar* bar, const QString& text, const char* name) {
    auto* label = new QLabel(text, bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
    bar->addPermanentWidget(label);
    return label;
}
} // namespace

CLockIndicators::CLockIndicators(QStatusBar* bar)
    : QObject(bar), m_caps(MakePane(bar, QStringLiteral("CAP"), "ID_INDICATOR_CAPS")),
      m_num(MakePane(bar, QStringLiteral("NUM"), "ID_INDICATOR_NUM")),
      m_scroll(MakePane(bar, QStringLiteral("SCRL"), "ID_INDICATOR_SCRL")) {
    qApp->installEventFilter(this);
    Refresh();
}

void CLockIndicators::Show(int state) {
    // A dim pane keeps its text, as the indicator did, so the layout never jumps.
    m_caps->setEnabled(state > 0 && (state & XKB_CAPS_LOCK));
    m_num->setEnabled(state > 0 && (state & XKB_NUM_LOCK));
    m_scroll->setEnabled(state > 0 && (state & XKB_SCROLL_LOCK));
}

void CLockIndicators::Refresh() {
    void* display = nullptr;
#if QT_CONFIG(xcb)
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
        display = x11->display();
#endif
    Show(QueryXkbLockState(display));
}

bool CLockIndicators::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::ApplicationActivate:
        // Once per key: the event reaches the window first, then each widget.
        if (watched == qApp || watched->isWindowType())
            Refresh();
        break;
    default:
        break;
    }
    return false;
}
