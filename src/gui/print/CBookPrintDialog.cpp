#include "print/CBookPrintDialog.h"
#include "app/TextCodec.h"
#include "model/CCategoryList.h"
#include "resources/ObjectName.h"
#include "resources/PrintIds.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct ContentBox {
    const char* text;
    const char* name;
    int bit;
};
constexpr ContentBox kContent[6] = {
    {"Title", "IDC_BOOK_TITLE", PRINT_TITLE},
    {"Other Reference", "IDC_BOOK_OTHER_REF", PRINT_OTHER_REF},
    {"Phone Numbers and Email", "IDC_BOOK_PHONES", PRINT_PHONES},
    {"Address", "IDC_BOOK_ADDRESS", PRINT_ADDRESS},
    {"Other Info", "IDC_BOOK_OTHER_INFO", PRINT_OTHER_INFO},
    {"Notes", "IDC_BOOK_NOTES", PRINT_NOTES},
};

} // namespace

CBookPrintDialog::CBookPrintDialog(const CPrintSettings& settings, const CCategoryList& categories,
                                   IMessageBox& messageBox, QWidget* parent)
    : CPrintOptionsDialog(settings, messageBox,
                          {"IDC_BOOK_SIZE", "IDC_BOOK_PAUSE", "IDC_BOOK_BORDER", "IDC_BOOK_TOP",
                           "IDC_BOOK_LEFT", "IDC_BOOK_DEFAULTS", "IDC_BOOK_FONTS", "IDC_BOOK_PRINT",
                           "IDC_BOOK_PREVIEW"},
                          parent) {
    setWindowTitle(QStringLiteral("Contact Book Printing"));
    SetIdName(this, "IDD_PRINT_BOOK");

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(new QLabel(QStringLiteral("Select the category to be printed:"), top));
    m_pCategory = new QComboBox(top);
    SetIdName(m_pCategory, "IDC_BOOK_CATEGORY");
    topLayout->addWidget(m_pCategory);

    m_pAlphaBreak = NewCheck("Start a new page after each alpha section.", "IDC_BOOK_ALPHA_BREAK");

    auto* content = new QGroupBox(QStringLiteral("Print The Following Data:"), this);
    auto* contentLayout = new QVBoxLayout(content);
    for (int i = 0; i < 6; ++i) {
        m_pContent[i] = NewCheck(kContent[i].text, kContent[i].name);
        contentLayout->addWidget(m_pContent[i]);
        connect(m_pContent[i], &QCheckBox::clicked, this, &CBookPrintDialog::StoreAll);
    }
    connect(m_pAlphaBreak, &QCheckBox::clicked, this, &CBookPrintDialog::StoreAll);

    BuildLayout(top, m_pAlphaBreak, content);

    // The category list is sorted like the control would sort it, "All" among them.
    const auto entries = CPrintOptions::BookCategoryEntries(categories);
    for (const auto& entry : entries)
        m_pCategory->addItem(ToQString(entry));
    m_pCategory->setCurrentIndex(
        CPrintOptions::SelectBookCategory(entries, m_options.Settings().m_strBookCategory));
    Open();
}

void CBookPrintDialog::StoreExtra() {
    CPrintSettings& s = m_options.Settings();
    s.m_bAlphaPageBreak = m_pAlphaBreak->isChecked();
    // Bits beyond the six choices are not the dialog's to change.
    int data = s.m_nPrintData & ~63;
    for (int i = 0; i < 6; ++i) {
        if (m_pContent[i]->isChecked())
            data |= kContent[i].bit;
    }
    s.m_nPrintData = data;
}

void CBookPrintDialog::ShowExtra() {
    const CPrintSettings& s = m_options.Settings();
    m_pAlphaBreak->setChecked(s.m_bAlphaPageBreak);
    for (int i = 0; i < 6; ++i)
        m_pContent[i]->setChecked((s.m_nPrintData & kContent[i].bit) != 0);
}

void CBookPrintDialog::TakeSelections() {
    if (m_pCategory->currentIndex() >= 0)
        m_options.Settings().m_strBookCategory = FromQString(m_pCategory->currentText());
}
