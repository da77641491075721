#include "model/CCategoryNameDlg.h"
#include "app/TextCodec.h"
#include "model/CategoryOps.h"
#include "resources/DataFileIds.h"
#include "resources/ObjectName.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CCategoryNameDlg::CCategoryNameDlg(IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_messageBox(messageBox) {
    SetIdName(this, "IDD_CATEGORY_NAME");
    setWindowTitle(QString());

    auto* prompt = new QLabel(tr("Enter the new category name:"), this);
    SetIdName(prompt, "IDC_CATEGORY_PROMPT");
    m_edit = new QLineEdit(this);
    SetIdName(m_edit, "IDC_CATEGORY_NAME");
    m_edit->setMaxLength(CategoryOps::kMaxNameLength);
    prompt->setBuddy(m_edit);

    m_ok = new QPushButton(tr("&Ok"), this);
    m_ok->setObjectName(QStringLiteral("IDOK"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    connect(m_ok, &QPushButton::clicked, this, &CCategoryNameDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCategoryNameDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    setMinimumWidth(300);
}

void CCategoryNameDlg::showEvent(QShowEvent* event) {
    m_edit->setText(ToQString(m_strName));
    m_edit->selectAll();
    m_edit->setFocus();
    QDialog::showEvent(event);
}

void CCategoryNameDlg::accept() {
    // Taken as typed: no trimming, no change of case.
    m_strName = FromQString(m_edit->text());
    if (!CategoryOps::CheckNameEntered(m_strName, m_messageBox)) {
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}
