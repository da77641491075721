#pragma once

// Command numbers shared by menus, toolbar, keys and the command table.
enum CommandId : int {
    ID_TRAY_RESTORE = 32771,
    ID_PRINT_BOOK = 32774,
    ID_EDIT_RECORD = 32775,
    ID_DELETE_RECORD = 32776,
    ID_NEW_CONTACT = 32777,
    ID_FIND_CONTACT = 32778,
    ID_TRAY_EXIT = 32780,
    ID_SHOW_TRAY_ICON = 32781,
    ID_PRINT_RECORD = 32784,
    ID_IMPORT = 32788,
    ID_EXPORT = 32789,
    ID_BACKUP_DATA = 32790,
    ID_RESTORE_BACKUP = 32791,
    ID_HIDE_TRAY_ICON = 32792,
    ID_OPEN_ARCHIVE = 32793,
    ID_NEW_ARCHIVE = 32794,
    ID_RELOAD_DATA = 32795,
    ID_UNDO_IMPORT = 32796,
    ID_SYNC_SERVER = 32797,
    ID_SYNC_NOW = 32798,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_PRINT_SETUP = 57606,
    ID_EDIT_COPY = 57634,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// Private messages the main view posts to itself after a print preview closes.
enum ViewMessage : int {
    WM_REOPEN_RECORD_PRINT = 0x401,
    WM_REOPEN_BOOK_PRINT = 0x402,
};

// Resource numbers.
enum ResourceId : int {
    IDR_MAINFRAME = 128,
    IDR_TRAY_MENU = 130,
    IDD_KINBOOK_FORM = 101,
};
