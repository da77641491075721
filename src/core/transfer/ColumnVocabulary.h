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

// The last name without the " #k" the filing rule gives a twin: the number only tells
// twins apart inside the book.
std::string_view WithoutTwinNumber(std::string_view last);

// The columns an export writes besides the 22 fields: what a record keeps as properties.
// Column numbers: a field's number, or kFirstKeptColumn + KeptColumn.
enum class KeptColumn : int { Birthday, Nickname, WebPage, Organization, Department, Groups };
inline constexpr int kFirstKeptColumn = 64;
inline constexpr std::string_view kKeptColumnNames[] = {
    "Birthday", "Nickname", "Web Page", "Organization", "Department", "Groups",
};

// The column a name of the export's field list stands for, or -1.
int ResolveExportColumn(std::string_view name);
std::string_view ExportColumnName(int column);

// The value an export writes in a column for a record. A column named once more in the
// field list takes the record's next value of its kind: `nth` counts the earlier columns
// of the same kind (the second "E-Mail" gives the second e-mail item). The last name is
// written without its twin number. Refers into the record, the category list or scratch.
std::string_view ExportValue(const CContactRecord& record, int column, int nth,
                             const CCategoryList& categories, std::string& scratch);

} // namespace transfer
