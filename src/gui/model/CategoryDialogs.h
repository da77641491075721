#pragma once
#include "model/CRecordList.h"

class QWidget;
class CCategoryList;
class IMessageBox;

// Runs the category list dialog on the document's categories and records. Saves nothing:
// the main view saves afterwards.
void EditCategories(QWidget* parent, CCategoryList& categories, CRecordList& records,
                    IMessageBox& messageBox);
