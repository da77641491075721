#pragma once

class QWidget;
class CCategoryList;
class IMessageBox;

// Runs the category list dialog on the document's categories (and, through the
// list's m_pRecords, its records). Saves nothing: the main view saves afterwards.
void EditCategories(QWidget* parent, CCategoryList& categories, IMessageBox& messageBox);
