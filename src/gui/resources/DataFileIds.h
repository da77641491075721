#pragma once

// Templates and controls of the category dialogs and the Open Archive dialog.
enum DataFileDialogId : int {
    IDD_CATEGORY_LIST = 136,
    IDD_CATEGORY_NAME = 137,
    IDD_OPEN_ARCHIVE = 162,
};

enum DataFileControlId : int {
    IDC_CATEGORY_NEW = 1110,
    IDC_CATEGORY_RENAME = 1111,
    IDC_CATEGORY_DELETE = 1112,
    IDC_CATEGORY_LIST = 1113,
    IDC_CATEGORY_NAME = 1114,
    IDC_CATEGORY_PROMPT = 1115,
    IDC_ARCHIVE_BROWSE = 1215,
    IDC_CURRENT_ARCHIVE = 1218,
    IDC_LOAD_ARCHIVE = 1219,
};
