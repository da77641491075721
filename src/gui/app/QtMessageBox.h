#pragma once
#include "port/IMessageBox.h"

class QWidget;

// The message box port on QMessageBox, modal to the given parent.
class QtMessageBox final : public IMessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    using IMessageBox::Show;
    MbResult Show(const std::string& text, const std::string& caption, MbIcon icon,
                  MbButtons buttons) override;

private:
    QWidget* m_parent;
};
