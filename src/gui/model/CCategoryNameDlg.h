#pragma once
#include <QDialog>
#include <string>

class IMessageBox;
class QLineEdit;
class QPushButton;

// Asks for one category name. The opener sets m_strName before exec (empty for New, the
// current name for Rename) and reads it after the dialog was accepted. An empty name is
// refused and the dialog stays open.
class CCategoryNameDlg : public QDialog {
    Q_OBJECT
public:
    CCategoryNameDlg(IMessageBox& messageBox, QWidget* parent = nullptr);

    std::string m_strName;

    QLineEdit* NameEdit() const { return m_edit; }
    QPushButton* OkButton() const { return m_ok; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    IMessageBox& m_messageBox;
    QLineEdit* m_edit;
    QPushButton* m_ok;
};
