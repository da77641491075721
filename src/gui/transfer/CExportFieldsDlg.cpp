#include "transfer/CExportFieldsDlg.h"
#include "app/AppServices.h"
#include "app/TextCodec.h"
#include "model/CCategoryList.h"
#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IFileChooser.h"
#include "port/IMessageBox.h"
#include "resources/ObjectName.h"
#include "resources/TransferIds.h"
#include "transfer/CExportRecordsDlg.h"
#include "transfer/CRowDragSwapper.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportScan.h"
#include "transfer/TransferWidgets.h"
#include "transfer/VCardTransfer.h"
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QPushButton* Button(QWidget* parent, const char* text, const char* idName) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    SetIdName(b, idName);
    b->setAutoDefault(false);
    return b;
}

// An item label stays on offer once chosen: naming it again exports the next item.
bool OfferedAgain(const QString& name) {
    const int c = transfer::ResolveExportColumn(FromQString(name));
    return c >= 0 && c < kFieldCount && transfer::ItemLabelOf(static_cast<Field>(c)) != LABEL_NONE;
}

std::vector<std::string> ToStrings(const QStringList& list) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& s : list)
        out.push_back(FromQString(s));
    return out;
}

} // namespace

CExportFieldsDlg::CExportFieldsDlg(QWidget* parent, const CRecordList& records,
                                   const CCategoryList& categories, AppServices& services,
                                   CRecordUids* uids)
    : QDialog(parent), m_records(records), m_categories(categories), m_services(services),
      m_pUids(uids) {
    SetIdName(this, "IDD_EXPORT_FIELDS");
    setWindowTitle(QStringLiteral("Export Fields"));

    auto* instruction = new QLabel(
        QStringLiteral("Select which fields you want to export.  To change the order of the "
                       "exported fields, use the Up and Down buttons or drag a selected item to "
                       "its new location."),
        this);
    SetIdName(instruction, "IDC_EXPORT_INSTRUCTION");
    instruction->setWordWrap(true);
    transfer_gui::SetTextColor(instruction, 0, 0, 128);

    m_contactFields = new QListWidget(this);
    SetIdName(m_contactFields, "IDC_CONTACT_FIELDS");
    m_contactFields->setSelectionMode(QAbstractItemView::SingleSelection);
    m_exportFields = new QListWidget(this);
    SetIdName(m_exportFields, "IDC_EXPORT_FIELD_LIST");
    m_exportFields->setSelectionMode(QAbstractItemView::SingleSelection);
    m_category = new QComboBox(this);
    SetIdName(m_category, "IDC_EXPORT_CATEGORY");

    QPushButton* add = Button(this, ">", "IDC_ADD_FIELD");
    QPushButton* remove = Button(this, "<", "IDC_REMOVE_FIELD");
    QPushButton* addAll = Button(this, ">>", "IDC_ADD_ALL_FIELDS");
    QPushButton* removeAll = Button(this, "<<", "IDC_REMOVE_ALL_FIELDS");
    QPushButton* up = Button(this, "&Up", "IDC_EXPORT_UP");
    QPushButton* down = Button(this, "&Down", "IDC_EXPORT_DOWN");
    QPushButton* ok = Button(this, "&Export", "IDC_TRANSFER_OK");
    ok->setDefault(true);
    QPushButton* cancel = Button(this, "&Cancel", "IDC_TRANSFER_CANCEL");

    auto* grid = new QGridLayout(this);
    grid->addWidget(instruction, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Contact Fields:"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Export Field List:"), this), 1, 2);
    grid->addWidget(m_contactFields, 2, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton* b : {add, remove, addAll, removeAll})
        middle->addWidget(b);
    middle->addStretch();
    grid->addLayout(middle, 2, 1);
    grid->addWidget(m_exportFields, 2, 2);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(new QLabel(QStringLiteral("Move Field ->"), this));
    moves->addWidget(up);
    moves->addWidget(down);
    moves->addStretch();
    grid->addLayout(moves, 2, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Export Catagory:"), this));
    bottom->addWidget(m_category, 1);
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    grid->addLayout(bottom, 3, 0, 1, 4);

    for (const std::string& name : kImportRowOrder)
        m_contactFields->addItem(ToQString(name));
    for (std::string_view name : transfer::kKeptColumnNames)
        m_contactFields->addItem(ToQString(std::string(name)));
    const std::vector<std::string> names = CategoryOps::DropDownNames(m_categories, {kFilterAll});
    for (const std::string& n : names)
        m_category->addItem(ToQString(n));
    m_category->setCurrentIndex(
        static_cast<int>(std::find(names.begin(), names.end(), kFilterAll) - names.begin()));

    m_drag = new CRowDragSwapper(m_exportFields, [this](int a, int b) { SwapExportRows(a, b); });
    m_exportFields->installEventFilter(this);

    connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(addAll, &QPushButton::clicked, this, [this] { OnAddAll(); });
    connect(removeAll, &QPushButton::clicked, this, [this] { OnRemoveAll(); });
    connect(up, &QPushButton::clicked, this, [this] { OnUp(); });
    connect(down, &QPushButton::clicked, this, [this] { OnDown(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_contactFields, &QListWidget::itemDoubleClicked, this, [this] { OnAdd(); });
    connect(m_exportFields, &QListWidget::itemDoubleClicked, this, [this] { OnRemove(); });
}

bool CExportFieldsDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_exportFields && event->type() == QEvent::FocusIn)
        m_contactFields->clearSelection();
    return QDialog::eventFilter(watched, event);
}

