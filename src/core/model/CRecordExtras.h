#pragma once
// What a contact has beyond its record's fields, kept with the record as vCard properties:
// the birthday, the photo, further phones and addresses, further groups, and whatever else a
// card or a delimited column brought that no field holds.
//
// How to use it:
//   if (const CRecordExtras* extras = record.Extras())    // null: the record has none
//       for (const VCardProperty& p : extras->properties) ...
//   record.EditExtras().properties.push_back(VCardProperty::Text("NICKNAME", "Bob"));
//   record.DropEmptyExtras();                             // after removing properties
//
// Conventions every reader and writer of extras keeps:
// - `properties` are in the order the card had them; value is UTF-8 in 3.0/4.0 wire form
//   (escapes in, base64 as it came), rawValue and line are left empty.
// - A property with `held` set is one a record field took its value from, kept as it came
//   so that a card written back can leave it untouched while the user does not change that
//   field. Only the vCard mapping reads held properties: the detail pane, print, Find and
//   the editor show and change the others.
// - The further groups of a contact (the names beyond the category it is filed under) are
//   one property named CATEGORIES that is not held, its value the list of those names.
#include "model/VCard.h"
#include <vector>

class CRecordExtras {
public:
    std::vector<VCardProperty> properties;

    bool Empty() const { return properties.empty(); }
    // The first property with this name (upper case) that no field holds, or null.
    const VCardProperty* FindShown(std::string_view name) const;
    VCardProperty* FindShown(std::string_view name);

    bool operator==(const CRecordExtras& other) const;
};

bool operator==(const VCardParam& a, const VCardParam& b);
// Equal as kept beside a record: group, name, parameters, value and held; where a property
// was read from (rawValue, line) does not count.
bool SameKeptProperty(const VCardProperty& a, const VCardProperty& b);
