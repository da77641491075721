#include "app/QtMessageBox.h"
#include "app/TextCodec.h"
#include <QApplication>
#include <QMessageBox>

MbResult QtMessageBox::Show(const std::string& text, const std::string& caption, MbIcon icon,
                            MbButtons buttons) {
    QMessageBox box(m_parent ? m_parent : QApplication::activeWindow());
    box.setWindowTitle(ToQString(caption));
    // Messages quote names, categories and paths as the user typed them: never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    switch (icon) {
    case MbIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MbIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MbIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MbIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MbIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (buttons) {
    case MbButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MbButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MbButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MbButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MbResult::Yes;
    case QMessageBox::No:
        return MbResult::No;
    case QMessageBox::Cancel:
        return MbResult::Cancel;
    case QMessageBox::Ok:
        return MbResult::Ok;
    default:
        // Escape or the close box.
        return buttons == MbButtons::Ok      ? MbResult::Ok
               : buttons == MbButtons::YesNo ? MbResult::No
                                             : MbResult::Cancel;
    }
}
