#pragma once
#include "model/VCard.h"
#include <string>
#include <string_view>
#include <vector>

// How a delimited column that no field holds is kept with a record as a vCard property, and
// how such properties are read back as column values.
namespace transfer {

// The property a column without a natural vCard name becomes: X-KINBOOK-COLUMN;NAME=label.
inline constexpr std::string_view kColumnProperty = "X-KINBOOK-COLUMN";

// A date as YYYY-MM-DD or, without a year, --MM-DD, from "1980-04-04", "19800404",
// "--0404", "--04-04" or " --04-04"; empty when the text is none of these.
std::string IsoDate(std::string_view text);
// A date property (BDAY, ANNIVERSARY): a date as IsoDate writes it, any other text kept as
// it came with VALUE=text.
VCardProperty DateProperty(std::string name, std::string_view text);
// X-KINBOOK-COLUMN;NAME=label:value.
VCardProperty ColumnProperty(std::string_view label, std::string_view value);
// The TYPE a label gives a property ("Home" -> "home", "Mobile" -> "cell", "Business Address"
// -> "work", "Profile" -> "profile"); empty for a label that says nothing ("Other", "Main",
// "", or one that is no single word).
std::string TypeForLabel(std::string_view label);
// Adds TYPE=type when type is not empty.
void AddType(VCardProperty& property, std::string_view type);

// The names of a groups value ("Categories", "Labels", "Group Membership"): split at " ::: "
// when it holds one, else at ';' and ','; blanks trimmed, empty names and system groups
// ("* myContacts", "System Group: ...") left out.
std::vector<std::string_view> SplitGroups(std::string_view value);
// A list value (CATEGORIES, NICKNAME): each name escaped, joined with ','.
std::string ListValue(const std::vector<std::string_view>& names);

} // namespace transfer
