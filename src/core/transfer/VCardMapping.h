#pragma once
// Turns a record into a vCard and a vCard into a record, both directions from one table
// (kVCardMap below), so what is written is exactly what is read back.
//
// How to use it:
//   VCard card = RecordToVCard(record, categories, uid, VCardVersion::V40);
//   // Sending a changed record back where it came from: start from the card last read
//   // there, so the properties Kinbook has no field for (photo, birthday, ...) stay:
//   VCard merged = RecordToVCard(record, categories, uid, VCardVersion::V40, &serverCard);
//   VCardRecord in = VCardToRecord(card);  // in.record, in.categories, in.uid, ...
//   VCardToRecord(card, *record, facts);   // the same, reusing facts card after card
//   bool ours = IsMappedProperty(property); // the properties RecordToVCard replaces
// A record's own text may be Windows-1252 bytes; cards are always UTF-8.
#include "model/CContactRecord.h"
#include "model/VCard.h"
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

// The card of a record. uid may be empty (then no UID). With a previous card, every
// property Kinbook does not map is kept from it, in its order, as are its version (3.0 or
// 4.0) and its spelling of the UID; the lines an import of the previous card put into
// Other Info and the notes are not written back as text.
VCard RecordToVCard(const CContactRecord& record, const CCategoryList& categories,
                    const std::string& uid, VCardVersion version, const VCard* previous = nullptr);

// What a card says besides its record.
struct VCardFacts {
    std::vector<std::string> categories; // the card's CATEGORIES, in order
    std::string uid;                     // normalised as CardUid
    std::vector<std::string> binaries;   // "photo", "logo", ... for each value not imported
    std::vector<std::string> spilled;    // the plain-words lines put in Other Info or notes
};

struct VCardRecord : VCardFacts {
    CContactRecord record; // category 0 (Unfiled): the caller files it
};

// The record of a card. The last name is never empty (first name, other reference or
// "Unnamed" stand in, as for delimited import). Nothing of the card is dropped but the
// binary values listed in binaries and the metadata without user data (PRODID, REV, ...).
VCardRecord VCardToRecord(const VCard& card);
// The same for many cards in a row: the record into one the caller made (new, with its
// default values), the rest into facts, whose lists are emptied first and keep their room.
void VCardToRecord(const VCard& card, CContactRecord& record, VCardFacts& facts);
