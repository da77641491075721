#pragma once
#include "model/FieldVocabulary.h"
#include <cstdint>
#include <string>
#include <string_view>

class CContactRecord;
class CRecordText;
class CCategoryList;

// How the column names of a delimited file address a record's values.
namespace transfer {

// The field a column name stands for (first case-insensitive match in vocabulary
// order), or -1 when the name is none of the 22.
int ResolveField(std::string_view name);

// The label byte an item column stands for (Home 0, Work 1, Pager 3, ...); LABEL_NONE for
// a field that is not an item.
std::uint8_t ItemLabelOf(Field field);

// The value written for a field of a record. Refers into the record or the category list,
// so it stays valid while both are unchanged.
std::string_view FieldValue(const CContactRecord& record, Field field,
                            const CCategoryList& categories);

// The record's text member for a plain text field; null for Category and the item names.
CRecordText* TextMember(CContactRecord& record, Field field);

} // namespace transfer
