#pragma once
#include "model/CRecordList.h"
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CCategoryList;
class IMessageBox;

// What the category list dialog does, without its widgets: the sorted entries of its
// list box, the selection, and New, Rename and Delete on the document's categories (Delete
// moves the records of the deleted category to "Unfiled"). Every change takes effect on
// the book at once; nothing is saved here.
class CategoryListLogic {
public:
    // Runs the category name dialog with an initial name; the name typed, or nothing
    // when the dialog was cancelled.
    using AskName = std::function<std::optional<std::string>(const std::string& initial)>;

    CategoryListLogic(CCategoryList& categories, CRecordList& records, IMessageBox& messageBox);

    const std::vector<std::string>& Entries() const { return m_entries; }
    // The selected entry, -1 for none.
    int Selected() const { return m_nSelected; }
    void Select(int index);

    // Each returns true when the category list changed.
    bool New(const AskName& askName);
    bool Rename(const AskName& askName);
    bool Delete();

private:
    // Inserts name in sorted place, returns its position.
    int AddEntry(const std::string& name);
    // Removes the entry a list box search for name finds.
    void RemoveEntry(const std::string& name);

    CCategoryList& m_categories;
    CRecordList& m_records;
    IMessageBox& m_messageBox;
    std::vector<std::string> m_entries;
    int m_nSelected = -1;
};
