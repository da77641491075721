#include "edit/CPage2.h"
#include "model/CContactRecord.h"
#include "resources/EditIds.h"
#include "resources/ObjectName.h"
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <limits>

namespace {

QLineEdit* NewLineEdit(QWidget* parent, const char* idName) {
    auto* edit = new QLineEdit(parent);
    SetIdName(edit, idName);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

} // namespace

CPage2::CPage2(QWidget* parent) : QWidget(parent) {
    SetIdName(this, "IDD_PAGE_ADDRESS");
    m_address = new QPlainTextEdit(this);
    SetIdName(m_address, "IDC_ADDRESS");
    // Enter starts a new line; long lines scroll sideways instead of wrapping.
    m_address->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_address->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_address->setTabChangesFocus(true);
    m_city = NewLineEdit(this, "IDC_CITY");
    m_state = NewLineEdit(this, "IDC_STATE");
    m_zip = NewLineEdit(this, "IDC_ZIP");
    m_country = NewLineEdit(this, "IDC_COUNTRY");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Address:"), m_address);
    form->addRow(QStringLiteral("City:"), m_city);
    form->addRow(QStringLiteral("State:"), m_state);
    form->addRow(QStringLiteral("Zip:"), m_zip);
    form->addRow(QStringLiteral("Country:"), m_country);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Other Information:"), this));
    for (int i = 0; i < 4; ++i) {
        m_otherInfo[i] = NewLineEdit(this, kOtherInfoNames[i]);
        layout->addWidget(m_otherInfo[i]);
    }
    layout->addStretch(1);
}

void CPage2::Load(const CContactRecord& r) {
    m_addressText.Load(m_address, r.m_strAddress);
    m_cityText.Load(m_city, r.m_strCity);
    m_stateText.Load(m_state, r.m_strState);
    m_zipText.Load(m_zip, r.m_strZip);
    m_countryText.Load(m_country, r.m_strCountry);
    for (int i = 0; i < 4; ++i)
        m_otherInfoText[i].Load(m_otherInfo[i], r.m_strOtherInfo[i]);
}

void CPage2::Apply(CContactRecord& r) const {
    m_addressText.Apply(r.m_strAddress);
    m_cityText.Apply(r.m_strCity);
    m_stateText.Apply(r.m_strState);
    m_zipText.Apply(r.m_strZip);
    m_countryText.Apply(r.m_strCountry);
    for (int i = 0; i < 4; ++i)
        m_otherInfoText[i].Apply(r.m_strOtherInfo[i]);
}
