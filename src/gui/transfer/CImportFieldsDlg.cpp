#include "transfer/CImportFieldsDlg.h"
#include "app/AppServices.h"
#include "app/TextCodec.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include "resources/ObjectName.h"
#include "resources/TransferIds.h"
#include "transfer/CImportRecordsDlg.h"
#include "transfer/CRowDragSwapper.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportScan.h"
#include "transfer/TransferWidgets.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

namespace {

constexpr int kListWidth = 560;

// The override boxes, in the order of their items.
constexpr Separator kSeparators[] = {Separator::Auto, Separator::TabComma, Separator::Semicolon};
constexpr TextEncoding kEncodings[] = {TextEncoding::Auto, TextEncoding::Utf8,
                                       TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                       TextEncoding::Cp1252};

// The encoding box's items: the encodings above, then the common charsets this system
// knows (each item's data is its charset's name).
struct EncodingItem {
    TextEncoding encoding = TextEncoding::Auto;
    std::string charset;
};

EncodingItem ItemOf(const QComboBox* box, int index) {
    if (index < 0)
        return {};
    if (index < static_cast<int>(std::size(kEncodings)))
        return {kEncodings[index], {}};
    return {TextEncoding::Named, FromQString(box->itemData(index).toString())};
}

QString SeparatorName(Separator s) {
    switch (s) {
    case Separator::Auto:
        return QStringLiteral("Detect");
    case Separator::Semicolon:
        return QStringLiteral("Semicolon");
    default:
        return QStringLiteral("TAB/comma");
    }
}

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
                                   CCategoryList& categories, AppServices& services,
                                   CRecordUids* uids)
    : QDialog(parent), m_strPath(std::move(path)), m_records(records), m_categories(categories),
      m_services(services), m_pUids(uids) {
    SetIdName(this, "IDD_IMPORT_FIELDS");
    setWindowTitle(QStringLiteral("Importing"));

    m_list = new QTreeWidget(this);
    SetIdName(m_list, "IDC_MATCHING_LIST");
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(false);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Contact Fields"),
                             QStringLiteral("Imported Data Field Count"),
                             QStringLiteral("Column Name")});
    m_list->setMinimumWidth(kListWidth);
    m_list->setColumnWidth(0, kListWidth / 3);
    m_list->setColumnWidth(1, kListWidth / 3);

    m_header = new QCheckBox(QStringLiteral("&First line holds column names"), this);
    SetIdName(m_header, "IDC_IMPORT_HEADER");
    m_separator = new QComboBox(this);
    SetIdName(m_separator, "IDC_IMPORT_SEPARATOR");
    for (Separator sep : kSeparators)
        m_separator->addItem(SeparatorName(sep));
    m_encoding = new QComboBox(this);
    SetIdName(m_encoding, "IDC_IMPORT_ENCODING");
    for (TextEncoding e : kEncodings)
        m_encoding->addItem(ToQString(std::string(EncodingName(e))));
    for (const CommonCharset& c : CommonCharsets()) {
        if (EncodingOfCharset(c.name) == TextEncoding::Named)
            m_encoding->addItem(ToQString(std::string(c.label)), ToQString(std::string(c.name)));
    }
    // Any other charset is typed by its name.
    m_encoding->setEditable(true);
    m_encoding->setInsertPolicy(QComboBox::NoInsert);
    m_encoding->setMinimumContentsLength(16);
    m_inUse = new QLabel(this);
    SetIdName(m_inUse, "IDC_IMPORT_FORMAT_IN_USE");

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
    auto* format = new QHBoxLayout;
    format->addWidget(m_header);
    format->addStretch();
    auto* separatorLabel = new QLabel(QStringLiteral("&Separator:"), this);
    separatorLabel->setBuddy(m_separator);
    format->addWidget(separatorLabel);
    format->addWidget(m_separator);
    auto* encodingLabel = new QLabel(QStringLiteral("E&ncoding:"), this);
    encodingLabel->setBuddy(m_encoding);
    format->addWidget(encodingLabel);
    format->addWidget(m_encoding);
    layout->addLayout(format);
    layout->addWidget(m_inUse);
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
    connect(m_header, &QCheckBox::clicked, this, [this](bool on) { SetHeaderChoice(on); });
    connect(m_separator, &QComboBox::activated, this,
            [this](int i) { SetSeparatorChoice(kSeparators[i]); });
    connect(m_encoding, &QComboBox::activated, this, [this](int i) {
        const EncodingItem item = ItemOf(m_encoding, i);
        SetEncodingChoice(item.encoding, item.charset);
    });
    connect(m_encoding->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { OnEncodingText(m_encoding->currentText()); });
}

bool CImportFieldsDlg::Initialize() {
    setWindowTitle(PlainWindowTitle(ToQString(m_strPath)));
    return Scan();
}

