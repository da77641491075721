#pragma once
#include "model/FieldVocabulary.h"
#include <string>
#include <string_view>
#include <vector>

// How the columns of a file to import are matched to a record's fields: by the column
// names of its first line, through tables of the names other programs use, and through
// the known layouts ("profiles") of other address books' exports.
//
// A column's destination is written as the name of its row in the matching list. Besides
// the 22 field names (and the skipped-field marker) the import knows these:
//   "Phone by Type"     an item whose label comes from the "... - Type" column beside it
//   "Company"           the organization (ORG), and the name to file under when the
//                       record has no other
//   "Department"        the organization's department (ORG)
//   "Display Name"      the name to file under when the record has no other name
//   "Middle Name"       added to the first name
//   "Address (more)"    a further line of the street address
//   "Address (formatted)" the whole address, taken as its street when no part is given
//   "Address 2", "City 2", "State 2", "Zip 2", "Country 2", "Address 2 (more)" (and 3):
//   (up to 9)           a further address, used when the first is empty and otherwise
//                       kept as an ADR property with the extras
//   "Birthday", "Birth Year", "Birth Month", "Birth Day"
//                       the birthday (BDAY), put together from its parts
//   "Anniversary"       the anniversary (ANNIVERSARY)
//   "Nickname", "Web Page", "Relation", "Event", "Custom Field"
//                       kept as NICKNAME, URL, RELATED, ANNIVERSARY (an event labelled so)
//                       or X-KINBOOK-COLUMN;NAME=label; a "... - Label" or "... - Type"
//                       column beside gives the label
//   "Groups"            further groups the record belongs to (CATEGORIES)
//   "Extra: LABEL"      kept as X-KINBOOK-COLUMN;NAME=LABEL with the extras
// Items beyond the record's seven are kept as TEL and EMAIL properties with the extras.
namespace transfer {

inline constexpr std::string_view kRowPhoneByType = "Phone by Type";
inline constexpr std::string_view kRowCompany = "Company";
inline constexpr std::string_view kRowDisplayName = "Display Name";
inline constexpr std::string_view kRowMiddleName = "Middle Name";
inline constexpr std::string_view kRowExtraPrefix = "Extra: ";
inline constexpr std::string_view kMoreSuffix = " (more)";
// The address as one text, used only when its parts are all empty.
inline constexpr std::string_view kFormattedSuffix = " (formatted)";
inline constexpr int kAddressGroups = 9;

// What one row of the matching list does with its column's values.
struct ColumnRole {
    enum class Kind {
        Skip,        // empty row or skipped-field marker
        Invalid,     // a name the import does not know
        Field,       // one of the 22 fields
        PhoneByType, // an item labelled by its type column
        Company,
        DisplayName,
        MiddleName,
        AddressPart, // part of address group `group` (1-based)
        BirthPart,   // year (group 0), month (1) or day (2) of the birthday
        Extra,       // labelled extra
        Kept,        // kept as a property with the extras (see `kept`)
    };
    enum class Kept {
        Birthday,
        Anniversary,
        Nickname,
        WebPage,
        Department,
        Relation,
        Event,
        Custom,
        Groups
    };
    enum class Part { Street, StreetMore, City, State, Zip, Country, Formatted };

    Kind kind = Kind::Skip;
    Field field = Field::Notes;
    int group = 1;
    Part part = Part::Street;
    Kept kept = Kept::Birthday;
    std::string label; // Extra
};

ColumnRole ParseRowName(std::string_view rowName);

// Lower case without blanks, punctuation or a trailing number: "E-mail 2" -> "email".
std::string NormalizeColumnName(std::string_view name);

// The row name a column name matches by itself (Kinbook's own names and the common
// spellings), or empty when it matches none.
std::string MatchColumnName(std::string_view columnName);

// Whether a first record holds column names: every value is text that is neither an
// e-mail address nor a phone number, and at least two values are known column names.
bool LooksLikeHeader(const std::vector<std::string>& firstRecord);

// The matching list's rows for a file with these column names: one row per column (its
// destination, or the marker and the column name when it has none), then the field names
// that no column took. profile names the known layout recognised, or is empty.
struct ColumnArrangement {
    std::string profile;
    std::vector<std::string> rowNames;
};
ColumnArrangement ArrangeColumns(const std::vector<std::string>& columnNames);

// Whether a column is read together with another one and holds nothing by itself: the
// "... - Label" or "... - Type" beside a value column, or a column a known layout leaves out
// because its value stands in other columns too ("Address 1 - Formatted").
bool ReadWithAnotherColumn(std::string_view columnName);

// The label an item's type text gives ("Mobile", "Work Fax", "* Home" ...).
std::uint8_t LabelForType(std::string_view type);

} // namespace transfer
