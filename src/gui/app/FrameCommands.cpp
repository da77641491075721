#include "app/FrameCommands.h"
#include "app/CommandTable.h"
#include "resources/CommandIds.h"
#include <QAction>
#include <QIcon>
#include <QKeySequence>

const std::vector<FrameCommand>& FrameCommands() {
    static const std::vector<FrameCommand> commands = {
        // File
        {ID_NEW_CONTACT, "ID_NEW_CONTACT", "&New Contact...", "Ctrl+N", "Add a NEW contact",
         "New Contact", "new-contact", "contact-new"},
        {ID_OPEN_ARCHIVE, "ID_OPEN_ARCHIVE", "&Open Archive...", "",
         "Open another contact data file", "", "", ""},
        {ID_NEW_ARCHIVE, "ID_NEW_ARCHIVE", "New &Archive...", "",
         "Start a new, empty contact data file", "", "", ""},
        {ID_IMPORT, "ID_IMPORT", "&Import...", "", "Add contacts from a delimited text file", "",
         "", ""},
        {ID_EXPORT, "ID_EXPORT", "&Export...", "", "Write contacts to a delimited text file", "",
         "", ""},
        {ID_SYNC_SERVER, "ID_SYNC_SERVER", "Address Book &Server...", "",
         "Choose the address book server the book syncs with", "", "", ""},
        {ID_SYNC_NOW, "ID_SYNC_NOW", "S&ync Now", "F9",
         "Sync the book with the address book server now", "", "", ""},
        {ID_PRINT_RECORD, "ID_PRINT_RECORD", "&Print Contact's Record...", "Ctrl+P",
         "Print a contact's record", "Print Contact's Record", "print-record", "document-print"},
        {ID_PRINT_BOOK, "ID_PRINT_BOOK", "Print &Contact Book...", "",
         "Print a contact record book", "Print Contact Record Book", "print-book", ""},
        {ID_FILE_PRINT_SETUP, "ID_FILE_PRINT_SETUP", "Printer Set&up...", "",
         "Choose the printer and its options", "", "", ""},
        {ID_BACKUP_DATA, "ID_BACKUP_DATA", "&Backup Data...", "",
         "Save a backup copy of the contact data", "", "", ""},
        {ID_RESTORE_BACKUP, "ID_RESTORE_BACKUP", "&Restore From Backup...", "",
         "Replace the contact data with a backup copy", "", "", ""},
        {ID_APP_EXIT, "ID_APP_EXIT", "E&xit", "", "Close the Kinbook window", "", "", ""},
        // Edit
        {ID_UNDO_IMPORT, "ID_UNDO_IMPORT", "&Undo Import", "",
         "Remove the contacts of the last import, as the book was before it", "", "", ""},
        {ID_EDIT_COPY, "ID_EDIT_COPY", "&Copy Record", "Ctrl+C;Ctrl+Ins",
         "Copy a selection or the entire record to the clipboard",
         "Copy Selected Text or Entire Record to Clipboard", "copy-record", "edit-copy"},
        {ID_EDIT_RECORD, "ID_EDIT_RECORD", "&Edit Record", "Ctrl+E", "Edit a contact's record",
         "Edit Contact's Record", "edit-record", "document-properties"},
        {ID_DELETE_RECORD, "ID_DELETE_RECORD", "&Delete Record", "", "Delete a selected contact",
         "Delete Contact", "delete-record", "edit-delete"},
        {ID_FIND_CONTACT, "ID_FIND_CONTACT", "&Find Contact\tCtrl-F", "Ctrl+F",
         "Find a contact's record", "Find Contact's Record", "find-contact", "edit-find"},
        // View
        {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "&Toolbar", "", "Show or hide the toolbar", "", "",
         ""},
        {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "&Status Bar", "", "Show or hide the status bar",
         "", "", ""},
        {ID_SHOW_TRAY_ICON, "ID_SHOW_TRAY_ICON", "Show Tray &Icon", "",
         "Show the program icon in the system tray", "Toggle Tray Icon", "", ""},
        {ID_RELOAD_DATA, "ID_RELOAD_DATA", "&Reload Data", "F5", "Read the contact data file again",
         "", "", ""},
        // Help
        {ID_HELP_FINDER, "ID_HELP_FINDER", "&Help Topics", "", "Show the Kinbook user guide", "",
         "", ""},
        {ID_APP_ABOUT, "ID_APP_ABOUT", "&About Kinbook...", "",
         "Show the program's name and version", "", "", ""},
        // Keys without a menu entry
        {ID_HELP, "ID_HELP", "Help", "F1", "Show the Kinbook user guide", "", "", ""},
        {ID_CONTEXT_HELP, "ID_CONTEXT_HELP", "What's This?", "Shift+F1",
         "Click an item to learn what it does", "", "", ""},
        {ID_FILE_SAVE, "ID_FILE_SAVE", "Save", "Ctrl+S", "", "", "", ""},
        // Tray menu
        {ID_TRAY_RESTORE, "ID_TRAY_RESTORE", "Restore", "", "Show the Kinbook window", "", "", ""},
        {ID_HIDE_TRAY_ICON, "ID_HIDE_TRAY_ICON", "Hide Tray Icon", "",
         "Remove the program icon from the system tray", "", "", ""},
        {ID_TRAY_EXIT, "ID_TRAY_EXIT", "Exit Kinbook", "", "End Kinbook", "", "", ""},
    };
    return commands;
}

