#pragma once
// The editor's rows of label and value for what a contact has beyond its fields, and the
// way back: rows the user left alone keep their property byte for byte, with its group and
// parameters, in its place; a changed row keeps the group and parameters of its property
// (its types follow the label); a removed row drops its property; a new row adds one at
// the end. Properties the rows do not show (held, bookkeeping, the photo) stay untouched.
//
// How to use it:
//   std::vector<ExtraRow> rows = ExtraRowsOf(record.Extras());
//   rows.push_back({"Birthday", "1980-03-12"});
//   const CRecordExtras extras = ApplyExtraRows(record.Extras(), rows);
//   record.SetExtras(&extras);
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CRecordExtras;

struct ExtraRow {
    std::string label; // "Phone (work)", "Birthday", a custom caption
    std::string value; // decoded; a date as YYYY-MM-DD or --MM-DD when it is one
    // The property the row came from (index in the extras); npos for a row the user added.
    std::size_t source = static_cast<std::size_t>(-1);
    bool operator==(const ExtraRow&) const = default;
};

// The labels the editor offers, in its list's order.
const std::vector<std::string>& ExtraRowLabels();
// Whether rows with this label hold a date ("Birthday", "Anniversary").
bool IsDateLabel(std::string_view label);

// One row for every line ExtraLines gives, dates in YYYY-MM-DD / --MM-DD form.
std::vector<ExtraRow> ExtraRowsOf(const CRecordExtras* extras);
// The extras with the rows written back; before is what the rows were made from (null:
// none). Rows with an empty value add nothing.
CRecordExtras ApplyExtraRows(const CRecordExtras* before, const std::vector<ExtraRow>& rows);
