#include "model/CategoryListLogic.h"
#include "model/CategoryOps.h"
#include "port/IMessageBox.h"

CategoryListLogic::CategoryListLogic(CCategoryList& categories, CRecordList& records,
                                     IMessageBox& messageBox)
    : m_categories(categories), m_records(records), m_messageBox(messageBox),
      m_entries(CategoryOps::ListedNames(categories)) {
    if (!m_entries.empty())
        m_nSelected = 0;
}

void CategoryListLogic::Select(int index) {
    m_nSelected = (index >= 0 && index < static_cast<int>(m_entries.size())) ? index : -1;
}

int CategoryListLogic::AddEntry(const std::string& name) {
    const std::size_t pos = CategoryOps::SortedPosition(m_entries, name);
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(pos), name);
    // The selected entry keeps its selection when an entry is inserted before it.
    if (m_nSelected >= static_cast<int>(pos))
        ++m_nSelected;
    return static_cast<int>(pos);
}

void CategoryListLogic::RemoveEntry(const std::string& name) {
    const std::size_t pos = CategoryOps::FindEntry(m_entries, name);
    if (pos == m_entries.size())
        return;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(pos));
    const int removed = static_cast<int>(pos);
    if (m_nSelected == removed)
        m_nSelected = -1;
    else if (m_nSelected > removed)
        --m_nSelected;
}

bool CategoryListLogic::New(const AskName& askName) {
    const std::optional<std::string> name = askName(std::string());
    if (!name || !CategoryOps::CheckNewName(m_categories, *name, m_messageBox))
        return false;
    CategoryOps::AddCategory(m_categories, *name);
    AddEntry(*name);
    return true;
}

bool CategoryListLogic::Rename(const AskName& askName) {
    if (m_nSelected < 0) {
        m_messageBox.Show("You must first select a category to rename it.",
                          CategoryOps::kSelectionErrorCaption, MbIcon::Information, MbButtons::Ok);
        return false;
    }
    const std::string oldName = m_entries[static_cast<std::size_t>(m_nSelected)];
    const std::optional<std::string> newName = askName(oldName);
    if (!newName)
        return false;
    CategoryOps::RenameCategory(m_categories, oldName, *newName);
    RemoveEntry(oldName);
    // The renamed category stays the selected one.
    m_nSelected = AddEntry(*newName);
    return true;
}

bool CategoryListLogic::Delete() {
    if (m_nSelected < 0) {
        m_messageBox.Show("You must first select a category to Delete it.",
                          CategoryOps::kSelectionErrorCaption, MbIcon::Information, MbButtons::Ok);
        return false;
    }
    const std::string name = m_entries[static_cast<std::size_t>(m_nSelected)];
    if (m_messageBox.Show(CategoryOps::DeleteQuestion(name), "Confirmation", MbIcon::Exclamation,
                          MbButtons::YesNo) != MbResult::Yes)
        return false;
    const bool deleted = CategoryOps::DeleteCategory(m_categories, m_records, name);
    RemoveEntry(name);
    return deleted;
}
