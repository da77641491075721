#include "edit/CPage1.h"
#include "app/TextCodec.h"
#include "edit/LastNameRule.h"
#include "model/CCategoryList.h"
#include "model/CContactRecord.h"
#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include "resources/EditIds.h"
#include "resources/ObjectName.h"
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <limits>

namespace {

QLineEdit* NewLineEdit(QWidget* parent, const char* idName) {
    auto* edit = new QLineEdit(parent);
    SetIdName(edit, idName);
    edit->setMaxLength(std::numeric_limits<int>::max()); // no length limit
    return edit;
}

} // namespace

CPage1::CPage1(QWidget* parent) : QWidget(parent) {
    SetIdName(this, "IDD_PAGE_NAME");
    auto* form = new QFormLayout;
    m_firstName = NewLineEdit(this, "IDC_FIRST_NAME");
    m_lastName = NewLineEdit(this, "IDC_LAST_NAME");
    m_title = NewLineEdit(this, "IDC_TITLE");
    m_otherRef = NewLineEdit(this, "IDC_OTHER_REF");
    m_category = new QComboBox(this);
    SetIdName(m_category, "IDC_CATEGORY");
    form->addRow(QStringLiteral("First Name:"), m_firstName);
    form->addRow(QStringLiteral("Last Name:"), m_lastName);
    form->addRow(QStringLiteral("Title:"), m_title);
    form->addRow(QStringLiteral("Other Ref:"), m_otherRef);
    form->addRow(QStringLiteral("Category:"), m_category);

    auto* grid = new QGridLayout;
    m_defaultItem = new QButtonGroup(this);
    const QStringList labels = {QStringLiteral("Home"),   QStringLiteral("Work"),
                                QStringLiteral("Mobile"), QStringLiteral("Pager"),
                                QStringLiteral("Fax"),    QStringLiteral("E-Mail"),
                                QStringLiteral("Other")};
    for (int i = 0; i < 7; ++i) {
        const ItemRowIds& ids = kItemRows[i];
        m_radio[i] = new QRadioButton(this);
        SetIdName(m_radio[i], ids.radioName);
        m_radio[i]->setToolTip(QStringLiteral("Default item"));
        m_defaultItem->addButton(m_radio[i], i);
        m_item[i] = NewLineEdit(this, ids.textName);
        m_label[i] = new QComboBox(this);
        SetIdName(m_label[i], ids.labelName);
        m_label[i]->addItems(labels); // unsorted: the position is the label code
        grid->addWidget(m_radio[i], i, 0);
        grid->addWidget(m_item[i], i, 1);
        grid->addWidget(m_label[i], i, 2);
    }
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(
        QStringLiteral("Select a default item below to be displayed in the main window."), this));
    layout->addLayout(grid);
    layout->addStretch(1);
}

void CPage1::Load(const CContactRecord& r, const CCategoryList& categories) {
    m_lastText.Load(m_lastName, r.m_strLastName);
    m_firstText.Load(m_firstName, r.m_strFirstName);
    m_titleText.Load(m_title, r.m_strTitle);
    m_otherRefText.Load(m_otherRef, r.m_strOtherRef);

    // The category list is refilled at every opening, sorted like the platform's sorted
    // drop-down; each entry keeps the name's own bytes.
    const std::vector<std::string> names = CategoryOps::DropDownNames(categories);
    m_category->clear();
    const std::string& current = categories.NameOf(r.m_nCategory);
    int selected = -1;
    for (const std::string& name : names) {
        if (selected < 0 && kb::EqualsNoCaseDecoded(name, current))
            selected = m_category->count();
        m_category->addItem(ToQString(name),
                            QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
    m_category->setCurrentIndex(selected);

    // No radio is checked for a default item outside 0 to 6.
    m_defaultItem->setExclusive(false);
    for (QRadioButton* radio : m_radio)
        radio->setChecked(false);
    m_defaultItem->setExclusive(true);
    if (r.m_nDefaultItem < 7)
        m_radio[r.m_nDefaultItem]->setChecked(true);

    for (int i = 0; i < 7; ++i) {
        m_itemText[i].Load(m_item[i], r.m_strItem[i]);
        // A row without text shows no label, whatever the record stores.
        const std::uint8_t label = r.m_nItemLabel[i];
        m_label[i]->setCurrentIndex(!r.m_strItem[i].empty() && label < 7 ? label : -1);
    }
}

bool CPage1::CheckLastName(IMessageBox& messageBox) const {
    switch (::CheckLastName(FromQString(m_lastText.Text()))) {
    case LastNameProblem::Missing:
        messageBox.Show(kLastNameNeededText, kLastNameNeededCaption, MbIcon::Stop, MbButtons::Ok);
        return false;
    case LastNameProblem::NotALetter:
        messageBox.Show(kLastNameErrorText, kLastNameErrorCaption, MbIcon::Stop, MbButtons::Ok);
        return false;
    case LastNameProblem::None:
        break;
    }
    return true;
}

void CPage1::Apply(CContactRecord& r, const CCategoryList& categories) const {
    const QByteArray category = m_category->currentData().toByteArray();
    r.m_nCategory = categories.IndexOf(
        std::string_view(category.constData(), static_cast<std::size_t>(category.size())));
    m_lastText.Apply(r.m_strLastName);
    m_firstText.Apply(r.m_strFirstName);
    m_titleText.Apply(r.m_strTitle);
    m_otherRefText.Apply(r.m_strOtherRef);
    // No radio checked stores 255, no label stores 255: the low byte of -1.
    r.m_nDefaultItem = static_cast<std::uint8_t>(m_defaultItem->checkedId());
    for (int i = 0; i < 7; ++i) {
        m_itemText[i].Apply(r.m_strItem[i]);
        r.m_nItemLabel[i] = static_cast<std::uint8_t>(m_label[i]->currentIndex());
    }
}
