#include "edit/CPage4.h"
#include "app/TextCodec.h"
#include "model/CContactRecord.h"
#include "port/IFileChooser.h"
#include "port/IMessageBox.h"
#include "resources/EditIds.h"
#include "resources/ObjectName.h"
#include "view/ContactPhoto.h"
#include "view/ExtraLines.h"
#include "view/ExtraRows.h"
#include <QBuffer>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr std::size_t kNewRow = static_cast<std::size_t>(-1);
constexpr int kPhotoSide = 96;
// A picture bigger than this is surely no contact's photo, and would swell every save.
constexpr qint64 kMaxPhotoBytes = 4 * 1024 * 1024;
// The year a date without one is shown in: a leap year, so that 29 February stays.
constexpr int kNoYear = 2000;
// A text box cuts what it shows at 32767 characters by default: a long note would lose
// its end without being touched.
constexpr int kMaxValueLength = 1 << 26;

} // namespace

CPage4::CPage4(IMessageBox& messageBox, QWidget* parent)
    : QWidget(parent), m_messageBox(messageBox) {
    SetIdName(this, "IDD_PAGE_MORE");
    m_table = new QTableWidget(0, 2, this);
    SetIdName(m_table, "IDC_MORE_ROWS");
    m_table->setHorizontalHeaderLabels({QStringLiteral("Label"), QStringLiteral("Value")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 130);
    m_table->setMinimumWidth(380); // room for a web address beside its label
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });

    m_add = new QPushButton(QStringLiteral("&Add"), this);
    SetIdName(m_add, "IDC_ADD_ROW");
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    SetIdName(m_remove, "IDC_REMOVE_ROW");
    m_photo = new QLabel(this);
    SetIdName(m_photo, "IDC_PHOTO");
    m_photo->setFixedSize(kPhotoSide, kPhotoSide);
    m_photo->setFrameShape(QFrame::StyledPanel);
    m_photo->setAlignment(Qt::AlignCenter);
    m_photo->setWordWrap(true);
    m_setPhoto = new QPushButton(QStringLiteral("&Set photo..."), this);
    SetIdName(m_setPhoto, "IDC_SET_PHOTO");
    m_removePhoto = new QPushButton(QStringLiteral("Remove p&hoto"), this);
    SetIdName(m_removePhoto, "IDC_REMOVE_PHOTO");
    for (QPushButton* b : {m_add, m_remove, m_setPhoto, m_removePhoto})
        b->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &CPage4::OnAddRow);
    connect(m_remove, &QPushButton::clicked, this, &CPage4::OnRemoveRow);
    connect(m_setPhoto, &QPushButton::clicked, this, &CPage4::OnSetPhoto);
    connect(m_removePhoto, &QPushButton::clicked, this, &CPage4::OnRemovePhoto);

    auto* side = new QVBoxLayout;
    side->addWidget(m_photo, 0, Qt::AlignHCenter);
    side->addWidget(m_setPhoto);
    side->addWidget(m_removePhoto);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_table, 1);
    top->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    UpdateButtons();
}

void CPage4::SetFileChooser(IFileChooser* chooser) {
    m_fileChooser = chooser;
    UpdateButtons();
}

void CPage4::Load(const CContactRecord& record) {
    m_before = record.Extras() ? *record.Extras() : CRecordExtras();
    m_table->setRowCount(0);
    m_rows.clear();
    for (const ExtraRow& row : ExtraRowsOf(&m_before))
        AddRow(ToQString(row.label), row.value, row.source);
    m_photoChanged = false;
    m_photoBytes.reset();
    m_photoType.clear();
    m_hasPhoto = false;
    if (const VCardProperty* photo = ShownPhoto(&m_before)) {
        m_hasPhoto = true;
        m_photoBytes = PhotoBytes(*photo);
    }
    ShowPhoto();
    UpdateButtons();
}

