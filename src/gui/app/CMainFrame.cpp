#include "app/CMainFrame.h"
#include "app/AppServices.h"
#include "app/CHelpWindow.h"
#include "app/CLockIndicators.h"
#include "app/CommandTable.h"
#include "app/FrameCommands.h"
#include "app/TextCodec.h"
#include "resources/CommandIds.h"
#include "resources/ObjectName.h"
#include "resources/ViewIds.h"
#include "view/CKinbookView.h"
#include "view/CSettingsSchema.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QWhatsThis>

// The icons and the help page live in this static library: make sure the linker
// keeps them.
static void InitKinbookResources() {
    Q_INIT_RESOURCE(kinbook);
}

namespace {
const QString kBarGroup = QStringLiteral("Toolbar and status bar");
const QString kBarState = QStringLiteral("State");
const QString kStatusBarShown = QStringLiteral("Status Bar");

QIcon AppIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/kinbook-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/kinbook-32.png"), QSize(32, 32));
    return icon;
}
} // namespace

CMainFrame::CMainFrame(CKinbookDoc& doc, AppServices& services, QWidget* parent)
    : QMainWindow(parent), m_commands(new CommandTable(this)), m_services(services),
      m_tray(CTrayLogic::Hooks{
                 [this] {
                     show();
                     raise();
                     activateWindow();
                 },
                 [this] { hide(); },
                 [this](bool shown) {
                     if (m_trayIcon)
                         m_trayIcon->setVisible(shown);
                 },
                 [this] { close(); },
             },
             QSystemTrayIcon::isSystemTrayAvailable()) {
    InitKinbookResources();
    setObjectName(QStringLiteral("IDR_MAINFRAME"));
    setWindowIcon(AppIcon());
    m_view = new CKinbookView(doc, services, *m_commands, this);
    setCentralWidget(m_view);
    connect(m_view, &CKinbookView::TitleChanged, this, &CMainFrame::OnTitleChanged);
    connect(m_view, &CKinbookView::MinimumSizeChanged, this, &CMainFrame::OnMinimumSizeChanged);

    ApplyFrameCommands(*m_commands);
    SetFrameHandlers();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateTrayIcon();
    SetWhatsThisTexts();
    // Enable rules follow the focus (the list and the detail pane decide several).
    connect(qApp, &QApplication::focusChanged, m_commands, &CommandTable::Update);
    OnTitleChanged(QString());
    setGeometry(10, 10, 490, 390);
}

CMainFrame::~CMainFrame() {
    // A frame destroyed while it has the focus loses it on the way out; its command
    // rules must not run on a half-destroyed window then.
    disconnect(qApp, nullptr, m_commands, nullptr);
    if (!m_bFirstActivation)
        SavePlacement();
    if (m_trayIcon)
        m_trayIcon->hide();
}

void CMainFrame::SetFrameHandlers() {
    CommandTable& t = *m_commands;
    t.SetHandler(ID_TRAY_RESTORE, [this] { m_tray.Restore(); });
    t.SetEnabler(ID_TRAY_RESTORE, [this] { return m_tray.CanRestore(); });
    t.SetHandler(ID_TRAY_EXIT, [this] { m_tray.ExitKinbook(); });
    t.SetHandler(ID_SHOW_TRAY_ICON, [this] { m_tray.ToggleShowTray(); });
    t.SetChecker(ID_SHOW_TRAY_ICON, [this] { return m_tray.ShowTray(); });
    t.SetHandler(ID_HIDE_TRAY_ICON, [this] { m_tray.HideTrayIcon(); });
    t.SetHandler(ID_APP_EXIT, [this] { close(); });
    t.SetHandler(ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(m_toolBar->isHidden()); });
    t.SetChecker(ID_VIEW_TOOLBAR, [this] { return m_toolBar && !m_toolBar->isHidden(); });
    t.SetHandler(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    t.SetChecker(ID_VIEW_STATUS_BAR, [this] { return !statusBar()->isHidden(); });
    t.SetHandler(ID_HELP_FINDER, [this] { ShowHelp(); });
    t.SetHandler(ID_HELP, [this] { ShowHelp(); });
    t.SetHandler(ID_CONTEXT_HELP, [] { QWhatsThis::enterWhatsThisMode(); });
    t.SetHandler(ID_APP_ABOUT, [this] { ShowAbout(); });
    // The document saves itself after every change; Ctrl+S has nothing left to do.
    t.SetHandler(ID_FILE_SAVE, [] {});
}

