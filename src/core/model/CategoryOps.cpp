#include "model/CategoryOps.h"
#include "model/NoCase.h"
#include "port/IMessageBox.h"
#include <algorithm>

namespace CategoryOps {

std::vector<std::string> ListedNames(const CCategoryList& categories) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < categories.GetCount(); ++i) {
        const std::string& name = categories.At(i).m_strName;
        if (!kb::EqualsNoCaseDecoded(name, kUnfiled))
            names.insert(names.begin() + static_cast<std::ptrdiff_t>(SortedPosition(names, name)),
                         name);
    }
    return names;
}

std::size_t SortedPosition(const std::vector<std::string>& entries, std::string_view name) {
    const auto it = std::upper_bound(
        entries.begin(), entries.end(), name,
        [](std::string_view a, const std::string& b) { return kb::CompareNoCase(a, b) < 0; });
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
    for (std::size_t i = 0; i < categories.GetCount(); ++i) {
        if (kb::EqualsNoCaseDecoded(categories.At(i).m_strName, name)) {
            messageBox.Show("The word " + name + " already exists.", kInvalidNameCaption,
                            MbIcon::Information, MbButtons::Ok);
            return false;
        }
    }
    return true;
}

std::uint16_t AddCategory(CCategoryList& categories, std::string name) {
    const auto index = static_cast<std::uint16_t>(categories.GetCount());
    categories.AddTail(std::move(name));
    return index;
}

bool RenameCategory(CCategoryList& categories, std::string_view oldName, std::string newName) {
    for (std::size_t i = 0; i < categories.GetCount(); ++i) {
        CCategory& category = categories.At(i);
        if (kb::EqualsNoCaseDecoded(category.m_strName, oldName)) {
            category.m_strName = std::move(newName);
            return true;
        }
    }
    return false;
}

bool DeleteCategory(CCategoryList& categories, std::string_view name) {
    std::size_t removed = categories.GetCount();
    for (std::size_t i = 0; i < categories.GetCount(); ++i) {
        if (kb::EqualsNoCaseDecoded(categories.At(i).m_strName, name)) {
            removed = i;
            break;
        }
    }
    // A name that matches nothing must not shift anybody's category.
    if (removed == categories.GetCount())
        return false;
    categories.RemoveAt(removed);
    if (categories.m_pRecords) {
        for (auto& record : *categories.m_pRecords) {
            if (record->m_nCategory == removed)
                record->m_nCategory = 0;
            else if (record->m_nCategory > removed)
                --record->m_nCategory;
        }
    }
    return true;
}

std::string DeleteQuestion(const std::string& name) {
    return "Are you sure you want to delete the category " + name +
           "?\n\nNote: All records under that name will be recategorized as UNFILED.";
}

} // namespace CategoryOps
