#pragma once
// Turns a record into a vCard and a vCard into a record, both directions from one table
// (kVCardMap below), so what is written is exactly what is read back.
//
// How to use it:
//   VCardRecord in = VCardToRecord(card);  // in.record, in.categories, in.uid, ...
//   VCardToRecord(card, *record, facts);   // the same, reusing facts card after card
//   SetFurtherGroups(in.record, in.categories, nameFiledUnder);
//   VCard card = RecordToVCard(record, categories, uid, VCardVersion::V40);
//   bool ours = IsMappedProperty(property); // the properties the fields are written to
// A record read from a card keeps the whole card in its extras (CRecordExtras.h): what no
// field holds, and, marked held, what the fields took their values from. Written back, the
// card is the one that came, with only the properties of the fields changed since rewritten
// (REV renewed then); a record without a card of its own gets one made from its fields and
// its extras.
// A record's own text may be Windows-1252 bytes; cards are always UTF-8.
#include "model/CContactRecord.h"
#include "model/VCard.h"
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCategoryList;

enum class VCardVersion { V30, V40 };

// Where a property goes in a record.
enum class VCardSlot {
    FormattedName, // FN: the name shown; read only when N gives no family name
    Name,          // N: Last Name, First Name (other parts in plain words)
    Title,
    OtherRef, // ORG
    Item,     // TEL, EMAIL: the seven items
    Address,  // ADR: Address (street lines), City, State, Zip, Country
    Notes,
    Category,    // CATEGORIES
    OtherInfo,   // X-KINBOOK-OTHER-INFO: Other Info 1st to 4th, in order
    DefaultItem, // X-KINBOOK-DEFAULT-ITEM: the default item's slot, 1 to 7
    ItemLayout,  // X-KINBOOK-ITEMS: labels and filled slots, when the plain order is not enough
    Uid,
    Metadata, // PRODID, REV, KIND, ...: no user data
    Binary,   // PHOTO, LOGO, SOUND, KEY: not imported, counted
    Words,    // no field of its own: into Other Info or the notes in plain words
};

struct VCardMapEntry {
    std::string_view property;
    VCardSlot slot;
    std::string_view words; // how the plain-words line names it
};

extern const std::vector<VCardMapEntry> kVCardMap;

// The vCard TYPE of each item label; E-Mail items are EMAIL properties, the rest TEL.
struct VCardLabelEntry {
    std::uint8_t label;
    std::string_view type; // empty: no TYPE (Other)
};
extern const std::vector<VCardLabelEntry> kVCardLabels;

// The map entry of a property name (upper case); Words with the name itself when the
// table has none.
VCardMapEntry MapEntryOf(std::string_view propertyName);
// Whether RecordToVCard writes this property from the record (and so replaces it in a
// previous card); a TEL or EMAIL's label in its group counts too.
bool IsMappedProperty(const VCardProperty& property);

// Normalised UID of a card ("urn:uuid:" taken off), or empty.
std::string CardUid(const VCard& card);

// The card of a record. uid may be empty (then no UID). The name goes out without the
// twin number the filing rule gave it (" #2"), which X-KINBOOK-TWIN keeps. previous is for
// a record an older Kinbook read from that card, which kept none of it beside the record:
// then every property Kinbook does not map is kept from it, in its order, as are its version
// (3.0 or 4.0) and its spelling of the UID, and the lines that import put into Other Info and
// the notes are not written back as text. A record that keeps its card ignores previous.
VCard RecordToVCard(const CContactRecord& record, const CCategoryList& categories,
                    const std::string& uid, VCardVersion version, const VCard* previous = nullptr);

// Whether the record keeps a card it was read from (held properties in its extras).
bool KeepsCard(const CContactRecord& record);

// After the record was filed under the category named filedUnder (empty: none, Unfiled),
// keeps the other names of the card's categories as its further groups (CRecordExtras.h).
void SetFurtherGroups(CContactRecord& record, const std::vector<std::string>& names,
                      std::string_view filedUnder);

// The last name without the twin number a card's X-KINBOOK-TWIN put back on it, when the
// filing rule must number the record anew (the name with that number is taken); false when
// there was none.
bool DropCardTwinNumber(CContactRecord& record);

// What a card says besides its record.
struct VCardFacts {
    std::vector<std::string> categories; // the card's CATEGORIES, in order
    std::string uid;                     // normalised as CardUid
    std::vector<std::string> spilled;    // what has no field, in the plain words an older
                                         // import put into Other Info and the notes
    std::array<int, CContactRecord::kItemCount> itemSource{}; // card property of each item,
                                                              // -1 for an empty one
};

struct VCardRecord : VCardFacts {
    CContactRecord record; // category 0 (Unfiled): the caller files it
};

// The record of a card. The last name is never empty (first name, other reference or
// "Unnamed" stand in, as for delimited import). Nothing of the card is dropped: what the
// fields do not hold stays in the record's extras.
VCardRecord VCardToRecord(const VCard& card);
// The same for many cards in a row: the record into one the caller made (new, with its
// default values), the rest into facts, whose lists are emptied first and keep their room.
void VCardToRecord(const VCard& card, CContactRecord& record, VCardFacts& facts);
// The same, taking the properties of a card the caller is done with.
void VCardToRecord(VCard&& card, CContactRecord& record, VCardFacts& facts);
