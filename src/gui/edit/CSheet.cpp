#include "edit/CSheet.h"
#include "edit/CPage1.h"
#include "edit/CPage2.h"
#include "edit/CPage3.h"
#include "edit/CPage4.h"
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CSheet::CSheet(IMessageBox& messageBox, IClock& clock, QWidget* parent)
    : QDialog(parent), m_messageBox(messageBox) {
    setObjectName(QStringLiteral("CSheet"));
    setWindowTitle(QStringLiteral("Contact Information"));
    m_tabs = new QTabWidget(this);
    m_page1 = new CPage1;
    m_page2 = new CPage2;
    m_page3 = new CPage3(clock);
    m_page4 = new CPage4(messageBox);
    m_tabs->addTab(m_page1, QStringLiteral("Name"));
    m_tabs->addTab(m_page2, QStringLiteral("Address"));
    m_tabs->addTab(m_page3, QStringLiteral("Notes"));
    m_tabs->addTab(m_page4, QStringLiteral("More"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(m_shown.size()))
            m_shown[static_cast<std::size_t>(index)] = true;
    });

    // OK and Cancel only: no Apply button.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSheet::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

CSheet::~CSheet() = default;

void CSheet::SetFileChooser(IFileChooser* chooser) {
    m_page4->SetFileChooser(chooser);
}

void CSheet::Prepare(CContactRecord& record, const CCategoryList& categories) {
    m_pRecord = &record;
    m_pCategories = &categories;
    m_page1->Load(record, categories);
    m_page2->Load(record);
    m_page3->Load(record);
    m_page4->Load(record);
    m_tabs->setCurrentIndex(0);
    m_shown = {true, false, false, false};
    m_page1->FirstNameEdit()->setFocus();
}

bool CSheet::Open() {
    return exec() == QDialog::Accepted;
}

bool CSheet::OnOk() {
    if (!m_pRecord || !m_pCategories)
        return false;
    if (!m_page1->CheckLastName(m_messageBox)) {
        // Nothing is applied and nothing typed is lost: back to the last name.
        m_tabs->setCurrentIndex(0);
        m_page1->LastNameEdit()->setFocus();
        return false;
    }
    m_page1->Apply(*m_pRecord, *m_pCategories);
    if (m_shown[1])
        m_page2->Apply(*m_pRecord);
    if (m_shown[2])
        m_page3->Apply(*m_pRecord);
    if (m_shown[3])
        m_page4->Apply(*m_pRecord);
    accept();
    return true;
}