void CPage4::Apply(CContactRecord& record) const {
    std::vector<ExtraRow> rows;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        rows.push_back({FromQString(LabelBox(r)->currentText()), RowValue(r),
                        m_rows[static_cast<std::size_t>(r)].source});
    }
    CRecordExtras extras = ApplyExtraRows(&m_before, rows);
    if (m_photoChanged) {
        if (!m_hasPhoto)
            RemovePhoto(extras);
        else if (m_photoBytes)
            SetPhoto(extras, *m_photoBytes, m_photoType);
    }
    const CRecordExtras none;
    if (extras == (record.Extras() ? *record.Extras() : none))
        return;
    record.SetExtras(&extras);
}

QComboBox* CPage4::LabelBox(int row) const {
    return qobject_cast<QComboBox*>(m_table->cellWidget(row, 0));
}

QWidget* CPage4::ValueEditor(int row) const {
    return m_table->cellWidget(row, 1);
}

void CPage4::AddRow(const QString& label, const std::string& value, std::size_t source) {
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    auto* box = new QComboBox;
    box->setObjectName(QStringLiteral("IDC_MORE_LABEL"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& known : ExtraRowLabels())
        box->addItem(ToQString(known));
    box->setCurrentText(label);
    box->installEventFilter(this);
    m_table->setCellWidget(row, 0, box);
    RowState state{source, ToQString(value), value, QDate(), false};
    const std::optional<ExtraDate> date = ParseExtraDate(value);
    state.noYear = date && date->year == 0;
    if (date)
        state.loadedDate = QDate(date->year ? date->year : kNoYear, date->month, date->day);
    m_rows.push_back(std::move(state));
    auto* line = new QLineEdit;
    line->setObjectName(QStringLiteral("IDC_MORE_VALUE"));
    line->setFrame(false);
    line->setMaxLength(kMaxValueLength);
    line->setText(ToQString(value));
    line->installEventFilter(this);
    m_table->setCellWidget(row, 1, line);
    SetValueEditor(row);
    connect(box, &QComboBox::currentTextChanged, this, [this, box] {
        const int r = RowOf(box);
        if (r >= 0)
            SetValueEditor(r);
    });
}

void CPage4::SetValueEditor(int row) {
    const bool wantDate = IsDateLabel(FromQString(LabelBox(row)->currentText()));
    QWidget* editor = ValueEditor(row);
    auto* dateEdit = qobject_cast<QDateEdit*>(editor);
    RowState& state = m_rows[static_cast<std::size_t>(row)];
    if (wantDate == (dateEdit != nullptr))
        return;
    // The table deletes a replaced editor only later, and does not hide it meanwhile.
    const auto replace = [this, row, editor](QWidget* next) {
        next->installEventFilter(this);
        if (editor)
            editor->hide();
        m_table->setCellWidget(row, 1, next);
    };
    if (!wantDate) {
        // Back to text: the date as a card writes it.
        const std::string value = RowValue(row);
        auto* line = new QLineEdit;
        line->setObjectName(QStringLiteral("IDC_MORE_VALUE"));
        line->setFrame(false);
        line->setMaxLength(kMaxValueLength);
        line->setText(ToQString(value));
        replace(line);
        return;
    }
    // Text that is no date keeps its text box, so that nothing typed is lost.
    const std::string text = RowValue(row);
    const std::optional<ExtraDate> date = ParseExtraDate(text);
    if (!text.empty() && !date)
        return;
    state.noYear = date && date->year == 0;
    auto* edit = new QDateEdit;
    edit->setObjectName(QStringLiteral("IDC_MORE_DATE"));
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31)); // any date a card may hold
    edit->setFrame(false);
    edit->setDisplayFormat(state.noYear ? QStringLiteral("d MMMM") : QStringLiteral("d MMMM yyyy"));
    edit->setDate(date ? QDate(date->year ? date->year : kNoYear, date->month, date->day)
                       : QDate::currentDate());
    replace(edit);
}

int CPage4::RowOf(const QWidget* editor) const {
    for (int r = 0; r < m_table->rowCount(); ++r)
        if (m_table->cellWidget(r, 0) == editor || m_table->cellWidget(r, 1) == editor)
            return r;
    return -1;
}

