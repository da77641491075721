#include "view/CKinbookView.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "app/SubsystemCommands.h"
#include "app/TextCodec.h"
#include "model/BookMerge.h"
#include "model/CDataFileWatcher.h"
#include "model/CKinbookDoc.h"
#include "model/CategoryDialogs.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include "resources/CommandIds.h"
#include "resources/ObjectName.h"
#include "resources/ViewIds.h"
#include "view/CContactListModel.h"
#include "view/CDetailPane.h"
#include "view/CLetterTab.h"
#include "view/CSettingsSchema.h"
#include "view/ContactPhoto.h"
#include "view/DetailText.h"
#include "view/DisplayName.h"
#include "view/QtFitText.h"
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

namespace {

const char* const kLetterTabNames[kLetterCount] = {
    "IDC_LETTER_A", "IDC_LETTER_B",    "IDC_LETTER_C", "IDC_LETTER_D", "IDC_LETTER_E",
    "IDC_LETTER_F", "IDC_LETTER_G",    "IDC_LETTER_H", "IDC_LETTER_I", "IDC_LETTER_J",
    "IDC_LETTER_K", "IDC_LETTER_L",    "IDC_LETTER_M", "IDC_LETTER_N", "IDC_LETTER_O",
    "IDC_LETTER_P", "IDC_LETTER_Q",    "IDC_LETTER_R", "IDC_LETTER_S", "IDC_LETTER_T",
    "IDC_LETTER_U", "IDC_LETTER_V",    "IDC_LETTER_W", "IDC_LETTER_X", "IDC_LETTER_Y",
    "IDC_LETTER_Z", "IDC_LETTER_OTHER"};

QRect ToQRect(const LayoutRect& r) {
    return {r.left, r.top, r.width, r.height};
}

LayoutRect ToLayoutRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// A menu or popup opening is no focus change: the commands it offers must see the
// state from before it opened. Nor is the window losing its activation (a dialog
// opening, the window closing): the form keeps its focus widget and gets it back.
bool IsRealFocusChange(QEvent* event) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason)
        return false;
    return event->type() != QEvent::FocusOut || reason != Qt::ActiveWindowFocusReason;
}

} // namespace

CKinbookView::CKinbookView(CKinbookDoc& doc, AppServices& services, CommandTable& commands,
                           QWidget* parent)
    : QWidget(parent), m_doc(doc), m_services(services), m_commands(commands),
      m_printSettings(SettingsSchema::ReadPrintSettings(services.settings)) {
    SetIdName(this, "IDD_KINBOOK_FORM");
    CreateControls();
    PlaceFromTemplate();
    m_subsystemCommands = CreateSubsystemCommands(*this, m_commands);
    m_dataFileWatcher = new CDataFileWatcher([this] { MergeDataFileChanges(); }, this);
    // The view's enable rules come last: they follow the list's focus and selection.
    RegisterCommands();
}

CKinbookView::~CKinbookView() {
    WriteSettings();
    // The controls outlive this body; nothing they do while they go may reach the view
    // (the command table may already be gone).
    const auto children = findChildren<QObject*>();
    for (QObject* child : children) {
        child->removeEventFilter(this);
        child->disconnect(this);
    }
}

void CKinbookView::WriteSettings() {
    // A view that never loaded has nothing of its own to keep: writing its empty
    // filter and slider would overwrite the user's stored choices.
    if (m_bInitialUpdateDone)
        SettingsSchema::WriteViewSettings(m_services.settings, m_printSettings,
                                          m_letterSlider->value(), m_categoryFilter->currentIndex(),
                                          m_doc.GetDataPath());
}

