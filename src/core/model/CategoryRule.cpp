#include "model/CategoryRule.h"
#include "model/NoCase.h"
#include <string>

namespace CategoryRule {

namespace {

struct Choice {
    std::optional<std::uint16_t> index;
    std::string_view toCreate; // set when index is kNotYetACategory
};

Choice Choose(const CCategoryList& categories, const std::vector<std::string_view>& names,
              bool mayCreate) {
    for (const std::string_view name : names) {
        if (IsNeverACategory(name))
            continue;
        if (kb::EqualsNoCase(name, kUnfiled))
            return {0, {}};
        if (const auto found = categories.Find(name))
            return {*found, {}};
        if (mayCreate && categories.GetCount() < kMaxCategories)
            return {kNotYetACategory, name};
    }
    return {};
}

} // namespace

bool IsNeverACategory(std::string_view name) {
    return name.empty() || name.size() > kMaxNameBytes || name[0] == '*' ||
           kb::StartsWithNoCase(name, "System Group:") || kb::EqualsNoCase(name, kFilterAll) ||
           kb::EqualsNoCase(name, kFilterEditCategories);
}

std::optional<std::uint16_t> Find(const CCategoryList& categories,
                                  const std::vector<std::string_view>& names, bool mayCreate) {
    return Choose(categories, names, mayCreate).index;
}

std::optional<std::uint16_t> FindOrCreate(CCategoryList& categories,
                                          const std::vector<std::string_view>& names,
                                          bool mayCreate, bool* created) {
    const Choice choice = Choose(categories, names, mayCreate);
    if (choice.index != kNotYetACategory)
        return choice.index;
    categories.AddTail(std::string(choice.toCreate));
    if (created != nullptr)
        *created = true;
    return static_cast<std::uint16_t>(categories.GetCount() - 1);
}

} // namespace CategoryRule
