#pragma once
#include "model/RecordFields.h"
#include <array>
#include <cstdint>
#include <string_view>

// The 22 field names by which export and import address a record's values, in the order names
// are resolved against them: the category, then the record's texts in their order (the items
// by the label their column stands for). The names come from the record's field table.
enum class Field : int {
    Category = 0,
    FirstName,
    LastName,
    Title,
    OtherRef,
    Home,
    Work,
    Pager,
    Mobile,
    Fax,
    EMail,
    Other,
    Address,
    City,
    State,
    Zip,
    Country,
    OtherInfo1,
    OtherInfo2,
    OtherInfo3,
    OtherInfo4,
    Notes,
};

inline constexpr int kFieldCount = 1 + static_cast<int>(kTextFieldCount);

// The field of the record a name addresses; for Home to Other, the item in the slot of that
// column (the value itself is found by the column's label, see ItemLabelFor).
constexpr RecordField RecordFieldOf(Field f) {
    if (f == Field::Category)
        return RecordField::Category;
    return static_cast<RecordField>(static_cast<int>(f) - static_cast<int>(Field::FirstName));
}

// The label code of the items a name stands for; 255 for a name that is no item's.
constexpr std::uint8_t ItemLabelFor(Field f) {
    const FieldInfo& info = InfoOf(RecordFieldOf(f));
    return info.kind == FieldKind::Item ? info.label : std::uint8_t{0xFF};
}

inline constexpr std::array<std::string_view, kFieldCount> kFieldNames = [] {
    std::array<std::string_view, kFieldCount> names{};
    for (int f = 0; f < kFieldCount; ++f)
        names[static_cast<std::size_t>(f)] = InfoOf(RecordFieldOf(static_cast<Field>(f))).name;
    return names;
}();

inline constexpr std::string_view FieldName(Field f) {
    return kFieldNames[static_cast<std::size_t>(f)];
}
