#pragma once
#include "port/IMessageBox.h"

class QWidget;

// The message box port on QMessageBox, modal to the given parent.
class QtMessageBox final : public IMessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    // Once the program is ending, nobody is asked anything more: every message is
    // answered as its Escape key would answer it, without being shown.
    void SetEnding() { m_bEnding = true; }
    using IMessageBox::Show;
    MbResult Show(const std::string& text, const std::string& caption, MbIcon icon,
                  MbButtons buttons) override;

private:
    QWidget* m_parent;
    bool m_bEnding = false;
};