void CMainFrame::CreateMenus() {
    for (const MenuLayout& layout : MainMenuLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(layout.title));
        menu->setObjectName(QString::fromLatin1(layout.objectName));
        for (int id : layout.entries) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_commands->Action(id));
        }
        connect(menu, &QMenu::aboutToShow, m_commands, &CommandTable::Update);
    }
    // Keys with no menu entry still need a home in the window.
    for (int id : {ID_HELP, ID_CONTEXT_HELP, ID_FILE_SAVE})
        addAction(m_commands->Action(id));
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolBarLayout()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_commands->Action(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &QToolBar::visibilityChanged, m_commands, &CommandTable::Update);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_indicators = new CLockIndicators(bar);
}

void CMainFrame::CreateTrayIcon() {
    m_trayMenu = new QMenu(QStringLiteral("Kinbook"), this);
    SetIdName(m_trayMenu, "IDR_TRAY_MENU");
    m_trayMenu->addAction(m_commands->Action(ID_TRAY_RESTORE));
    m_trayMenu->addAction(m_commands->Action(ID_HIDE_TRAY_ICON));
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_commands->Action(ID_TRAY_EXIT));
    connect(m_trayMenu, &QMenu::aboutToShow, m_commands, &CommandTable::Update);

    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    m_trayIcon->setToolTip(QStringLiteral("Kinbook"));
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (m_tray.Shown()) {
                    raise();
                    activateWindow();
                }
                if (reason == QSystemTrayIcon::DoubleClick) {
                    m_trayMenu->hide();
                    m_commands->Update();
                    m_commands->Execute(ID_TRAY_RESTORE);
                } else if (reason == QSystemTrayIcon::Trigger) {
                    m_commands->Update();
                    m_trayMenu->popup(QCursor::pos());
                }
            });
}

void CMainFrame::SetWhatsThisTexts() {
    struct Text {
        int id;
        const char* text;
    };
    static const Text texts[] = {
        {ID_NEW_CONTACT, "Add a new contact under the category the filter shows."},
        {ID_DELETE_RECORD, "Delete the contact selected in the list, after you confirm."},
        {ID_EDIT_RECORD, "Open the selected contact in the record editor."},
        {ID_EDIT_COPY, "Copy the selected text of the detail pane, or the whole record of the "
                       "selected contact, to the clipboard."},
        {ID_PRINT_RECORD, "Print the selected contact's record."},
        {ID_PRINT_BOOK, "Print a contact book of one category or of all contacts."},
        {ID_FIND_CONTACT, "Search every contact for a text."},
    };
    for (const Text& t : texts)
        m_commands->Action(t.id)->setWhatsThis(QString::fromUtf8(t.text));
    // The main view's controls, where the view has not explained them itself.
    static const std::pair<const char*, const char*> controls[] = {
        {"IDC_CATEGORY_FILTER", "Choose the category whose contacts the list shows, or All. "
                                "Choose \"- Edit Categories\" to add, rename or delete "
                                "categories."},
        {"IDC_CONTACT_LIST", "The contacts of the chosen category whose last name begins with "
                             "the chosen letter. Select one to see its details; double-click "
                             "to edit it."},
        {"IDC_DETAIL_PANE", "Everything stored for the selected contact. Select text here and "
                            "use Copy Record to copy just that text."},
        {"IDC_NAME_LABEL", "The selected contact's name."},
        {"IDC_LETTER_SLIDER", "Move the slider to list the last names that begin with another "
                              "letter."},
    };
    for (const auto& [name, text] : controls) {
        if (auto* control = m_view->findChild<QWidget*>(QString::fromLatin1(name));
            control && control->whatsThis().isEmpty())
            control->setWhatsThis(QString::fromUtf8(text));
    }
    statusBar()->setWhatsThis(
        QStringLiteral("The status bar shows what a menu entry or a toolbar button does, and "
                       "whether Caps Lock, Num Lock and Scroll Lock are on."));
}

void CMainFrame::OnTitleChanged(const QString& title) {
    // The caption is the document title, " - " and the application title.
    setWindowTitle(PlainWindowTitle(title) + QStringLiteral(" - Kinbook"));
}

void CMainFrame::OnMinimumSizeChanged(const QSize& size) {
    // (0, 0) lifts the limit: the view has not laid itself out yet.
    setMinimumSize(size);
}

