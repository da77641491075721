#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// The control of that object name under parent; a test that asks for one that is not
// there stops at once, naming it.
template <class T> T* Find(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Drives a modal dialog that the code under test is about to exec(): as soon as a
// dialog of type T is the active modal widget, fn runs once on it (fn should close it).
// Gives up after about five seconds so a test fails instead of hanging.
template <class T> void WhenModal(std::function<void(T&)> fn) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, fn = std::move(fn)] {
        QWidget* modal = QApplication::activeModalWidget();
        T* dialog = qobject_cast<T*>(modal);
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            fn(*dialog);
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            if (modal)
                modal->close();
        }
    });
    timer->start();
}
