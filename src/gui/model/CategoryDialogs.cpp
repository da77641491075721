#include "model/CategoryDialogs.h"
#include "model/CCategoryListDlg.h"

void EditCategories(QWidget* parent, CCategoryList& categories, IMessageBox& messageBox) {
    CCategoryListDlg dialog(categories, messageBox, parent);
    dialog.exec();
}