void CKinbookView::CreateControls() {
    m_categoriesText = new QLabel(QStringLiteral("Categories:"), this);

    m_categoryFilter = new QComboBox(this);
    SetIdName(m_categoryFilter, "IDC_CATEGORY_FILTER");
    m_categoryFilter->setEditable(false);
    m_categoryFilter->setMaxVisibleItems(12);
    m_categoryFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_categoryFilter, &QComboBox::currentIndexChanged, this,
            &CKinbookView::OnFilterIndexChanged);
    m_categoryFilter->installEventFilter(this);

    m_nameLabel = new QLabel(this);
    SetIdName(m_nameLabel, "IDC_NAME_LABEL");
    m_nameLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_nameLabel->setTextFormat(Qt::PlainText);
    QPalette navy = m_nameLabel->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_nameLabel->setPalette(navy);

    m_contactModel = new CContactListModel(this);
    m_contactList = new QTreeView(this);
    SetIdName(m_contactList, "IDC_CONTACT_LIST");
    m_contactList->setModel(m_contactModel);
    m_contactList->setRootIsDecorated(false);
    m_contactList->setItemsExpandable(false);
    m_contactList->setUniformRowHeights(true);
    m_contactList->setAllColumnsShowFocus(true);
    m_contactList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_contactList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_contactList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_contactList->setSortingEnabled(false);
    m_contactList->setTextElideMode(Qt::ElideRight);
    m_contactList->header()->setSectionsClickable(false);
    m_contactList->header()->setSectionsMovable(false);
    m_contactList->header()->setStretchLastSection(false);
    m_contactList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The selection stays as visible without the focus as with it.
    QPalette listPalette = m_contactList->palette();
    listPalette.setColor(QPalette::Inactive, QPalette::Highlight,
                         listPalette.color(QPalette::Active, QPalette::Highlight));
    listPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         listPalette.color(QPalette::Active, QPalette::HighlightedText));
    m_contactList->setPalette(listPalette);
    m_contactList->installEventFilter(this);
    m_contactList->viewport()->installEventFilter(this);
    connect(m_contactList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CKinbookView::OnContactSelectionChanged);
    connect(m_contactList, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            m_commands.Execute(ID_EDIT_RECORD);
    });
    // The right button offers the record commands of the menus, with their enable rules.
    m_contactMenu = new QMenu(this);
    m_contactMenu->setObjectName(QStringLiteral("ContactMenu"));
    for (int id : {ID_EDIT_RECORD, ID_DELETE_RECORD, ID_EDIT_COPY, ID_PRINT_RECORD})
        m_contactMenu->addAction(m_commands.Action(id));
    connect(m_contactMenu, &QMenu::aboutToShow, &m_commands, &CommandTable::Update);
    m_contactList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_contactList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_contactMenu->popup(m_contactList->viewport()->mapToGlobal(pos));
    });

    m_detailPane = new CDetailPane(this);
    SetIdName(m_detailPane, "IDC_DETAIL_PANE");
    m_detailPane->setReadOnly(true);
    m_detailPane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_detailPane->setFocusPolicy(Qt::StrongFocus);
    m_detailPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_detailPane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_detailPane->installEventFilter(this);

    for (int k = 0; k < kLetterCount; ++k) {
        auto* tab = new CLetterTab(
            k, [this](int letter) { return LetterColour(letter); }, this);
        SetIdName(tab, kLetterTabNames[k]);
        connect(tab, &QAbstractButton::clicked, this, [this, k] { OnLetterTabClicked(k); });
        m_letterTabs[static_cast<std::size_t>(k)] = tab;
    }

    m_letterSlider = new QSlider(Qt::Horizontal, this);
    SetIdName(m_letterSlider, "IDC_LETTER_SLIDER");
    m_letterSlider->setTickPosition(QSlider::NoTicks);
    m_letterSlider->setFocusPolicy(Qt::StrongFocus);
    connect(m_letterSlider, &QSlider::valueChanged, this, &CKinbookView::OnSliderScrolled);
    connect(m_letterSlider, &QSlider::sliderReleased, this, &CKinbookView::OnSliderScrolled);

    setTabOrder(m_categoryFilter, m_contactList);
    setTabOrder(m_contactList, m_detailPane);
    setTabOrder(m_detailPane, m_letterSlider);
}

