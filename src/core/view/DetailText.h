#pragma once
#include <cstdint>
#include <string>

class CContactRecord;
class CRecordText;
class CCategoryList;

// The plain-text rendering of one record: what the detail pane shows, Copy Record
// copies and the record printout takes its captions from.

// The caption of an item label byte, ending in a colon and a blank ("Home: ");
// "Other: " for 6, for 255 (no label) and for any unknown value.
const char* ItemLabelText(std::uint8_t label);

// The detail text of a record, CR LF line ends. Blocks whose fields are all empty
// add nothing, not even their blank line. What the contact has beyond its fields comes
// last, as labelled lines ("Birthday: 12 March 1980").
std::string ComposeDetailText(const CContactRecord& record, const CCategoryList& categories);

// The caption the contact list's second column shows for a record: its default
// item's caption when that item has text, otherwise empty.
std::string ItemColumnCaption(const CContactRecord& record);

// The text the contact list's second column shows for a record: its default item's
// text (item 1 when the default item is out of range), without caption.
const CRecordText& DefaultItemText(const CContactRecord& record);