QStringList CExportFieldsDlg::ContactNames() const {
    QStringList out;
    for (int i = 0; i < m_contactFields->count(); ++i)
        out << m_contactFields->item(i)->text();
    return out;
}

QStringList CExportFieldsDlg::ExportNames() const {
    QStringList out;
    for (int i = 0; i < m_exportFields->count(); ++i)
        out << m_exportFields->item(i)->text();
    return out;
}

void CExportFieldsDlg::OnAdd() {
    const QList<QListWidgetItem*> chosen = m_contactFields->selectedItems();
    if (chosen.isEmpty())
        return;
    const QList<QListWidgetItem*> at = m_exportFields->selectedItems();
    const int row = at.isEmpty() ? m_exportFields->count() : m_exportFields->row(at.first());
    const QString name = chosen.first()->text();
    if (!OfferedAgain(name))
        delete m_contactFields->takeItem(m_contactFields->row(chosen.first()));
    m_contactFields->clearSelection();
    m_exportFields->insertItem(row, name);
}

void CExportFieldsDlg::OnRemove() {
    const QList<QListWidgetItem*> chosen = m_exportFields->selectedItems();
    if (chosen.isEmpty())
        return;
    const QString name = chosen.first()->text();
    delete m_exportFields->takeItem(m_exportFields->row(chosen.first()));
    m_exportFields->clearSelection();
    if (!ContactNames().contains(name))
        m_contactFields->addItem(name);
}

void CExportFieldsDlg::OnAddAll() {
    // Everything the records of the category hold: a label once more for each further item.
    const auto category =
        CCategoryFilter::FromChoice(m_categories, FromQString(m_category->currentText()));
    QStringList names = ExportNames();
    for (const QString& name : ContactNames()) {
        if (!names.contains(name)) // a label already chosen is on offer still
            names << name;
    }
    const std::vector<std::string> all =
        ColumnsForEverything(m_records, category, ToStrings(names));
    m_exportFields->clear();
    for (const std::string& name : all)
        m_exportFields->addItem(ToQString(name));
    m_contactFields->clear();
}

void CExportFieldsDlg::OnRemoveAll() {
    const QStringList offered = ContactNames();
    for (const QString& name : ExportNames()) {
        if (!offered.contains(name) && !ContactNames().contains(name))
            m_contactFields->addItem(name);
    }
    m_exportFields->clear();
}

void CExportFieldsDlg::SwapExportRows(int a, int b) {
    QListWidgetItem* x = m_exportFields->item(a);
    QListWidgetItem* y = m_exportFields->item(b);
    const QString t = x->text();
    x->setText(y->text());
    y->setText(t);
}

void CExportFieldsDlg::MoveExportRow(int delta) {
    const QList<QListWidgetItem*> chosen = m_exportFields->selectedItems();
    if (chosen.isEmpty())
        return;
    const int row = m_exportFields->row(chosen.first());
    const int to = row + delta;
    if (to < 0 || to >= m_exportFields->count())
        return;
    SwapExportRows(row, to);
    m_exportFields->setCurrentRow(to, QItemSelectionModel::ClearAndSelect);
    m_exportFields->scrollToItem(m_exportFields->item(to));
    m_exportFields->setFocus();
}

void CExportFieldsDlg::OnUp() {
    MoveExportRow(-1);
}

void CExportFieldsDlg::OnDown() {
    MoveExportRow(1);
}

void CExportFieldsDlg::OnExport() {
    if (m_exportFields->count() == 0) {
        m_services.messageBox.Show("You must select at least one field to be exported.",
                                   "Invalid Selection", MbIcon::Stop, MbButtons::Ok);
        return;
    }
    FileDialogRequest request;
    request.filter = kExportFilterWithVCard;
    request.initialName = kTransferInitialName;
    const std::optional<FileChoice> choice = m_services.fileChooser.ChooseSave(request);
    if (!choice)
        return;
    const auto category =
        CCategoryFilter::FromChoice(m_categories, FromQString(m_category->currentText()));
    CExportRecordsDlg records(this, m_records, m_categories, ToStrings(ExportNames()), category,
                              choice->path, choice->filterIndex, m_services, m_pUids);
    const int result = records.exec();
    done(result);
}
