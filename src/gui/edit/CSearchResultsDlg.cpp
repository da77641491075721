#include "edit/CSearchResultsDlg.h"
#include "app/TextCodec.h"
#include "edit/CSheet.h"
#include "edit/RecordSearch.h"
#include "model/CKinbookDoc.h"
#include "resources/ObjectName.h"
#include "view/ContactListing.h"
#include "view/DetailText.h"
#include "view/DisplayName.h"
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kRecordRole = Qt::UserRole;

} // namespace

CSearchResultsDlg::CSearchResultsDlg(std::string findString, int scope, CKinbookDoc& doc,
                                     IMessageBox& messageBox, IClock& clock, EditedHandler onEdited,
                                     QWidget* parent)
    : QDialog(parent), m_strFind(std::move(findString)), m_nScope(scope), m_doc(doc),
      m_onEdited(std::move(onEdited)) {
    SetIdName(this, "IDD_SEARCH_RESULTS");
    setWindowTitle(QStringLiteral("Search Results"));

    m_list = new QTreeWidget(this);
    SetIdName(m_list, "IDC_RESULTS_LIST");
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Contact"), QString()});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false); // rows stay in record-list order
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setDefaultAlignment(Qt::AlignLeft);
    connect(m_list, &QTreeWidget::itemClicked, this, &CSearchResultsDlg::OnListClicked);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CSearchResultsDlg::OnDetails);

    m_details = new QPushButton(QStringLiteral("&Details"), this);
    SetIdName(m_details, "IDC_DETAILS");
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("IDOK"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_details, QDialogButtonBox::ActionRole);
    buttons->addButton(close, QDialogButtonBox::AcceptRole);
    connect(m_details, &QPushButton::clicked, this, &CSearchResultsDlg::OnDetails);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    resize(420, 300);
    m_editor = new CSheet(messageBox, clock, this);

    RunSearch();
    // Decided once: a later search does not change it.
    m_details->setEnabled(m_list->topLevelItemCount() > 0);
}

CSearchResultsDlg::~CSearchResultsDlg() = default;

void CSearchResultsDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const int half = m_list->viewport()->width() / 2;
    m_list->setColumnWidth(0, half);
    m_list->setColumnWidth(1, half);
}

void CSearchResultsDlg::RunSearch() {
    m_list->clear();
    m_nRows = 0;
    for (CContactRecord* record : SearchRecords(m_doc.GetRecords(), m_strFind, m_nScope)) {
        const std::string name = DisplayName(*record);
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, ToQString(name));
        item->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
        item->setText(1, ToQString(DefaultItemText(*record)));
        if (m_nRows == 0) {
            m_list->setCurrentItem(item);
            item->setSelected(true);
            SetItemColumnHeader(*record);
        }
        ++m_nRows;
    }
}

CContactRecord* CSearchResultsDlg::SelectedRecord() const {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    // A row stands for its own record, also when another has the same name.
    const auto* record = reinterpret_cast<const CContactRecord*>(
        selected.front()->data(0, kRecordRole).value<quintptr>());
    return FindRecord(m_doc.GetRecords(), record);
}

void CSearchResultsDlg::SetItemColumnHeader(const CContactRecord& record) {
    m_list->headerItem()->setText(1, ToQString(ItemColumnCaption(record)));
}

void CSearchResultsDlg::OnListClicked() {
    if (CContactRecord* record = SelectedRecord())
        SetItemColumnHeader(*record);
}

void CSearchResultsDlg::OnDetails() {
    CContactRecord* record = SelectedRecord();
    if (!record)
        return;
    const std::string oldLast = record->m_strLastName;
    m_editor->Prepare(*record, m_doc.GetCategories());
    if (!m_editor->Open())
        return;
    if (m_onEdited)
        m_onEdited(*record, oldLast);
    RunSearch();
}