void CKinbookView::PlaceFromTemplate() {
    // Dialog units from the form font, as the platform's dialog manager computes them.
    const QFontMetrics fm(font());
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits units{(letters / 26 + 1) / 2, fm.height()};
    auto place = [&](QWidget* w, const LayoutRect& dlu) {
        w->setGeometry(ToQRect(MapDialogRect(dlu, units)));
    };
    place(m_categoriesText, FormTemplate::kCategoriesText);
    QRect filter = ToQRect(MapDialogRect(FormTemplate::kCategoryFilter, units));
    filter.setHeight(m_categoryFilter->sizeHint().height());
    m_categoryFilter->setGeometry(filter);
    // The form font is small; the filter and the static text share a line.
    m_categoriesText->setGeometry(m_categoriesText->x(), filter.y(),
                                  filter.x() - m_categoriesText->x(), filter.height());
    place(m_nameLabel, FormTemplate::kNameLabel);
    place(m_contactList, FormTemplate::kContactList);
    place(m_detailPane, FormTemplate::kDetailPane);
    for (int k = 0; k < kLetterCount; ++k)
        place(m_letterTabs[static_cast<std::size_t>(k)], FormTemplate::LetterTab(k));
    place(m_letterSlider, FormTemplate::kSlider);
    const LayoutRect form = MapDialogRect(FormTemplate::kForm, units);
    resize(form.width, form.height);
}

void CKinbookView::RegisterCommands() {
    m_commands.SetHandler(ID_EDIT_COPY, [this] { CopyRecord(); });
    m_commands.SetEnabler(ID_EDIT_COPY, [this] { return m_bCopyEnabled; });
    for (int id : {ID_EDIT_RECORD, ID_DELETE_RECORD, ID_PRINT_RECORD})
        m_commands.SetEnabler(id, [this] { return m_bRecordCommands; });
    m_commands.SetEnabler(ID_EXPORT, [this] { return !m_doc.GetRecords().empty(); });
    m_commands.SetEnabler(ID_BACKUP_DATA, [this] { return ListHasEntries(); });
}

// ---- Start-up -------------------------------------------------------------------

void CKinbookView::InitialUpdate() {
    {
        const QSignalBlocker block(m_letterSlider);
        m_letterSlider->setSingleStep(1);
        m_letterSlider->setPageStep(1);
        m_letterSlider->setRange(0, kLetterCount - 1);
        m_letterSlider->setValue(SettingsSchema::ReadSelectedIndex(m_services.settings));
    }
    // The list is first built for the restored letter, so that is the applied one.
    m_nAppliedLetter = m_letterSlider->value();

    QFont labelFont = m_nameLabel->font();
    labelFont.setPointSize(12);
    labelFont.setWeight(QFont::Bold);
    m_nameLabel->setFont(labelFont);

    SetColumnWidths();

    const std::string path = SettingsSchema::ReadCurrentPath(m_services.settings);
    if (!path.empty())
        m_doc.SetDataPath(path);
    m_doc.LoadDataFile();
    RefillCategoryFilter();
    ReselectFilter();
    m_bInitialUpdateDone = true;
}

void CKinbookView::FirstActivation() {
    if (!m_bFirstActivation)
        return;
    LayoutControls();
    RefreshView(nullptr, false);
    m_bFirstActivation = false;
    if (m_nCategoryRecordCount == 0)
        ShowEmptyCategoryMessage();
}

void CKinbookView::ShowEmptyCategoryMessage() {
    m_services.messageBox.Show("There are no items listed under category '" +
                                   GetFilterSelectionText() + "'.",
                               "Empty Category", MbIcon::Information, MbButtons::Ok);
}

// ---- The category filter ----------------------------------------------------------

std::string CKinbookView::GetFilterSelectionText() const {
    return FromQString(m_categoryFilter->currentText());
}

int CKinbookView::GetFilterSelectedPosition() const {
    return m_categoryFilter->currentIndex();
}

