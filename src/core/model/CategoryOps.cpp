#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include <algorithm>

namespace CategoryOps {

void SortAsDropDown(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return kb::CompareNoCaseDecoded(a, b) < 0;
    });
}

std::vector<std::string> DropDownNames(const CCategoryList& categories,
                                       std::initializer_list<std::string_view> extra) {
    std::vector<std::string> names = categories.FillComboNames();
    names.insert(names.end(), extra.begin(), extra.end());
    SortAsDropDown(names);
    return names;
}

std::vector<std::string> ListedNames(const CCategoryList& categories) {
    std::vector<std::string> names = DropDownNames(categories);
    std::erase_if(names,
                  [](const std::string& name) { return kb::EqualsNoCaseDecoded(name, kUnfiled); });
    return names;
}

std::size_t SortedPosition(const std::vector<std::string>& entries, std::string_view name) {
    const auto it = std::upper_bound(entries.begin(), entries.end(), name,
                                     [](std::string_view a, const std::string& b) {
                                         return kb::CompareNoCaseDecoded(a, b) < 0;
                                     });
    return static_cast<std::size_t>(it - entries.begin());
}

std::size_t FindEntry(const std::vector<std::string>& entries, std::string_view text) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (kb::StartsWithNoCase(entries[i], text))
            return i;
    }
    return entries.size();
}

bool CheckNameEntered(const std::string& name, IMessageBox& messageBox) {
    if (!name.empty())
        return true;
    messageBox.Show("You must enter a category name to continue.", kInvalidNameCaption,
                    MbIcon::Stop, MbButtons::Ok);
    return false;
}

bool CheckNewName(const CCategoryList& categories, const std::string& name,
                  IMessageBox& messageBox) {
    for (std::string_view reserved : {kFilterAll, kFilterEditCategories, kUnfiled}) {
        if (kb::EqualsNoCaseDecoded(name, reserved)) {
            messageBox.Show("The word " + name + " is a reserved category name.",
                            kInvalidNameCaption, MbIcon::Stop, MbButtons::Ok);
            return false;
        }
    }
    if (categories.Find(name)) {
        messageBox.Show("The word " + name + " already exists.", kInvalidNameCaption,
                        MbIcon::Information, MbButtons::Ok);
        return false;
    }
    return true;
}

std::uint16_t AddCategory(CCategoryList& categories, std::string name) {
    const auto index = static_cast<std::uint16_t>(categories.GetCount());
    categories.AddTail(std::move(name));
    return index;
}

bool RenameCategory(CCategoryList& categories, std::string_view oldName, std::string newName) {
    const std::optional<std::uint16_t> found = categories.Find(oldName);
    if (!found)
        return false;
    categories.At(*found).m_strName = std::move(newName);
    return true;
}

bool DeleteCategory(CCategoryList& categories, CRecordList& records, std::string_view name) {
    // A name that matches nothing must not shift anybody's category.
    const std::optional<std::uint16_t> found = categories.Find(name);
    if (!found)
        return false;
    const std::uint16_t removed = *found;
    categories.RemoveAt(removed);
    for (auto& record : records) {
        if (record->m_nCategory == removed)
            record->m_nCategory = 0;
        else if (record->m_nCategory > removed)
            --record->m_nCategory;
    }
    return true;
}

std::string DeleteQuestion(const std::string& name) {
    return "Are you sure you want to delete the category " + name +
           "?\n\nNote: All records under that name will be recategorized as UNFILED.";
}

} // namespace CategoryOps
