#pragma once

// Controls of the main form (template 101).
enum ViewControlId : int {
    IDC_DETAIL_PANE = 1000,
    IDC_CATEGORY_FILTER = 1002,
    IDC_NAME_LABEL = 1004,
    IDC_LETTER_A = 1033, // A..Z = 1033..1058
    IDC_LETTER_Z = 1058,
    IDC_LETTER_SLIDER = 1059,
    IDC_LETTER_OTHER = 1060, // "#", after Z
    IDC_CONTACT_LIST = 1092,
};
