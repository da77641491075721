#include "model/CategoryDialogs.h"

// Placeholder until the category dialogs land.
void EditCategories(QWidget*, CCategoryList&, IMessageBox&) {}