void CKinbookView::RefillCategoryFilter() {
    const std::vector<std::string> entries = m_doc.FilterEntries();
    const QSignalBlocker block(m_categoryFilter);
    m_categoryFilter->clear();
    for (const std::string& entry : entries)
        m_categoryFilter->addItem(ToQString(entry));
}

void CKinbookView::SelectFilterAll(int startIndex) {
    const int n = m_categoryFilter->count();
    if (n == 0)
        return;
    startIndex = std::clamp(startIndex, 0, n - 1);
    auto find = [&](auto matches) {
        for (int k = 0; k < n; ++k) {
            const int i = (startIndex + k) % n;
            if (matches(FromQString(m_categoryFilter->itemText(i))))
                return i;
        }
        return -1;
    };
    // "All" itself wins over a category whose name merely begins with it ("Allotment").
    int found = find([](const std::string& s) { return kb::EqualsNoCase(s, kFilterAll); });
    if (found < 0)
        found = find([](const std::string& s) { return kb::StartsWithNoCase(s, kFilterAll); });
    if (found >= 0) {
        const QSignalBlocker block(m_categoryFilter);
        m_categoryFilter->setCurrentIndex(found);
    }
}

void CKinbookView::ReselectFilter() {
    const int stored = SettingsSchema::ReadSelectedCategory(m_services.settings);
    if (stored == SettingsSchema::kNoCategory) {
        SelectFilterAll(2);
    } else if (stored >= 0 && stored < m_categoryFilter->count()) {
        const QSignalBlocker block(m_categoryFilter);
        m_categoryFilter->setCurrentIndex(stored);
    } else {
        SelectFilterAll(1);
    }
    m_strCurrentCategory = GetFilterSelectionText();
}

void CKinbookView::OnFilterIndexChanged() {
    // "- Edit Categories" sorts first: stepping through the closed filter with the wheel
    // or the keys would land on it on the way to "All". Only a pick from the open list
    // opens the category dialog.
    if (m_nFilterIndexBeforeStep >= 0 &&
        kb::EqualsNoCase(GetFilterSelectionText(), kFilterEditCategories)) {
        const QSignalBlocker block(m_categoryFilter);
        m_categoryFilter->setCurrentIndex(m_nFilterIndexBeforeStep);
        return;
    }
    OnCategoryFilterChanged();
}

bool CKinbookView::HandleListKey(const QKeyEvent& event) {
    if ((event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) != Qt::NoModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_commands.Execute(ID_EDIT_RECORD);
        return true;
    case Qt::Key_Delete:
        m_commands.Execute(ID_DELETE_RECORD);
        return true;
    default:
        break;
    }
    // A typed letter moves the slider to its tab, as a click on the tab would.
    const std::optional<int> letter = LetterIndexOfKey(FromQString(event.text()));
    if (!letter)
        return false;
    m_letterSlider->setValue(*letter);
    return true;
}

void CKinbookView::OnCategoryFilterChanged() {
    bool save = false;
    if (kb::EqualsNoCase(GetFilterSelectionText(), kFilterEditCategories)) {
        EditCategories(DialogParent(), m_doc.GetCategories(), m_doc.GetRecords(),
                       m_services.messageBox);
        RefillCategoryFilter();
        SelectFilterAll(0);
        save = true;
    }
    RefreshView(nullptr, save);
    m_strCurrentCategory = GetFilterSelectionText();
    if (m_nCategoryRecordCount == 0)
        ShowEmptyCategoryMessage();
}

// ---- Refresh ----------------------------------------------------------------------

int CKinbookView::GetSliderPosition() const {
    return m_letterSlider->value();
}

bool CKinbookView::ListHasEntries() const {
    return m_contactModel->Count() > 0;
}

