#include "edit/CFindDlg.h"
#include "app/TextCodec.h"
#include "edit/CSheet.h"
#include "port/IMessageBox.h"
#include "resources/ObjectName.h"
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindDlg::CFindDlg(CKinbookDoc& doc, IMessageBox& messageBox, IClock& clock,
                   CSearchResultsDlg::EditedHandler onEdited, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_messageBox(messageBox), m_clock(clock),
      m_onEdited(std::move(onEdited)) {
    SetIdName(this, "IDD_FIND_CONTACT");
    setWindowTitle(QStringLiteral("Find Contact"));

    m_findString = new QLineEdit(this);
    SetIdName(m_findString, "IDC_FIND_STRING");
    m_findString->setMaxLength(255);

    static const char* const kScopeTexts[] = {
        "Search only first and last names.", "Search only phone numbers and e-mails.",
        "Search only address.", "Search all information excluding notes.",
        "Search all information."};
    m_scope = new QButtonGroup(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Any record containing the search string will be listed in the results."),
        this));
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(new QLabel(QStringLiteral("Find string:"), this));
    findRow->addWidget(m_findString, 1);
    layout->addLayout(findRow);
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kScopeTexts[i]), this);
        radio->setObjectName(QStringLiteral("scope%1").arg(i));
        m_scope->addButton(radio, i);
        layout->addWidget(radio);
    }
    m_scope->button(0)->setChecked(true);

    auto* find = new QPushButton(QStringLiteral("&Find"), this);
    SetIdName(find, "IDC_FIND");
    find->setDefault(true); // Enter runs the search
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("IDOK"));
    close->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(find, QDialogButtonBox::ActionRole);
    buttons->addButton(close, QDialogButtonBox::AcceptRole);
    connect(find, &QPushButton::clicked, this, &CFindDlg::OnFind);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

int CFindDlg::Scope() const {
    return m_scope->checkedId();
}

void CFindDlg::SetScope(int scope) {
    if (auto* button = m_scope->button(scope))
        button->setChecked(true);
}

void CFindDlg::OnFind() {
    const QString text = m_findString->text();
    if (text.isEmpty()) {
        m_messageBox.Show("No search data was entered.", "Invalid Search Criteria", MbIcon::Stop,
                          MbButtons::Ok);
        return;
    }
    CSearchResultsDlg results(FromQString(text), Scope(), m_doc, m_messageBox, m_clock, m_onEdited,
                              this);
    results.Editor().SetFileChooser(m_fileChooser);
    results.exec();
    accept();
}
