#pragma once
#include <array>
#include <string_view>

// The 22 field names by which export and import address a record's values,
// in the order names are resolved against them.
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

inline constexpr int kFieldCount = 22;

inline constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "Category",       "First Name",     "Last Name",      "Title", "Other Ref", "Home",
    "Work",           "Pager",          "Mobile",         "FAX",   "E-Mail",    "Other",
    "Address",        "City",           "State",          "Zip",   "Country",   "Other Info 1st",
    "Other Info 2nd", "Other Info 3rd", "Other Info 4th", "Notes",
};

inline constexpr std::string_view FieldName(Field f) {
    return kFieldNames[static_cast<int>(f)];
}
