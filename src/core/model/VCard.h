#pragma once
// A vCard as a list of properties, the form the reader yields and the writer takes.
//
// How to use it:
//   VCardProperty p = VCardProperty::Text("NOTE", "line one\r\nline two"); // escapes for you
//   p.params.push_back({"TYPE", {"home"}});
//   card.properties.push_back(std::move(p));
//   std::string note = card.Find("NOTE")->Text();        // escapes undone, CR LF line breaks
//   auto n = card.Find("N")->Components();                // {"Family", "Given", ...}
// `value` is always UTF-8 in vCard 3.0/4.0 wire form (escapes still in); `rawValue` is the
// value exactly as it stood in the file after unfolding (still quoted-printable, in its
// own charset), for whoever wants to hand a property on untouched.
#include "model/NoCase.h"
#include <string>
#include <string_view>
#include <vector>

struct VCardParam {
    std::string name;                // upper case: "TYPE", "PREF", "CHARSET"
    std::vector<std::string> values; // "home", "voice": quotes and ^-escapes undone
};

struct VCardProperty {
    std::string group; // "item1" in "item1.TEL", else empty
    std::string name;  // upper case: "TEL", "X-ABLABEL"
    std::vector<VCardParam> params;
    std::string value;    // UTF-8, escapes still in; base64 left as it is
    std::string rawValue; // as in the file after unfolding; empty for a property built here
                          // or read by a reader told to drop it (CVCardReader, RawValues)
    bool binary = false;  // base64 / b / a data: URI: never text, kept opaque
    bool held = false;    // kept beside a record: a field holds its value (see CRecordExtras)
    int line = 0;         // first line of the property in its file (1-based), 0 when built

    // A text property whose value is escaped from plain text (CR LF or LF become \n).
    static VCardProperty Text(std::string name, std::string_view text);
    // A structured property (N, ADR, ORG): each component escaped, joined with ';'.
    static VCardProperty Structured(std::string name, const std::vector<std::string>& parts);

    // The value with escapes undone and line breaks as CR LF.
    std::string Text() const;
    // The value split at unescaped ';', each component with escapes undone.
    std::vector<std::string> Components() const;
    // The value split at unescaped ',' (CATEGORIES, NICKNAME), escapes undone.
    std::vector<std::string> List() const;

    // The values of every parameter with this name (case-insensitive).
    std::vector<std::string> ParamValues(std::string_view param) const;
    // The first value of the parameter (any case) that equals value (any case; empty: any
    // value), or null.
    const std::string* FindParamValue(std::string_view param, std::string_view value = {}) const;
    // Whether TYPE holds the type (case-insensitive), also as a bare 2.1 parameter.
    bool HasType(std::string_view type) const;
    // The preference: 1 to 100 from PREF=n, 1 for TYPE=pref, 0 when not preferred.
    int Preference() const;
};

struct VCard {
    std::string version; // "2.1", "3.0" or "4.0" as the card said; empty when it did not
    std::vector<VCardProperty> properties; // in file order, without BEGIN, VERSION and END
    int line = 0;                          // the line of BEGIN:VCARD

    // The first property with this name (upper case), or null.
    const VCardProperty* Find(std::string_view name) const;
};

namespace vcard {

// Text as a vCard value: \ , ; and line breaks escaped.
std::string EscapeText(std::string_view text);
// Escapes undone (\n and \N become CR LF; an unknown escape keeps its character).
std::string UnescapeText(std::string_view value);
// Splits at the separator where it is not escaped; each part still escaped.
std::vector<std::string_view> SplitEscaped(std::string_view value, char separator);
// Whether two parameter names or values are the same word, ASCII case ignored. Asked many
// times for each card read, so it stands here to be inlined.
inline bool SameWord(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (kb::FoldAscii(a[i]) != kb::FoldAscii(b[i]))
            return false;
    }
    return true;
}
// The rank one PREF value gives, 1 (first choice) to 100: a bare 2.1 PREF, or one that is
// no number of at most three digits, ranks 1; 0 for a number out of range.
int PrefRank(std::string_view value) noexcept;

} // namespace vcard