void CMainFrame::FirstActivation() {
    if (!m_bFirstActivation)
        return;
    m_bFirstActivation = false;
    SetWhatsThisTexts(); // the view's controls exist now
    const SettingsSchema::CFrameSettings f = SettingsSchema::ReadFrameSettings(m_services.settings);
    m_tray.Start(f.showTray != 0);

    if (m_barState) {
        m_barState->beginGroup(kBarGroup);
        restoreState(m_barState->value(kBarState).toByteArray());
        statusBar()->setVisible(m_barState->value(kStatusBarShown, true).toBool());
        m_barState->endGroup();
    }

    CWindowRect r = f.rect;
    if (r.Width() <= 0 || r.Height() <= 0)
        r = CWindowRect{};
    // The left and top edges place the whole window, decorations included, so the
    // title bar of a window at 10, 10 stays on the screen; the size is the window's
    // own, as the decorations are only known once it is shown.
    resize(r.Width(), r.Height());
    move(r.left, r.top);
    m_placedRect = r;
    if (f.icon != 0) {
        // Minimised without taking the focus; restoring brings back the maximised
        // window when "max" is set too.
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        setWindowState(f.max != 0 ? (Qt::WindowMinimized | Qt::WindowMaximized)
                                  : Qt::WindowMinimized);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    } else if (f.max != 0) {
        showMaximized();
    } else {
        show();
    }
    m_commands->Update();
}

void CMainFrame::SavePlacement() {
    NoteFrameOffset();
    QRect normal = normalGeometry();
    if (!normal.isValid())
        normal = geometry();
    normal.moveTopLeft(normal.topLeft() - m_frameOffset);
    CWindowRect rect{normal.left(), normal.top(), normal.left() + normal.width(),
                     normal.top() + normal.height()};
    // A window that was never shown normal (started minimised or maximised) never
    // told us its decorations: keep the rectangle it was given rather than drift.
    if (!m_bFrameOffsetKnown && normal.size() == QSize(m_placedRect.Width(), m_placedRect.Height()))
        rect = m_placedRect;
    const Qt::WindowStates state = windowState();
    const bool maximised =
        state.testFlag(Qt::WindowMaximized) && !state.testFlag(Qt::WindowMinimized);
    SettingsSchema::WriteFrameSettings(m_services.settings, rect, maximised, m_tray.ShowTray());
    if (m_barState) {
        m_barState->beginGroup(kBarGroup);
        m_barState->setValue(kBarState, saveState());
        m_barState->setValue(kStatusBarShown, !statusBar()->isHidden());
        m_barState->endGroup();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_tray.OnClose()) {
        event->accept();
        if (m_helpWindow)
            m_helpWindow->close();
        emit ProgramEnding();
    } else {
        event->ignore();
    }
    m_commands->Update();
}

void CMainFrame::showEvent(QShowEvent* event) {
    m_tray.OnShowNotification();
    QMainWindow::showEvent(event);
    NoteFrameOffset();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    NoteFrameOffset();
    QMainWindow::moveEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    NoteFrameOffset();
    QMainWindow::resizeEvent(event);
}

void CMainFrame::NoteFrameOffset() {
    // Only a normal window shows the decorations the normal rectangle goes with.
    if (isVisible() && windowState() == Qt::WindowNoState) {
        m_frameOffset = geometry().topLeft() - frameGeometry().topLeft();
        m_bFrameOffsetKnown = true;
    }
}

void CMainFrame::hideEvent(QHideEvent* event) {
    m_tray.OnShowNotification();
    QMainWindow::hideEvent(event);
}

void CMainFrame::ShowHelp() {
    if (!m_helpWindow)
        m_helpWindow = new CHelpWindow(this);
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

QString CMainFrame::AboutText() {
    return QStringLiteral("<h3>Kinbook %1</h3>"
                          "<p>A personal address book: contacts filed by category and name, "
                          "searched, printed, exported and imported.</p>"
                          "<p>Built with Qt %2, running on Qt %3.</p>")
        .arg(QStringLiteral(KINBOOK_VERSION), QStringLiteral(QT_VERSION_STR),
             QString::fromLatin1(qVersion()));
}

void CMainFrame::ShowAbout() {
    QMessageBox::about(this, QStringLiteral("About Kinbook"), AboutText());
}
