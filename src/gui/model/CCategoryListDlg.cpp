#include "model/CCategoryListDlg.h"
#include "app/TextCodec.h"
#include "model/CCategoryNameDlg.h"
#include "resources/DataFileIds.h"
#include "resources/ObjectName.h"
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

CCategoryListDlg::CCategoryListDlg(CCategoryList& categories, CRecordList& records,
                                   IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_messageBox(messageBox), m_logic(categories, records, messageBox) {
    SetIdName(this, "IDD_CATEGORY_LIST");
    setWindowTitle(tr("Category List"));

    // The logic keeps the entries sorted ignoring case; the widget shows them as given.
    m_list = new QListWidget(this);
    SetIdName(m_list, "IDC_CATEGORY_LIST");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* newButton = new QPushButton(tr("&New"), this);
    SetIdName(newButton, "IDC_CATEGORY_NEW");
    auto* renameButton = new QPushButton(tr("&Rename"), this);
    SetIdName(renameButton, "IDC_CATEGORY_RENAME");
    auto* deleteButton = new QPushButton(tr("&Delete"), this);
    SetIdName(deleteButton, "IDC_CATEGORY_DELETE");
    auto* closeButton = new QPushButton(tr("&Close"), this);
    closeButton->setObjectName(QStringLiteral("IDOK"));
    closeButton->setDefault(true);
    for (QPushButton* b : {newButton, renameButton, deleteButton})
        b->setAutoDefault(false);

    connect(newButton, &QPushButton::clicked, this, &CCategoryListDlg::OnNew);
    connect(renameButton, &QPushButton::clicked, this, &CCategoryListDlg::OnRename);
    connect(deleteButton, &QPushButton::clicked, this, &CCategoryListDlg::OnDelete);
    connect(closeButton, &QPushButton::clicked, this, &CCategoryListDlg::accept);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = m_list->selectedItems();
        m_logic.Select(selected.isEmpty() ? -1 : m_list->row(selected.constFirst()));
    });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(newButton);
    buttons->addWidget(renameButton);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(320, 220);

    ShowEntries();
}

void CCategoryListDlg::ShowEntries() {
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const std::string& name : m_logic.Entries())
        m_list->addItem(ToQString(name));
    const int selected = m_logic.Selected();
    if (selected >= 0) {
        m_list->setCurrentRow(selected);
    } else {
        m_list->clearSelection();
        m_list->setCurrentRow(-1);
    }
}

std::optional<std::string> CCategoryListDlg::AskName(const std::string& initial) {
    CCategoryNameDlg dialog(m_messageBox, this);
    dialog.m_strName = initial;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.m_strName;
}

void CCategoryListDlg::OnNew() {
    m_logic.New([this](const std::string& initial) { return AskName(initial); });
    ShowEntries();
}

void CCategoryListDlg::OnRename() {
    m_logic.Rename([this](const std::string& initial) { return AskName(initial); });
    ShowEntries();
}

void CCategoryListDlg::OnDelete() {
    m_logic.Delete();
    ShowEntries();
}
