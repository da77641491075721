#include "transfer/CImportFieldsDlg.h"
#include "app/AppServices.h"
#include "app/TextCodec.h"
#include "resources/ObjectName.h"
#include "resources/TransferIds.h"
#include "transfer/CImportRecordsDlg.h"
#include "transfer/CRowDragSwapper.h"
#include "transfer/ImportScan.h"
#include "transfer/TransferWidgets.h"
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kListWidth = 480;

QPushButton* Button(QWidget* parent, const char* text, const char* idName) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    SetIdName(b, idName);
    b->setAutoDefault(false);
    return b;
}

QLabel* Instruction(QWidget* parent, const char* text, const char* idName) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    SetIdName(l, idName);
    l->setWordWrap(true);
    transfer_gui::SetTextColor(l, 0, 0, 128);
    return l;
}

} // namespace

CImportFieldsDlg::CImportFieldsDlg(QWidget* parent, std::string path, CRecordList& records,
                                   const CCategoryList& categories, AppServices& services)
    : QDialog(parent), m_strPath(std::move(path)), m_records(records), m_categories(categories),
      m_services(services) {
    SetIdName(this, "IDD_IMPORT_FIELDS");
    setWindowTitle(QStringLiteral("Importing"));

    m_list = new QTreeWidget(this);
    SetIdName(m_list, "IDC_MATCHING_LIST");
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(false);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels(
        {QStringLiteral("Contact Fields"), QStringLiteral("Imported Data Field Count")});
    m_list->setMinimumWidth(kListWidth);
    m_list->setColumnWidth(0, kListWidth / 3);
    m_list->setColumnWidth(1, kListWidth - kListWidth / 3 - 16);

    QPushButton* up = Button(this, "&Up", "IDC_IMPORT_UP");
    QPushButton* down = Button(this, "&Down", "IDC_IMPORT_DOWN");
    m_previous = Button(this, "<<", "IDC_PREVIOUS_RECORD");
    m_next = Button(this, ">>", "IDC_NEXT_RECORD");
    m_recordNumber = new QLabel(this);
    SetIdName(m_recordNumber, "IDC_RECORD_NUMBER");
    m_recordNumber->setAlignment(Qt::AlignCenter);
    QPushButton* toggle = Button(this, "&Toggle Skipped Field Marker", "IDC_TOGGLE_SKIPPED");
    QPushButton* ok = Button(this, "&Import", "IDC_TRANSFER_OK");
    ok->setDefault(true);
    QPushButton* cancel = Button(this, "&Cancel", "IDC_TRANSFER_CANCEL");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Instruction(
        this,
        "1. To import the fields correctly, match the available Contact fields with the "
        "imported fields.  Matching is done by selecting a Contact field and pressing the Up "
        "and Down buttons or by dragging a selected item.",
        "IDC_IMPORT_INSTRUCTION_1"));
    layout->addWidget(Instruction(this,
                                  "2. Categories that do not match the currently existing "
                                  "category list will be imported as Unfiled.",
                                  "IDC_IMPORT_INSTRUCTION_2"));
    layout->addWidget(
        Instruction(this, "3. Imported fields matched with a 'Skipped Field' will not be imported.",
                    "IDC_IMPORT_INSTRUCTION_3"));
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(new QLabel(QStringLiteral("Move Field ->"), this));
    moves->addWidget(up);
    moves->addWidget(down);
    moves->addStretch();
    middle->addLayout(moves);
    layout->addLayout(middle, 1);
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(m_previous);
    navigation->addWidget(m_recordNumber, 1);
    navigation->addWidget(m_next);
    layout->addLayout(navigation);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(toggle);
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    m_drag = new CRowDragSwapper(m_list, [this](int a, int b) { SwapNames(a, b); });

    connect(up, &QPushButton::clicked, this, [this] { OnUp(); });
    connect(down, &QPushButton::clicked, this, [this] { OnDown(); });
    connect(m_previous, &QPushButton::clicked, this, [this] { OnPrevious(); });
    connect(m_next, &QPushButton::clicked, this, [this] { OnNext(); });
    connect(toggle, &QPushButton::clicked, this, [this] { OnToggle(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnImport(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CImportFieldsDlg::Initialize() {
    setWindowTitle(PlainWindowTitle(ToQString(m_strPath)));
    m_list->clear();
    for (const std::string& name : kImportRowOrder)
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{ToQString(name), QString()}));
    const ScanResult scan =
        CountRecords(m_strPath, m_services.fileSystem, m_services.messageBox, m_buffer);
    if (scan.status == ScanStatus::Incompatible)
        return false;
    m_nRecordCount = scan.recordCount;
    m_nFieldCount = scan.fieldCount;
    while (m_list->topLevelItemCount() < m_nFieldCount)
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), QString()}));
    m_nRecord = 1;
    Preview();
    m_recordNumber->setText(QStringLiteral("Record 1"));
    m_previous->hide();
    return true;
}

