#pragma once

// Dialog templates and controls of the record editor and of Find Contact.
enum EditResourceId : int {
    IDD_PAGE_NAME = 131,
    IDD_PAGE_ADDRESS = 133,
    IDD_PAGE_NOTES = 134,
    IDD_PAGE_MORE = 135,
    IDD_FIND_CONTACT = 138,
    IDD_SEARCH_RESULTS = 139,
};

enum EditControlId : int {
    // Name page.
    IDC_FIRST_NAME = 1096,
    IDC_LAST_NAME = 1095,
    IDC_TITLE = 1097,
    IDC_OTHER_REF = 1098,
    IDC_CATEGORY = 1085,
    IDC_DEFAULT_ITEM1 = 1064,
    IDC_DEFAULT_ITEM2 = 1065,
    IDC_DEFAULT_ITEM3 = 1066,
    IDC_DEFAULT_ITEM4 = 1067,
    IDC_DEFAULT_ITEM5 = 1068,
    IDC_DEFAULT_ITEM6 = 1086,
    IDC_DEFAULT_ITEM7 = 1087,
    IDC_ITEM1 = 1099,
    IDC_ITEM2 = 1100,
    IDC_ITEM3 = 1101,
    IDC_ITEM4 = 1102,
    IDC_ITEM5 = 1103,
    IDC_ITEM6 = 1088,
    IDC_ITEM7 = 1089,
    IDC_ITEM_LABEL1 = 1084,
    IDC_ITEM_LABEL2 = 1069,
    IDC_ITEM_LABEL3 = 1071,
    IDC_ITEM_LABEL4 = 1072,
    IDC_ITEM_LABEL5 = 1073,
    IDC_ITEM_LABEL6 = 1090,
    IDC_ITEM_LABEL7 = 1091,
    // Address page.
    IDC_ADDRESS = 1104,
    IDC_CITY = 1075,
    IDC_STATE = 1076,
    IDC_ZIP = 1077,
    IDC_COUNTRY = 1082,
    IDC_OTHER_INFO1 = 1078,
    IDC_OTHER_INFO2 = 1079,
    IDC_OTHER_INFO3 = 1080,
    IDC_OTHER_INFO4 = 1081,
    // Notes page.
    IDC_NOTES = 1074,
    IDC_DATE_STAMP = 1124,
    IDC_CLEAR_NOTES = 1126,
    // More page.
    IDC_MORE_ROWS = 1230,
    IDC_ADD_ROW = 1231,
    IDC_REMOVE_ROW = 1232,
    IDC_PHOTO = 1233,
    IDC_SET_PHOTO = 1234,
    IDC_REMOVE_PHOTO = 1235,
    // Find Contact and Search Results.
    IDC_FIND_STRING = 1116,
    IDC_FIND = 1120,
    IDC_RESULTS_LIST = 1122,
    IDC_DETAILS = 1123,
};

// The seven rows of the Name page: default-item radio, item text, label list.
struct ItemRowIds {
    int radio;
    const char* radioName;
    int text;
    const char* textName;
    int label;
    const char* labelName;
};

inline constexpr ItemRowIds kItemRows[7] = {
    {IDC_DEFAULT_ITEM1, "IDC_DEFAULT_ITEM1", IDC_ITEM1, "IDC_ITEM1", IDC_ITEM_LABEL1,
     "IDC_ITEM_LABEL1"},
    {IDC_DEFAULT_ITEM2, "IDC_DEFAULT_ITEM2", IDC_ITEM2, "IDC_ITEM2", IDC_ITEM_LABEL2,
     "IDC_ITEM_LABEL2"},
    {IDC_DEFAULT_ITEM3, "IDC_DEFAULT_ITEM3", IDC_ITEM3, "IDC_ITEM3", IDC_ITEM_LABEL3,
     "IDC_ITEM_LABEL3"},
    {IDC_DEFAULT_ITEM4, "IDC_DEFAULT_ITEM4", IDC_ITEM4, "IDC_ITEM4", IDC_ITEM_LABEL4,
     "IDC_ITEM_LABEL4"},
    {IDC_DEFAULT_ITEM5, "IDC_DEFAULT_ITEM5", IDC_ITEM5, "IDC_ITEM5", IDC_ITEM_LABEL5,
     "IDC_ITEM_LABEL5"},
    {IDC_DEFAULT_ITEM6, "IDC_DEFAULT_ITEM6", IDC_ITEM6, "IDC_ITEM6", IDC_ITEM_LABEL6,
     "IDC_ITEM_LABEL6"},
    {IDC_DEFAULT_ITEM7, "IDC_DEFAULT_ITEM7", IDC_ITEM7, "IDC_ITEM7", IDC_ITEM_LABEL7,
     "IDC_ITEM_LABEL7"},
};

inline constexpr const char* kOtherInfoNames[4] = {"IDC_OTHER_INFO1", "IDC_OTHER_INFO2",
                                                   "IDC_OTHER_INFO3", "IDC_OTHER_INFO4"};
