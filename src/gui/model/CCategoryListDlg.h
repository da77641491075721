#pragma once
#include "model/CategoryListLogic.h"
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class CCategoryList;
class IMessageBox;
class QListWidget;

// Adds, renames and deletes the document's categories (a deleted one's records become
// unfiled). Every change takes effect at once; the opener saves after the dialog closed.
class CCategoryListDlg : public QDialog {
    Q_OBJECT
public:
    CCategoryListDlg(CCategoryList& categories, CRecordList& records, IMessageBox& messageBox,
                     QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }

private slots:
    void OnNew();
    void OnRename();
    void OnDelete();

private:
    std::optional<std::string> AskName(const std::string& initial);
    // Shows the logic's entries and selection in the list box.
    void ShowEntries();

    IMessageBox& m_messageBox;
    CategoryListLogic m_logic;
    QListWidget* m_list;
};