int CImportFieldsDlg::Run() {
    if (!Initialize())
        return QDialog::Rejected;
    return exec();
}

void CImportFieldsDlg::Preview() {
    const PreviewResult p = PreviewRecord(m_strPath, m_nRecord, m_nRecordCount,
                                          m_services.fileSystem, m_services.messageBox, m_buffer);
    const int rows = m_list->topLevelItemCount();
    for (std::size_t i = 0; i < p.values.size() && static_cast<int>(i) < rows; ++i) {
        const QString number = QString::asprintf("%-4d ", static_cast<int>(i) + 1);
        // One line per row: line breaks of a value show as a return arrow.
        QString value = ToWidgetText(p.values[i]);
        value.replace(QLatin1Char('\n'), QChar(0x21B5));
        m_list->topLevelItem(static_cast<int>(i))->setText(1, number + value);
    }
    m_next->setVisible(p.hasNext);
    m_nRecord = p.record;
}

void CImportFieldsDlg::ShowRecordNumber() {
    m_recordNumber->setText(QStringLiteral("Record %1").arg(m_nRecord));
}

void CImportFieldsDlg::OnNext() {
    ++m_nRecord;
    Preview();
    if (m_nRecord > 1)
        m_previous->show();
    ShowRecordNumber();
}

void CImportFieldsDlg::OnPrevious() {
    if (m_nRecord > 1)
        --m_nRecord;
    if (m_nRecord <= 1)
        m_previous->hide();
    Preview();
    ShowRecordNumber();
}

QStringList CImportFieldsDlg::RowNames() const {
    QStringList out;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        out << m_list->topLevelItem(i)->text(0);
    return out;
}

QString CImportFieldsDlg::ValueText(int row) const {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(1) : QString();
}

int CImportFieldsDlg::SelectedRow() const {
    const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
    return chosen.isEmpty() ? -1 : m_list->indexOfTopLevelItem(chosen.first());
}

void CImportFieldsDlg::SwapNames(int a, int b) {
    QTreeWidgetItem* x = m_list->topLevelItem(a);
    QTreeWidgetItem* y = m_list->topLevelItem(b);
    const QString t = x->text(0);
    x->setText(0, y->text(0));
    y->setText(0, t);
}

void CImportFieldsDlg::SelectRow(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    m_list->setCurrentItem(item, 0,
                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollToItem(item);
    m_list->setFocus();
}

void CImportFieldsDlg::MoveName(int delta) {
    const int row = SelectedRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= m_list->topLevelItemCount())
        return;
    SwapNames(row, to);
    SelectRow(to);
}

void CImportFieldsDlg::OnUp() {
    MoveName(-1);
}

void CImportFieldsDlg::OnDown() {
    MoveName(1);
}

void CImportFieldsDlg::OnToggle() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    item->setText(0, ToQString(ToggleSkippedMarker(FromQString(item->text(0)))));
}

void CImportFieldsDlg::OnImport() {
    std::vector<std::string> rows;
    for (const QString& name : RowNames())
        rows.push_back(FromQString(name));
    // The records dialog reads with a buffer of its own.
    std::vector<char>().swap(m_buffer);
    CImportRecordsDlg records(this, m_strPath, m_nRecordCount, m_records, m_categories,
                              std::move(rows), m_services);
    const int result = records.exec();
    done(result);
}