std::string CPage4::RowValue(int row) const {
    const RowState& state = m_rows[static_cast<std::size_t>(row)];
    if (const auto* edit = qobject_cast<const QDateEdit*>(ValueEditor(row))) {
        const QDate d = edit->date();
        if (d == state.loadedDate)
            return state.loadedValue;
        return WriteExtraDate({state.noYear ? 0 : d.year(), d.month(), d.day()});
    }
    if (const auto* line = qobject_cast<const QLineEdit*>(ValueEditor(row))) {
        const QString text = line->text();
        return text == state.loadedText ? state.loadedValue : FromQString(text);
    }
    return state.loadedValue;
}

bool CPage4::eventFilter(QObject* watched, QEvent* event) {
    // The row whose label or value has the focus is the current one, the one Remove takes.
    if (event->type() == QEvent::FocusIn) {
        const int r = RowOf(qobject_cast<QWidget*>(watched));
        if (r >= 0 && r != m_table->currentRow())
            m_table->setCurrentCell(r, watched == m_table->cellWidget(r, 0) ? 0 : 1);
    }
    return QWidget::eventFilter(watched, event);
}

void CPage4::OnAddRow() {
    AddRow(QString(), std::string(), kNewRow);
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, 0);
    LabelBox(row)->setFocus();
    UpdateButtons();
}

void CPage4::OnRemoveRow() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_table->rowCount())
        return;
    m_table->removeRow(row);
    m_rows.erase(m_rows.begin() + row);
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(std::min(row, m_table->rowCount() - 1), 0);
    UpdateButtons();
}

void CPage4::OnSetPhoto() {
    if (!m_fileChooser)
        return;
    FileDialogRequest request;
    request.filter = "Pictures (*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.webp)|*.jpg;*.jpeg;*.png;*.gif;"
                     "*.bmp;*.webp|All Files (*.*)|*.*||";
    request.title = "Set Photo";
    const std::optional<FileChoice> choice = m_fileChooser->ChooseOpen(request);
    if (!choice)
        return;
    QFile file(ToQString(choice->path));
    if (!file.open(QIODevice::ReadOnly)) {
        m_messageBox.Show("Cannot read " + choice->path + ": " + FromQString(file.errorString()),
                          MbIcon::Exclamation);
        return;
    }
    if (file.size() > kMaxPhotoBytes) {
        m_messageBox.Show(choice->path + " is too big for a photo (more than 4 MB).",
                          MbIcon::Exclamation);
        return;
    }
    const QByteArray bytes = file.readAll();
    QImage image;
    if (!image.loadFromData(bytes)) {
        m_messageBox.Show(choice->path + " is not a picture Kinbook can show.",
                          MbIcon::Exclamation);
        return;
    }
    std::string data(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    m_photoType = PhotoType(data);
    if (m_photoType.empty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        m_photoType = QImageReader(&buffer).format().toUpper().toStdString();
    }
    m_photoBytes = std::move(data);
    m_hasPhoto = true;
    m_photoChanged = true;
    ShowPhoto();
    UpdateButtons();
}

void CPage4::OnRemovePhoto() {
    m_photoBytes.reset();
    m_hasPhoto = false;
    m_photoChanged = true;
    ShowPhoto();
    UpdateButtons();
}

void CPage4::ShowPhoto() {
    QImage image;
    if (m_photoBytes)
        image.loadFromData(QByteArray::fromRawData(m_photoBytes->data(),
                                                   static_cast<qsizetype>(m_photoBytes->size())));
    if (!image.isNull()) {
        m_photo->setPixmap(QPixmap::fromImage(image.scaled(
            m_photo->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        return;
    }
    m_photo->setPixmap(QPixmap());
    // A photo that will not show is still kept until it is removed.
    m_photo->setText(m_hasPhoto ? QStringLiteral("(cannot show)") : QStringLiteral("No photo"));
}

void CPage4::UpdateButtons() {
    const int row = m_table->currentRow();
    m_remove->setEnabled(row >= 0 && row < m_table->rowCount());
    m_setPhoto->setEnabled(m_fileChooser != nullptr);
    m_removePhoto->setEnabled(m_hasPhoto);
}