bool CImportFieldsDlg::Scan() {
    m_list->clear();
    const ScanResult scan =
        CountRecords(m_strPath, m_services.fileSystem, m_services.messageBox, m_buffer, m_choice);
    m_format = scan.format;
    m_valued = scan.valued;
    if (m_format.kind == FileKind::VCard) {
        m_nRecordCount = scan.recordCount;
        return scan.status == ScanStatus::Ok;
    }
    std::vector<std::string> rows = kImportRowOrder;
    if (m_format.hasHeader)
        rows = transfer::ArrangeColumns(m_format.firstRecord).rowNames;
    for (const std::string& name : rows)
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{ToQString(name), QString()}));
    if (scan.status == ScanStatus::Incompatible)
        return false;
    m_nRecordCount = scan.recordCount;
    m_nFieldCount = scan.fieldCount;
    while (m_list->topLevelItemCount() < m_nFieldCount)
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), QString()}));
    if (m_format.hasHeader) {
        for (std::size_t i = 0; i < m_format.firstRecord.size(); ++i)
            m_list->topLevelItem(static_cast<int>(i))
                ->setText(2, ToQString(m_format.firstRecord[i]));
    }
    ShowFormat();
    m_nRecord = 1;
    Preview();
    m_recordNumber->setText(QStringLiteral("Record 1"));
    m_previous->hide();
    return true;
}

void CImportFieldsDlg::ShowFormat() {
    m_header->setChecked(m_format.hasHeader);
    m_separator->setCurrentIndex(static_cast<int>(
        std::find(std::begin(kSeparators), std::end(kSeparators), m_choice.separator) -
        std::begin(kSeparators)));
    int chosen = -1;
    for (int i = 0; i < m_encoding->count() && chosen < 0; ++i) {
        const EncodingItem item = ItemOf(m_encoding, i);
        if (item.encoding == m_choice.encoding && kb::EqualsNoCase(item.charset, m_choice.charset))
            chosen = i;
    }
    if (chosen >= 0)
        m_encoding->setCurrentIndex(chosen);
    else
        m_encoding->setEditText(ToQString(m_choice.charset)); // a name typed by the user
    QString text =
        QStringLiteral("Reading the file as %1, separated by %2.")
            .arg(ToQString(EncodingName(m_format.encoding, m_format.charset)),
                 m_format.separator == Separator::Semicolon ? QStringLiteral("semicolons")
                                                            : QStringLiteral("TABs and commas"));
    if (m_format.hasHeader) {
        const std::string profile = transfer::ArrangeColumns(m_format.firstRecord).profile;
        if (!profile.empty())
            text += QStringLiteral(" Recognised layout: %1.").arg(ToQString(profile));
    }
    m_inUse->setText(text);
}

void CImportFieldsDlg::SetHeaderChoice(bool firstLineHoldsNames) {
    m_choice.header = firstLineHoldsNames ? HeaderChoice::Yes : HeaderChoice::No;
    Scan();
}

void CImportFieldsDlg::SetSeparatorChoice(Separator separator) {
    m_choice.separator = separator;
    Scan();
}

void CImportFieldsDlg::SetEncodingChoice(TextEncoding encoding, const std::string& charset) {
    if (encoding == m_choice.encoding && charset == m_choice.charset)
        return;
    m_choice.encoding = encoding;
    m_choice.charset = encoding == TextEncoding::Named ? charset : std::string();
    Scan();
}

void CImportFieldsDlg::OnEncodingText(const QString& text) {
    const std::string name = FromQString(text.trimmed());
    for (int i = 0; i < m_encoding->count(); ++i) {
        if (kb::EqualsNoCase(FromQString(m_encoding->itemText(i)), name)) {
            const EncodingItem item = ItemOf(m_encoding, i);
            SetEncodingChoice(item.encoding, item.charset);
            ShowFormat();
            return;
        }
    }
    const TextEncoding encoding = EncodingOfCharset(name);
    if (encoding == TextEncoding::Auto) {
        m_services.messageBox.Show(UnknownCharsetMessage(name), MbIcon::Exclamation);
        ShowFormat(); // the box shows the encoding still in use
        return;
    }
    SetEncodingChoice(encoding, name);
    ShowFormat();
}

int CImportFieldsDlg::Run() {
    if (!Initialize())
        return QDialog::Rejected;
    if (m_format.kind == FileKind::VCard)
        return ImportRecords({});
    return exec();
}

void CImportFieldsDlg::Preview() {
    const PreviewResult p =
        PreviewRecord(m_strPath, m_nRecord, m_nRecordCount, m_services.fileSystem,
                      m_services.messageBox, m_buffer, m_format);
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
    // Say which values would stay behind while they can still be matched.
    const std::string skipped = SkippedColumnsMessage(SkippedColumns(rows, m_format, m_valued));
    if (!skipped.empty() &&
        m_services.messageBox.Show(skipped + "\n\nImport the other columns?", "Import",
                                   MbIcon::Question, MbButtons::YesNo) != MbResult::Yes)
        return;
    done(ImportRecords(std::move(rows)));
}

int CImportFieldsDlg::ImportRecords(std::vector<std::string> rows) {
    // The records dialog reads with a buffer of its own.
    std::vector<char>().swap(m_buffer);
    ImportOptions options;
    options.format = m_format;
    options.rowNames = std::move(rows);
    options.uids = m_pUids;
    // Shown over the main window when the matching step was left out.
    QWidget* parent = isVisible() ? static_cast<QWidget*>(this) : parentWidget();
    CImportRecordsDlg records(parent, m_strPath, m_nRecordCount, m_records, m_categories,
                              std::move(options), m_services);
    const int result = records.exec();
    m_result = records.LastResult();
    return result;
}