void CKinbookView::RefreshView(CContactRecord* record, bool save) {
    FillContactList();
    MarkLetters();
    m_detailPane->clear();
    m_detailPane->SetPhoto(QImage());
    m_paneText.clear();
    m_strNameLabel.clear();

    if (!m_bFirstActivation && save) {
        // The save may first merge another program's changes to the file, which can take
        // records away: the record is then looked for again by its content.
        const std::uint64_t merges = m_doc.MergeCount();
        const std::uint64_t wanted = record ? RecordContentHash(*record, m_doc.GetCategories()) : 0;
        m_doc.Save();
        if (m_doc.MergeCount() != merges) {
            RefillFilterKeepingSelection();
            FillContactList();
            MarkLetters();
            if (record)
                record = FindByContent(wanted);
        }
    }

    if (record) {
        const int count = m_contactModel->Count();
        for (int row = 0; row < count; ++row) {
            if (m_contactModel->Entry(row)->record != record)
                continue;
            m_contactList->selectionModel()->setCurrentIndex(m_contactModel->index(row, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
            ShowRecordDetail(*record);
            m_strNameLabel = DisplayName(*record);
            break;
        }
    } else if (m_contactModel->Count() > 0) {
        m_contactList->selectionModel()->setCurrentIndex(m_contactModel->index(0, 0),
                                                         QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        if (const CContactRecord* selected = GetSelectedRecord()) {
            ShowRecordDetail(*selected);
            m_strNameLabel = DisplayName(*selected);
        }
    }

    SetDocumentTitle(m_strNameLabel);
    m_nameLabel->setText(ToQString(m_strNameLabel));
    m_commands.Update();
    // Open Archive and New Archive change the data file.
    m_dataFileWatcher->Watch(m_doc.GetDataPath());
    emit ViewRefreshed();
}

void CKinbookView::RefillFilterKeepingSelection() {
    const QString current = m_categoryFilter->currentText();
    RefillCategoryFilter();
    const int again = m_categoryFilter->findText(current, Qt::MatchFixedString);
    if (again >= 0) {
        const QSignalBlocker block(m_categoryFilter);
        m_categoryFilter->setCurrentIndex(again);
    } else {
        SelectFilterAll(0); // the category is gone
    }
    m_strCurrentCategory = GetFilterSelectionText();
}

CContactRecord* CKinbookView::FindByContent(std::uint64_t hash) {
    const CCategoryList& categories = m_doc.GetCategories();
    CContactRecord* found = nullptr;
    for (const auto& record : m_doc.GetRecords()) {
        if (RecordContentHash(*record, categories) == hash) {
            found = record.get();
            break;
        }
    }
    return found;
}

void CKinbookView::MergeDataFileChanges() {
    if (!m_bInitialUpdateDone || m_bFirstActivation || !m_doc.FileChangedOnDisk())
        return;
    const CContactRecord* selected = GetSelectedRecord();
    const bool hadSelection = selected != nullptr;
    const std::uint64_t wanted = selected ? RecordContentHash(*selected, m_doc.GetCategories()) : 0;
    if (!m_doc.MergeFileChanges())
        return;
    RefillFilterKeepingSelection();
    // The selected record stays selected unless the other program changed or removed it.
    RefreshView(hadSelection ? FindByContent(wanted) : nullptr, false);
}

void CKinbookView::FillContactList() {
    CContactListing listing = ListContacts(m_doc.GetRecords(), m_doc.GetCategories(),
                                           GetFilterSelectionText(), m_letterSlider->value());
    m_nCategoryRecordCount = listing.categoryRecordCount;
    m_contactModel->SetEntries(std::move(listing.entries));
    // Emptying the list is an item change too: nothing is selected any more.
    UpdateCommandFlagsFromSelection(false);
}

void CKinbookView::MarkLetters() {
    m_letterFlags =
        MarkLetterFlags(m_doc.GetRecords(), m_doc.GetCategories(), GetFilterSelectionText());
    for (CLetterTab* tab : m_letterTabs)
        tab->update();
}

QColor CKinbookView::LetterColour(int letter) const {
    const bool current = letter == m_letterSlider->value();
    const bool marked = m_letterFlags.at(static_cast<std::size_t>(letter));
    if (current)
        return marked ? QColor(255, 0, 0) : QColor(128, 0, 0);
    return marked ? QColor(0, 0, 255) : QColor(128, 128, 128);
}

CContactRecord* CKinbookView::GetSelectedRecord(std::size_t* position) {
    const QModelIndexList rows = m_contactList->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    const CContactListEntry* entry = m_contactModel->Entry(rows.front().row());
    if (!entry)
        return nullptr;
    // A row stands for its own record, whatever its name; one that has left the book
    // since the list was built stands for nothing.
    return FindRecord(m_doc.GetRecords(), entry->record, position);
}

void CKinbookView::ShowRecordDetail(const CContactRecord& record) {
    const QString fitted = FitTextToWidth(ToQString(DisplayName(record)), m_nameLabel->width(),
                                          QFontMetrics(m_nameLabel->font()));
    m_contactModel->SetItemHeader(ToQString(ItemColumnCaption(record)));
    m_paneText = ToWidgetText(ComposeDetailText(record, m_doc.GetCategories()));
    m_detailPane->setPlainText(m_paneText);
    // A photo that will not decode shows nothing; it stays with the contact as it came.
    QImage photo;
    if (const VCardProperty* property = ShownPhoto(record.Extras()))
        if (const std::optional<std::string> bytes = PhotoBytes(*property))
            photo.loadFromData(
                QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size())));
    m_detailPane->SetPhoto(photo);
    m_strNameLabel = FromQString(fitted);
    m_nameLabel->setText(fitted);
}

void CKinbookView::SetDocumentTitle(const std::string& title) {
    emit TitleChanged(ToQString(title));
}

// ---- Letters ----------------------------------------------------------------------

void CKinbookView::OnLetterTabClicked(int letter) {
    {
        const QSignalBlocker block(m_letterSlider);
        m_letterSlider->setValue(letter);
    }
    m_letterTabs[static_cast<std::size_t>(letter)]->update();
    m_letterTabs[static_cast<std::size_t>(m_nAppliedLetter)]->update();
    m_nAppliedLetter = letter;
    RefreshView(nullptr, false);
}

void CKinbookView::OnSliderScrolled() {
    m_letterTabs[static_cast<std::size_t>(m_nAppliedLetter)]->update();
    const int p = m_letterSlider->value();
    m_letterTabs[static_cast<std::size_t>(p)]->update();
    if (p != m_nAppliedLetter) {
        RefreshView(nullptr, false);
        m_nAppliedLetter = p;
    }
}

// ---- Command flags ----------------------------------------------------------------

void CKinbookView::ClearCommandFlags() {
    m_bCopyEnabled = false;
    m_bRecordCommands = false;
}

void CKinbookView::UpdateCommandFlagsFromSelection(bool showRecord) {
    ClearCommandFlags();
    if (const CContactRecord* record = GetSelectedRecord()) {
        m_bCopyEnabled = true;
        m_bRecordCommands = true;
        if (showRecord) {
            ShowRecordDetail(*record);
            SetDocumentTitle(DisplayName(*record));
        }
    }
    m_commands.Update();
}

void CKinbookView::OnContactSelectionChanged() {
    UpdateCommandFlagsFromSelection(true);
}

bool CKinbookView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_categoryFilter && (type == QEvent::Wheel || type == QEvent::KeyPress) &&
        m_nFilterIndexBeforeStep < 0) {
        // Steps of the closed filter: handled here, so the index change knows it is one.
        m_nFilterIndexBeforeStep = m_categoryFilter->currentIndex();
        static_cast<QObject*>(m_categoryFilter)->event(event);
        m_nFilterIndexBeforeStep = -1;
        return true;
    }
    if (watched == m_contactList) {
        if (type == QEvent::KeyPress && HandleListKey(*static_cast<QKeyEvent*>(event)))
            return true;
        if (type == QEvent::FocusIn && IsRealFocusChange(event)) {
            UpdateCommandFlagsFromSelection(false);
        } else if (type == QEvent::FocusOut && IsRealFocusChange(event)) {
            ClearCommandFlags();
            m_commands.Update();
        }
    } else if (watched == m_contactList->viewport()) {
        if (type == QEvent::MouseButtonRelease)
            UpdateCommandFlagsFromSelection(false);
    } else if (watched == m_detailPane) {
        if (type == QEvent::FocusIn && IsRealFocusChange(event)) {
            m_bCopyEnabled = ListHasEntries();
            QTextCursor cursor = m_detailPane->textCursor();
            cursor.movePosition(QTextCursor::Start);
            m_detailPane->setTextCursor(cursor);
            m_detailPane->ensureCursorVisible();
            m_commands.Update();
        } else if (type == QEvent::FocusOut && IsRealFocusChange(event)) {
            m_bCopyEnabled = false;
            m_commands.Update();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Copy Record ------------------------------------------------------------------

void CKinbookView::CopyRecord() {
    // The pane's document turns a non-breaking space into a blank and a lone CR into a
    // paragraph; the text it was given keeps them. Each character of that text is one
    // position in the document, so a selection maps onto it directly.
    const bool mapped = m_paneText.size() == m_detailPane->document()->characterCount() - 1;
    const QTextCursor cursor = m_detailPane->textCursor();
    if (cursor.hasSelection()) {
        if (mapped)
            QGuiApplication::clipboard()->setText(m_paneText.mid(
                cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()));
        else
            m_detailPane->copy();
        return;
    }
    const QString text = mapped ? m_paneText : m_detailPane->toPlainText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

// ---- Layout -----------------------------------------------------------------------

void CKinbookView::LayoutControls() {
    LayoutInput in;
    in.clientWidth = width();
    in.clientHeight = height();
    in.listTop = m_contactList->y();
    in.nameLabel = ToLayoutRect(m_nameLabel->geometry());
    in.categoryFilter = ToLayoutRect(m_categoryFilter->geometry());
    in.tabWidth = m_letterTabs[0]->width();
    in.tabHeight = m_letterTabs[0]->height();
    in.sliderHeight = m_letterSlider->height();

    const LayoutResult out = ::LayoutControls(in);
    m_contactList->setGeometry(ToQRect(out.contactList));
    SetColumnWidths();
    m_detailPane->setGeometry(ToQRect(out.detailPane));
    m_nameLabel->setGeometry(ToQRect(out.nameLabel));
    m_categoryFilter->setGeometry(ToQRect(out.categoryFilter));
    for (int k = 0; k < kLetterCount; ++k) {
        m_letterTabs[static_cast<std::size_t>(k)]->setGeometry(
            ToQRect(out.letterTabs[static_cast<std::size_t>(k)]));
        m_letterTabs[static_cast<std::size_t>(k)]->update();
    }
    m_letterSlider->setGeometry(ToQRect(out.slider));

    const QSize minimum(out.minWidth, out.minHeight);
    if (minimum != m_minimumSize) {
        m_minimumSize = minimum;
        emit MinimumSizeChanged(minimum);
    }
}

void CKinbookView::SetColumnWidths() {
    // Half the list's client width each. The room of the vertical scroll bar is kept
    // free whether it shows or not, so a long letter never needs a horizontal one.
    const int scrollBar =
        m_contactList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_contactList);
    const int client = m_contactList->width() - 2 * m_contactList->frameWidth() - scrollBar;
    QHeaderView* header = m_contactList->header();
    header->resizeSection(0, client / 2);
    header->resizeSection(1, client / 2);
}

void CKinbookView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_bFirstActivation)
        LayoutControls();
}

void CKinbookView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_bReopenRecordPrint) {
        m_bReopenRecordPrint = false;
        QTimer::singleShot(0, this, [this] { m_commands.Execute(ID_PRINT_RECORD); });
    } else if (m_bReopenBookPrint) {
        m_bReopenBookPrint = false;
        QTimer::singleShot(0, this, [this] { m_commands.Execute(ID_PRINT_BOOK); });
    }
}
