#pragma once
#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <functional>

// Runs action on the next modal dialog of type T once it is up (modal dialogs block the
// test until they close, so their handling is scheduled before they open).
template <class T> void WhenModal(std::function<void(T*)> action, int triesLeft = 500) {
    QTimer::singleShot(10, [action, triesLeft] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(dialog);
            return;
        }
        if (triesLeft > 0)
            WhenModal<T>(action, triesLeft - 1);
    });
}

// A left-button drag on a list's viewport from one row to another, as the mouse sends it.
inline void SendMouse(QAbstractItemView* view, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button, Qt::MouseButtons buttons) {
    QWidget* vp = view->viewport();
    QMouseEvent e(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
}
