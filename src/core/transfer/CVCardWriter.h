#pragma once
// Writes vCards: CR LF line ends, lines folded at 75 octets without splitting a UTF-8
// character, parameter values quoted where they must be.
//
// How to use it:
//   VCard card;                        // card.version "4.0" or "3.0" (empty: 4.0)
//   card.properties.push_back(VCardProperty::Text("FN", "Ann Smith"));
//   std::string out;
//   CVCardWriter::AppendCard(card, out); // BEGIN:VCARD ... END:VCARD
// Property values are written as they are held (VCard.h: already escaped), so a property
// read from another card goes out again unchanged.
#include "model/VCard.h"
#include <string>

class CVCardWriter {
public:
    static constexpr std::size_t kLineOctets = 75;

    // The whole card from BEGIN to END, VERSION first.
    static void AppendCard(const VCard& card, std::string& out);
    // One property as a folded content line with its CR LF.
    static void AppendProperty(const VCardProperty& property, std::string& out, bool v40);
    // A logical line folded into physical lines of at most 75 octets, each ending in CR LF.
    static void AppendFolded(std::string_view line, std::string& out);
};