namespace {
QIcon OwnIcon(const char* stem) {
    QIcon icon;
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(stem)).arg(size),
                     QSize(size, size));
    return icon;
}
} // namespace

void ApplyFrameCommands(CommandTable& table) {
    for (const FrameCommand& c : FrameCommands()) {
        QAction* action = table.Action(c.id);
        action->setObjectName(QString::fromLatin1(c.idName));
        action->setText(QString::fromUtf8(c.text));
        action->setStatusTip(QString::fromUtf8(c.prompt));
        if (*c.toolTip)
            action->setToolTip(QString::fromUtf8(c.toolTip));
        if (*c.keys) {
            QList<QKeySequence> keys;
            for (const QString& key : QString::fromLatin1(c.keys).split(QLatin1Char(';')))
                keys.append(QKeySequence(key));
            action->setShortcuts(keys);
        }
        if (*c.icon) {
            const QIcon own = OwnIcon(c.icon);
            action->setIcon(*c.themeIcon ? QIcon::fromTheme(QString::fromLatin1(c.themeIcon), own)
                                         : own);
        }
    }
}

const std::vector<MenuLayout>& MainMenuLayout() {
    static const std::vector<MenuLayout> menus = {
        {"&File",
         "menuFile",
         {ID_NEW_CONTACT, 0, ID_OPEN_ARCHIVE, ID_NEW_ARCHIVE, ID_IMPORT, ID_EXPORT, 0,
          ID_SYNC_SERVER, ID_SYNC_NOW, 0,
          ID_PRINT_RECORD, ID_PRINT_BOOK, ID_FILE_PRINT_SETUP, 0, ID_BACKUP_DATA, ID_RESTORE_BACKUP,
          0, ID_APP_EXIT}},
        {"&Edit",
         "menuEdit",
         {ID_UNDO_IMPORT, 0, ID_EDIT_COPY, ID_EDIT_RECORD, ID_DELETE_RECORD, 0, ID_FIND_CONTACT}},
        {"&View",
         "menuView",
         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, 0, ID_SHOW_TRAY_ICON, 0, ID_RELOAD_DATA}},
        {"&Help", "menuHelp", {ID_HELP_FINDER, 0, ID_APP_ABOUT}},
    };
    return menus;
}

const std::vector<int>& ToolBarLayout() {
    static const std::vector<int> buttons = {ID_NEW_CONTACT,
                                             ID_DELETE_RECORD,
                                             ID_EDIT_RECORD,
                                             0,
                                             ID_EDIT_COPY,
                                             0,
                                             ID_PRINT_RECORD,
                                             ID_PRINT_BOOK,
                                             0,
                                             ID_FIND_CONTACT};
    return buttons;
}
