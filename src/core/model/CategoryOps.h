#pragma once
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class IMessageBox;

// The rules of adding, renaming and deleting categories, shared by the category
// dialogs and kinbook-cli. Names compare ignoring case; lookups take the first match.
namespace CategoryOps {

inline constexpr const char* kInvalidNameCaption = "Invalid Category Name";
inline constexpr const char* kSelectionErrorCaption = "Selection Error";
// The longest name the category name dialog takes, in characters.
inline constexpr int kMaxNameLength = 255;

// Sorts names as every sorted drop-down and list box of categories shows them: ignoring
// case, as the user reads them (CompareNoCaseDecoded); names that compare equal keep
// their order.
void SortAsDropDown(std::vector<std::string>& names);

// The category names, then the extra entries ("All", "- Edit Categories"), sorted as a
// drop-down shows them: the print options, the export and import dialogs, the main
// view's filter and the editor's category list.
std::vector<std::string> DropDownNames(const CCategoryList& categories,
                                       std::initializer_list<std::string_view> extra = {});

// The names the category list dialog offers: every category except those named
// "Unfiled", sorted as the list box sorts them.
std::vector<std::string> ListedNames(const CCategoryList& categories);

// Where a sorted list box puts name: behind every entry that does not sort after it.
std::size_t SortedPosition(const std::vector<std::string>& entries, std::string_view name);

// The first entry that begins with text (ignoring case), as a list box search finds it;
// entries.size() when none does.
std::size_t FindEntry(const std::vector<std::string>& entries, std::string_view text);

// The name dialog's check: an empty name is refused with a message. True when accepted.
bool CheckNameEntered(const std::string& name, IMessageBox& messageBox);

// The check of New: a reserved name ("All", "- Edit Categories", "Unfiled") or the name
// of an existing category is refused with its message. True when the name may be added.
bool CheckNewName(const CCategoryList& categories, const std::string& name,
                  IMessageBox& messageBox);

// Appends a category; its index is the list's former length.
std::uint16_t AddCategory(CCategoryList& categories, std::string name);

// The first category named oldName gets newName; records keep their indexes. False when
// no category is named oldName.
bool RenameCategory(CCategoryList& categories, std::string_view oldName, std::string newName);

// Removes the first category named name and renumbers the records filed under the
// categories: the removed category's records become unfiled (0), later indexes move down
// by one. False, and nothing changes, when no category is named name.
bool DeleteCategory(CCategoryList& categories, CRecordList& records, std::string_view name);

// The question Delete asks before it removes a category.
std::string DeleteQuestion(const std::string& name);

} // namespace CategoryOps
