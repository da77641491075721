#pragma once
#include "model/CCategoryList.h"
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Which category a contact from elsewhere is filed under, for every way contacts come in (import
// of any file, sync): the first of its group names that the book has, or that can become a
// category. Looking is kept apart from filing, so that comparing a card with a record never
// adds a category.
namespace CategoryRule {

// The longest name a category may take from a file, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;
// A category list holds at most this many categories (its indexes are 16 bits).
inline constexpr std::size_t kMaxCategories = 0xFFFF;
// What Find answers for names that would be filed under a category the book does not have
// yet: no category has this index.
inline constexpr std::uint16_t kNotYetACategory = 0xFFFF;

// A name no record is filed under: empty, a mail service's system group ("* myContacts",
// "System Group: ..."), one of the filter's own entries, or too long.
bool IsNeverACategory(std::string_view name);

// The category the names file a record under, without changing the list: the index of the
// first usable name the book has ("Unfiled" is 0), kNotYetACategory when a name the book lacks
// comes first and mayCreate allows it to be made, nothing when no name serves.
std::optional<std::uint16_t> Find(const CCategoryList& categories,
                                  const std::vector<std::string_view>& names, bool mayCreate);

// Files as Find finds, making the category that Find reports as not yet there. created, when
// given, is set to true if a category was added.
std::optional<std::uint16_t> FindOrCreate(CCategoryList& categories,
                                          const std::vector<std::string_view>& names,
                                          bool mayCreate, bool* created = nullptr);

} // namespace CategoryRule
