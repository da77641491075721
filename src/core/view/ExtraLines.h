#pragma once
// What a contact has beyond its fields, as people read it: labelled lines for the detail
// pane, the record printout and Find ("Birthday: 12 March 1980", "Phone (work): 555-0100",
// "Groups: Chess, Work"). Properties a field holds, bookkeeping (UID, REV, the twin number)
// and binary values (the photo is shown as a picture) make no line.
//
// How to use it:
//   for (const ExtraLine& line : ExtraLines(record.Extras()))
//       text += line.label + ": " + line.value + "\r\n";
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CRecordExtras;
struct VCardProperty;

// What a kept property holds, which decides how it reads, how the editor changes it and
// which scope of Find looks at it.
enum class ExtraKind {
    Hidden,  // held by a field, bookkeeping or binary: no line
    Photo,   // the picture beside the name
    Text,    // one text value (URL, NOTE, TITLE, a custom value)
    List,    // a list joined with ", " (NICKNAME)
    Date,    // BDAY, ANNIVERSARY
    Item,    // TEL, EMAIL, IMPP: beside the record's seven items
    Address, // ADR beyond the record's one address
    Org,     // ORG: an Organization line and a Department line
    Groups,  // the further groups: the not-held CATEGORIES
    Note,    // NOTE: looked at only where Find looks at the notes
};

struct ExtraLine {
    std::string label; // "Birthday", "Phone (work)"
    std::string value; // decoded; a note may hold CR LF
    ExtraKind kind = ExtraKind::Text;
    std::size_t property = 0; // index of the property in the extras
    int part = 0;             // ORG: 0 the organization, 1 the department
};

ExtraKind KindOfExtra(const VCardProperty& property);
// The caption of a property without its types: "Phone", "Birthday", a delimited column's
// header for X-KINBOOK-COLUMN, "Skype name" for X-SKYPE-NAME.
std::string ExtraCaption(const VCardProperty& property);
// The property name that holds values of this caption ("Birthday" gives BDAY, "E-mail"
// EMAIL; ASCII case ignored); empty for a caption of no known property.
std::string ExtraNameFor(std::string_view caption);
// The types a line shows after its caption, lower case: TYPE values and bare 2.1 types,
// without those every card repeats (pref, voice, internet); a label the card gave the
// property's group (X-ABLABEL) instead when it has one.
std::vector<std::string> ShownTypes(const CRecordExtras& extras, const VCardProperty& property);

// The lines of every shown property, in card order.
std::vector<ExtraLine> ExtraLines(const CRecordExtras* extras);
// The lines as text, "Label: value" and CR LF each; empty when there are none.
std::string ExtraLinesText(const CRecordExtras* extras);

// A date as cards write it: YYYY-MM-DD, YYYYMMDD, --MMDD or --MM-DD, a time after a 'T'
// ignored. year is 0 when the date has none.
struct ExtraDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const ExtraDate&) const = default;
};
std::optional<ExtraDate> ParseExtraDate(std::string_view value);
// YYYY-MM-DD, or --MM-DD without a year.
std::string WriteExtraDate(const ExtraDate& date);
// "12 March 1980", "12 March" without a year; the value as it is when it is no date.
std::string FormatExtraDate(std::string_view value);

// The items that are not empty, joined with ", " as lines and rows show a list.
std::string JoinShown(const std::vector<std::string>& items);
// An address's components (post box, extended, street, city, region, code, country) on one
// line: "1 Main St, Springfield, IL 62701, USA".
std::string FormatExtraAddress(const std::vector<std::string>& components);
