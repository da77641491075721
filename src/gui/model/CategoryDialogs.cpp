#include "model/CategoryDialogs.h"
#include "model/CCategoryListDlg.h"

void EditCategories(QWidget* parent, CCategoryList& categories, CRecordList& records,
                    IMessageBox& messageBox) {
    CCategoryListDlg dialog(categories, records, messageBox, parent);
    dialog.exec();
}
