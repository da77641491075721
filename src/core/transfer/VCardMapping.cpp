#include "transfer/VCardMapping.h"
#include "model/CCategoryList.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <list>
#include <type_traits>

using namespace std::string_view_literals;

const std::vector<VCardMapEntry> kVCardMap = {
    // Written from the record in this order, and read back into the same fields.
    {"FN", VCardSlot::FormattedName, "Shown as"},
    {"N", VCardSlot::Name, "Name"},
    {"TITLE", VCardSlot::Title, "Title"},
    {"ORG", VCardSlot::OtherRef, "Department"},
    {"TEL", VCardSlot::Item, "Phone"},
    {"EMAIL", VCardSlot::Item, "E-mail"},
    {"ADR", VCardSlot::Address, "Address"},
    {"NOTE", VCardSlot::Notes, "Note"},
    {"CATEGORIES", VCardSlot::Category, "Categories"},
    {"X-KINBOOK-OTHER-INFO", VCardSlot::OtherInfo, "Other info"},
    {"X-KINBOOK-DEFAULT-ITEM", VCardSlot::DefaultItem, ""},
    {"X-KINBOOK-ITEMS", VCardSlot::ItemLayout, ""},
    {"UID", VCardSlot::Uid, ""},
    // Read only: what other programs write.
    {"PRODID", VCardSlot::Metadata, ""},
    {"REV", VCardSlot::Metadata, ""},
    {"KIND", VCardSlot::Metadata, ""},
    {"CLIENTPIDMAP", VCardSlot::Metadata, ""},
    {"PROFILE", VCardSlot::Metadata, ""},
    {"X-ABSHOWAS", VCardSlot::Metadata, ""},
    {"X-ABUID", VCardSlot::Metadata, ""},
    {"X-ABADR", VCardSlot::Metadata, ""},        // the country format of a grouped address
    {"X-KINBOOK-TWIN", VCardSlot::Metadata, ""}, // the twin number the name is written without
    {"PHOTO", VCardSlot::Binary, "Photo"},
    {"LOGO", VCardSlot::Binary, "Logo"},
    {"SOUND", VCardSlot::Binary, "Sound"},
    {"KEY", VCardSlot::Binary, "Key"},
    {"BDAY", VCardSlot::Words, "Birthday"},
    {"ANNIVERSARY", VCardSlot::Words, "Anniversary"},
    {"X-ANNIVERSARY", VCardSlot::Words, "Anniversary"},
    {"X-ABDATE", VCardSlot::Words, "Date"},
    {"URL", VCardSlot::Words, "Web"},
    {"NICKNAME", VCardSlot::Words, "Nickname"},
    {"IMPP", VCardSlot::Words, "IM"},
    {"X-AIM", VCardSlot::Words, "AIM"},
    {"X-JABBER", VCardSlot::Words, "Jabber"},
    {"X-SKYPE", VCardSlot::Words, "Skype"},
    {"X-ICQ", VCardSlot::Words, "ICQ"},
    {"X-MSN", VCardSlot::Words, "MSN"},
    {"X-YAHOO", VCardSlot::Words, "Yahoo"},
    {"X-GOOGLE-TALK", VCardSlot::Words, "Google Talk"},
    {"ROLE", VCardSlot::Words, "Role"},
    {"GENDER", VCardSlot::Words, "Gender"},
    {"GEO", VCardSlot::Words, "Location"},
    {"TZ", VCardSlot::Words, "Time zone"},
    {"LANG", VCardSlot::Words, "Language"},
    {"RELATED", VCardSlot::Words, "Related"},
    {"X-ABRELATEDNAMES", VCardSlot::Words, "Related"},
    {"X-SPOUSE", VCardSlot::Words, "Spouse"},
    {"X-ASSISTANT", VCardSlot::Words, "Assistant"},
    {"X-MANAGER", VCardSlot::Words, "Manager"},
    {"LABEL", VCardSlot::Words, "Address label"},
    {"MAILER", VCardSlot::Words, "Mailer"},
    {"SORT-STRING", VCardSlot::Words, "Sort as"},
    {"X-PHONETIC-FIRST-NAME", VCardSlot::Words, "First name sounds like"},
    {"X-PHONETIC-LAST-NAME", VCardSlot::Words, "Last name sounds like"},
    {"X-ABLABEL", VCardSlot::Words, "Label"},
    {"SOURCE", VCardSlot::Words, "Source"},
    {"FBURL", VCardSlot::Words, "Free/busy"},
    {"CALURI", VCardSlot::Words, "Calendar"},
    {"CALADRURI", VCardSlot::Words, "Calendar requests"},
    {"MEMBER", VCardSlot::Words, "Member"},
    {"EXPERTISE", VCardSlot::Words, "Expertise"},
    {"HOBBY", VCardSlot::Words, "Hobby"},
    {"INTEREST", VCardSlot::Words, "Interest"},
};

const std::vector<VCardLabelEntry> kVCardLabels = {
    {LABEL_HOME, "home"},   {LABEL_WORK, "work"}, {LABEL_MOBILE, "cell"},
    {LABEL_PAGER, "pager"}, {LABEL_FAX, "fax"},   {LABEL_OTHER, ""},
};

namespace {

constexpr std::string_view kItemsName = "X-KINBOOK-ITEMS";
constexpr std::string_view kTwinName = "X-KINBOOK-TWIN";
// A line of a card that was no property at all, kept beside the record as text.
constexpr std::string_view kLooseTextName = "X-KINBOOK-TEXT";
constexpr std::string_view kProdId = "-//Feltmoor//Kinbook//EN";

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Most text has no blanks around it: that is seen at once.
inline std::string_view TrimView(std::string_view s) {
    if (s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back())))
        return s;
    return TrimBlanks(s);
}

std::string Trimmed(std::string_view s) {
    return std::string(TrimView(s));
}

// A property's text (escapes undone) without a copy when it has no escapes; buffer holds
// it otherwise.
std::string_view TextView(const VCardProperty& p, std::string& buffer) {
    if (p.value.find('\\') == std::string::npos)
        return p.value;
    buffer = p.Text();
    return buffer;
}

// The first component of a structured value (Components().front()).
std::string FirstComponent(const VCardProperty& p) {
    const std::string_view value = p.value;
    std::size_t i = 0;
    for (; i < value.size(); ++i) {
        if (value[i] == '\\')
            ++i;
        else if (value[i] == ';')
            break;
    }
    return vcard::UnescapeText(value.substr(0, std::min(i, value.size())));
}

bool LooksLikeEmail(std::string_view s) {
    const std::size_t at = s.find('@');
    return at != std::string_view::npos && at > 0 && at + 1 < s.size() &&
           s.find_first_of(" \t\r\n") == std::string_view::npos;
}

std::string JoinNonEmpty(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& p : parts) {
        if (p.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += p;
    }
    return out;
}

bool IsUuid(std::string_view s) {
    if (s.size() != 36)
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

std::string_view NormalisedUid(std::string_view uid) {
    std::string_view s = TrimView(uid);
    if (kb::StartsWithNoCase(s, "urn:uuid:"))
        s.remove_prefix(9);
    return s;
}

std::string NormaliseUid(std::string_view uid) {
    return std::string(NormalisedUid(uid));
}

// The label Apple's programs write in an item's X-ABLabel, "_$!<Mobile>!$_", in words.
std::string AbLabelText(std::string_view label) {
    std::string_view s = label;
    if (s.size() > 8 && s.substr(0, 4) == "_$!<"sv && s.substr(s.size() - 4) == ">!$_"sv)
        s = s.substr(4, s.size() - 8);
    if (s == "HomePage"sv)
        return "Home page";
    if (s == "HomeFAX"sv)
        return "Home fax";
    if (s == "WorkFAX"sv)
        return "Work fax";
    if (s == "OtherFAX"sv)
        return "Other fax";
    return std::string(s);
}

// The item label an X-ABLabel names, or LABEL_NONE for a label of the user's own.
std::uint8_t LabelOfAbLabel(std::string_view label) {
    const std::string text = AbLabelText(label);
    if (text == "Mobile"sv || text == "iPhone"sv)
        return LABEL_MOBILE;
    if (text == "Home"sv)
        return LABEL_HOME;
    if (text == "Work"sv)
        return LABEL_WORK;
    if (text == "Home fax"sv || text == "Work fax"sv || text == "Other fax"sv)
        return LABEL_FAX;
    if (text == "Pager"sv)
        return LABEL_PAGER;
    if (text == "Main"sv || text == "Other"sv)
        return LABEL_OTHER;
    return LABEL_NONE;
}

// What an item's parameters say, read in one pass: its preference (as Preference()), the
// label its types give a phone number and its first VALUE.
struct ItemParams {
    int preference = 0;
    std::uint8_t label = LABEL_OTHER;
    const std::string* valueType = nullptr;
};

ItemParams ReadItemParams(const VCardProperty& p) {
    // The first label in this order wins.
    enum : unsigned { kFax = 1, kMobile = 2, kPager = 4, kHome = 8, kWork = 16 };
    unsigned found = 0;
    bool typePref = false;
    ItemParams out;
    int best = 0;
    for (const VCardParam& param : p.params) {
        if (vcard::SameWord(param.name, "TYPE")) {
            for (const std::string& v : param.values) {
                if (v.size() < 3 || v.size() > 6)
                    continue;
                // Told apart by their first letter, then compared.
                switch (kb::FoldAscii(v.front())) {
                case 'f':
                    found |= vcard::SameWord(v, "fax") ? kFax : 0u;
                    break;
                case 'c':
                    found |= vcard::SameWord(v, "cell") ? kMobile : 0u;
                    break;
                case 'm':
                    found |= vcard::SameWord(v, "mobile") ? kMobile : 0u;
                    break;
                case 'i':
                    found |= vcard::SameWord(v, "iphone") ? kMobile : 0u;
                    break;
                case 'p':
                    found |= vcard::SameWord(v, "pager") ? kPager : 0u;
                    typePref = typePref || vcard::SameWord(v, "pref");
                    break;
                case 'h':
                    found |= vcard::SameWord(v, "home") ? kHome : 0u;
                    break;
                case 'w':
                    found |= vcard::SameWord(v, "work") ? kWork : 0u;
                    break;
                default:
                    break;
                }
            }
        } else if (vcard::SameWord(param.name, "PREF")) {
            for (const std::string& v : param.values) {
                const int n = vcard::PrefRank(v);
                if (n > 0 && (best == 0 || n < best))
                    best = n;
            }
        } else if (vcard::SameWord(param.name, "VALUE")) {
            if (!out.valueType && !param.values.empty())
                out.valueType = &param.values.front();
        }
    }
    out.preference = best == 0 && typePref ? 1 : best;
    if (found & kFax)
        out.label = LABEL_FAX;
    else if (found & kMobile)
        out.label = LABEL_MOBILE;
    else if (found & kPager)
        out.label = LABEL_PAGER;
    else if (found & kHome)
        out.label = LABEL_HOME;
    else if (found & kWork)
        out.label = LABEL_WORK;
    return out;
}

// The types worth naming in words ("work", "car"); the ones that say nothing are left out.
std::string TypeWords(const VCardProperty& p) {
    std::vector<std::string> types;
    for (const std::string& t : p.ParamValues("TYPE")) {
        std::string l = Lower(t);
        // A type is a word: a line break in one (4.0's ^n) must not break the line it
        // is written into.
        std::replace_if(
            l.begin(), l.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        if (l == "pref"sv || l == "internet"sv || l == "voice"sv || l == "x400"sv ||
            l == "intl"sv || l == "postal"sv || l == "parcel"sv || l == "dom"sv || l.empty())
            continue;
        if (std::find(types.begin(), types.end(), l) == types.end())
            types.push_back(l);
    }
    return JoinNonEmpty(types, ", ");
}

const std::string* GroupLabel(const VCard& card, const VCardProperty& p) {
    if (p.group.empty())
        return nullptr;
    for (const VCardProperty& q : card.properties) {
        if (&q != &p && q.name == "X-ABLABEL"sv && kb::EqualsNoCase(q.group, p.group))
            return &q.value;
    }
    return nullptr;
}

bool IsGroupLabelOfMapped(const VCard& card, const VCardProperty& label) {
    if (label.group.empty())
        return false;
    for (const VCardProperty& q : card.properties) {
        if (&q != &label && kb::EqualsNoCase(q.group, label.group) && q.name != "X-ABLABEL"sv)
            return true;
    }
    return false;
}

// The table's entry for a property name, or null when the table has none. Looked up for
// every property of every card read: the entries are found by length and first letter,
// then compared.
const VCardMapEntry* FindMapEntry(std::string_view name) {
    struct Index {
        std::array<std::vector<const VCardMapEntry*>, 64> buckets;
        static std::size_t Bucket(std::string_view name) {
            return (name.size() * 7 + static_cast<unsigned char>(name.front()) +
                    static_cast<unsigned char>(name.back()) * 3) &
                   63;
        }
    };
    static const Index index = [] {
        Index x;
        for (const VCardMapEntry& e : kVCardMap)
            x.buckets[Index::Bucket(e.property)].push_back(&e);
        return x;
    }();
    if (name.empty())
        return nullptr;
    for (const VCardMapEntry* e : index.buckets[Index::Bucket(name)]) {
        if (e->property == name)
            return e;
    }
    return nullptr;
}

// A card's properties sorted once by where they go: each one's map entry (null when the
// table has none), and the first of those read on their own.
class Sorted {
public:
    explicit Sorted(const VCard& card) : m_card(card) {
        const std::size_t count = card.properties.size();
        if (count > m_inline.size()) {
            m_more.resize(count);
            m_entries = m_more.data();
        }
        for (std::size_t i = 0; i < count; ++i) {
            const VCardProperty& p = card.properties[i];
            const VCardMapEntry* e = FindMapEntry(p.name);
            m_entries[i] = e;
            if (!e)
                continue;
            const VCardProperty** first = nullptr;
            switch (e->slot) {
            case VCardSlot::FormattedName:
                first = &fn;
                break;
            case VCardSlot::Name:
                first = &n;
                break;
            case VCardSlot::OtherRef:
                first = &org;
                break;
            case VCardSlot::ItemLayout:
                first = &layout;
                break;
            case VCardSlot::DefaultItem:
                first = &defaultItem;
                break;
            case VCardSlot::Metadata:
                if (p.name == "KIND"sv)
                    first = &kind;
                else if (p.name == "X-ABSHOWAS"sv)
                    first = &showAs;
                else if (p.name == kTwinName)
                    first = &twin;
                break;
            default:
                break;
            }
            if (first && !*first)
                *first = &p;
        }
    }
    std::size_t Size() const { return m_card.properties.size(); }
    const VCardProperty& Property(std::size_t i) const { return m_card.properties[i]; }
    const VCardMapEntry* Entry(std::size_t i) const { return m_entries[i]; }
    VCardSlot Slot(std::size_t i) const {
        return m_entries[i] ? m_entries[i]->slot : VCardSlot::Words;
    }

    const VCardProperty* n = nullptr;
    const VCardProperty* fn = nullptr;
    const VCardProperty* org = nullptr;
    const VCardProperty* kind = nullptr;
    const VCardProperty* showAs = nullptr;
    const VCardProperty* layout = nullptr;      // X-KINBOOK-ITEMS
    const VCardProperty* defaultItem = nullptr; // X-KINBOOK-DEFAULT-ITEM
    const VCardProperty* twin = nullptr;        // X-KINBOOK-TWIN

private:
    const VCard& m_card;
    std::array<const VCardMapEntry*, 32> m_inline; // most cards have fewer properties
    std::vector<const VCardMapEntry*> m_more;
    const VCardMapEntry** m_entries = m_inline.data();
};

// The first `count` components of a structured value (Components()), as views: into the
// value when it has no escapes, else into the unescaped copies kept here. Components past
// the value's are empty.
class Parts {
public:
    Parts(const VCardProperty* p, std::size_t count) {
        if (!p)
            return;
        const std::string_view value = p->value;
        if (value.find('\\') == std::string_view::npos) {
            // The components are short: one pass over them finds each end.
            std::size_t start = 0;
            for (std::size_t k = 0; k < count; ++k) {
                std::size_t at = start;
                while (at < value.size() && value[at] != ';')
                    ++at;
                m_parts[k] = value.substr(start, at - start);
                if (at == value.size())
                    break;
                start = at + 1;
            }
            return;
        }
        m_owned = p->Components();
        for (std::size_t k = 0; k < count && k < m_owned.size(); ++k)
            m_parts[k] = m_owned[k];
    }
    std::string_view operator[](std::size_t k) const { return m_parts[k]; }

private:
    std::array<std::string_view, 7> m_parts{};
    std::vector<std::string> m_owned;
};

// Whether text is JoinNonEmpty(parts, separator), without building it.
bool IsJoin(std::string_view text, std::initializer_list<std::string_view> parts,
            std::string_view separator) {
    bool first = true;
    for (std::string_view p : parts) {
        if (p.empty())
            continue;
        if (!first) {
            if (text.substr(0, separator.size()) != separator)
                return false;
            text.remove_prefix(separator.size());
        }
        if (text.substr(0, p.size()) != p)
            return false;
        text.remove_prefix(p.size());
        first = false;
    }
    return text.empty();
}

// What an import puts into a record, before the plain-words lines are placed.
struct Reading {
    Reading(const VCard& card, CContactRecord& r, VCardFacts& facts, std::vector<char>& heldBy)
        : record(r), out(facts), words(facts.spilled), held(heldBy), first(card.properties.data()) {
        held.assign(card.properties.size(), 0);
        out.itemSource.fill(-1);
    }
    CContactRecord& record;
    VCardFacts& out;
    std::vector<std::string>& words; // in card order: what an older import put into text
    std::vector<char>& held;         // for each property: a field took its value from it
    const VCardProperty* first;
    bool lastNameFromOrg = false;     // a company card: ORG is its name
    std::list<std::string> unescaped; // values with escapes undone, where views point

    int IndexOf(const VCardProperty* p) const { return static_cast<int>(p - first); }
    void Hold(const VCardProperty* p) {
        if (p)
            held[static_cast<std::size_t>(IndexOf(p))] = 1;
    }
};

std::string AddressLine(const std::vector<std::string>& c) {
    // post office box; extended; street; city; region; code; country
    auto at = [&](std::size_t i) { return i < c.size() ? c[i] : std::string(); };
    std::string street = JoinNonEmpty({at(2), at(1), at(0)}, ", ");
    for (std::size_t i = 0; i + 1 < street.size(); ++i) {
        if (street[i] == '\r' && street[i + 1] == '\n')
            street.replace(i, 2, ", ");
    }
    std::string place = JoinNonEmpty({at(4), at(5)}, " ");
    return JoinNonEmpty({street, at(3), place, at(6)}, ", ");
}

// The first component of a structured value, as a view: into the value when it has no
// escapes, else into buffer.
std::string_view FirstComponentView(const VCardProperty& p, std::string& buffer) {
    const std::string_view value = p.value;
    if (value.find('\\') == std::string_view::npos)
        return value.substr(0, value.find(';'));
    buffer = FirstComponent(p);
    return buffer;
}

void ReadName(const Sorted& card, Reading& rd) {
    CContactRecord& r = rd.record;
    const VCardProperty* n = card.n;
    const VCardProperty* fn = card.fn;
    const VCardProperty* org = card.org;
    rd.Hold(n);
    rd.Hold(fn);
    rd.Hold(card.twin);
    rd.Hold(card.kind);
    rd.Hold(card.showAs);
    const Parts parts(n, 5);
    std::string fnBuffer;
    std::string orgBuffer;
    const std::string_view fnText = fn ? TrimView(TextView(*fn, fnBuffer)) : std::string_view();
    const std::string_view orgName =
        org ? TrimView(FirstComponentView(*org, orgBuffer)) : std::string_view();

    const std::string_view family = TrimView(parts[0]);
    const std::string_view given = TrimView(parts[1]);
    if (!family.empty()) {
        r.m_strLastName = parts[0];
        r.m_strFirstName = parts[1];
    } else {
        bool company = !orgName.empty() && (fnText.empty() || fnText == orgName);
        if (const VCardProperty* kind = card.kind)
            company =
                company || (kb::EqualsNoCase(Trimmed(kind->Text()), "org") && !orgName.empty());
        if (const VCardProperty* showAs = card.showAs)
            company = company ||
                      (kb::EqualsNoCase(Trimmed(showAs->Text()), "COMPANY") && !orgName.empty());
        if (company && given.empty()) {
            r.m_strLastName = orgName; // the other reference stays empty: no name twice
            rd.lastNameFromOrg = true;
        } else if (!fnText.empty()) {
            const std::size_t space = fnText.find_last_of(' ');
            const std::string_view lastWord =
                space == std::string_view::npos ? fnText : fnText.substr(space + 1);
            const std::string_view rest =
                space == std::string_view::npos ? "" : TrimView(fnText.substr(0, space));
            r.m_strLastName = lastWord;
            r.m_strFirstName = !given.empty() && given != lastWord ? given : rest;
        } else {
            r.m_strLastName = given;
        }
    }
    const auto add = [&rd](std::string_view words, std::string_view text) {
        std::string line;
        line.reserve(words.size() + text.size());
        line += words;
        line += text;
        rd.words.push_back(std::move(line));
    };
    if (!parts[2].empty())
        add("Middle name: ", parts[2]);
    if (!parts[3].empty())
        add("Name prefix: ", parts[3]);
    if (!parts[4].empty())
        add("Name suffix: ", parts[4]);
    if (n && !family.empty() && !fnText.empty()) {
        // A name shown otherwise than the parts say ("Bob Smith") is kept in words. The
        // forms are tried one at a time: the first is what most cards hold.
        const auto join = [](std::initializer_list<std::string_view> pieces,
                             std::string_view separator) {
            std::string out;
            for (std::string_view p : pieces) {
                if (p.empty())
                    continue;
                if (!out.empty())
                    out += separator;
                out += p;
            }
            return out;
        };
        const bool shownAsParts =
            IsJoin(fnText, {given, family}, " ") || IsJoin(fnText, {family, given}, " ") ||
            fnText == TrimView(join({parts[1], parts[0]}, " ")) ||
            IsJoin(fnText, {family, given}, ", ") ||
            IsJoin(fnText, {parts[3], given, parts[2], family, parts[4]}, " ") ||
            fnText == join({parts[3], given, parts[2], family}, " ") + ", " + std::string(parts[4]);
        if (!shownAsParts)
            add("Shown as: ", fnText);
    }
}

struct ItemCandidate {
    std::string_view text; // in the property's value, or in Reading::unescaped
    std::uint8_t label = LABEL_EMAIL;
    int preference = 0;
    const VCardProperty* property = nullptr;
};

// The items of a card in file order: in place for as many as a record holds, which is what
// most cards have.
class ItemList {
public:
    void push_back(const ItemCandidate& c) {
        if (m_more.empty() && m_size < m_inline.size()) {
            m_inline[m_size++] = c;
            return;
        }
        if (m_more.empty())
            m_more.assign(m_inline.begin(), m_inline.end());
        m_more.push_back(c);
        ++m_size;
    }
    std::size_t size() const { return m_size; }
    const ItemCandidate& operator[](std::size_t k) const {
        return m_more.empty() ? m_inline[k] : m_more[k];
    }

private:
    std::array<ItemCandidate, CContactRecord::kItemCount> m_inline; // the first m_size
    std::vector<ItemCandidate> m_more;
    std::size_t m_size = 0;
};

// Parses "2* 5* 255 255 255 255 255": each slot's label, '*' for a slot with text.
bool ParseItemLayout(std::string_view value, std::uint8_t labels[], bool filled[]) {
    int slot = 0;
    std::size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && value[i] == ' ')
            ++i;
        if (i == value.size())
            break;
        if (slot >= CContactRecord::kItemCount)
            return false;
        int n = 0;
        int digits = 0;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9' && digits < 4) {
            n = n * 10 + (value[i++] - '0');
            ++digits;
        }
        if (digits == 0 || n > 255)
            return false;
        filled[slot] = i < value.size() && value[i] == '*';
        if (filled[slot])
            ++i;
        if (i < value.size() && value[i] != ' ')
            return false;
        labels[slot++] = static_cast<std::uint8_t>(n);
    }
    return slot == CContactRecord::kItemCount;
}

void ReadItems(const VCard& card, const Sorted& sorted, Reading& rd) {
    CContactRecord& r = rd.record;
    ItemList items;
    for (std::size_t i = 0; i < sorted.Size(); ++i) {
        const VCardProperty& p = sorted.Property(i);
        if (sorted.Slot(i) != VCardSlot::Item || p.binary) // TEL, EMAIL
            continue;
        std::string_view value = p.value;
        if (value.find('\\') != std::string_view::npos)
            value = rd.unescaped.emplace_back(p.Text());
        if (TrimView(value).empty())
            continue;
        const ItemParams params = ReadItemParams(p);
        ItemCandidate c{value, LABEL_EMAIL, params.preference, &p};
        if (p.name == "TEL"sv) {
            const std::string* valueType = params.valueType;
            if (valueType && kb::EqualsNoCase(*valueType, "uri") &&
                kb::StartsWithNoCase(c.text, "tel:"))
                c.text.remove_prefix(4); // 4.0's tel: URI: the number is what the user knows
            if (TrimView(c.text).empty())
                continue; // "tel:" and nothing else is no number, as a blank value is not
            c.label = params.label;
            if (const std::string* label = GroupLabel(card, p)) {
                const std::string text = AbLabelText(vcard::UnescapeText(*label));
                const std::uint8_t fromLabel = LabelOfAbLabel(vcard::UnescapeText(*label));
                if (fromLabel != LABEL_NONE)
                    c.label = fromLabel;
                else if (!text.empty())
                    rd.words.push_back(text + ": " + std::string(c.text)); // the user's own
            }
        } else if (const std::string* label = GroupLabel(card, p)) {
            const std::string text = AbLabelText(vcard::UnescapeText(*label));
            if (!text.empty() && LabelOfAbLabel(vcard::UnescapeText(*label)) == LABEL_NONE)
                rd.words.push_back(text + ": " + std::string(c.text));
        }
        items.push_back(c);
    }

    std::uint8_t layoutLabels[CContactRecord::kItemCount] = {};
    bool layoutFilled[CContactRecord::kItemCount] = {};
    int slots[CContactRecord::kItemCount];
    std::size_t placed = 0;
    const VCardProperty* layout = sorted.layout;
    bool useLayout = layout && ParseItemLayout(Trimmed(layout->Text()), layoutLabels, layoutFilled);
    if (useLayout) {
        // Kinbook wrote the card: valid while the items it names are all still there.
        std::size_t filledCount = 0;
        for (bool f : layoutFilled)
            filledCount += f ? 1 : 0;
        useLayout = filledCount == items.size();
    }
    if (useLayout) {
        std::size_t k = 0;
        for (int s = 0; s < CContactRecord::kItemCount; ++s) {
            r.m_nItemLabel[static_cast<std::size_t>(s)] = layoutLabels[s];
            if (layoutFilled[s]) {
                r.m_strItem[static_cast<std::size_t>(s)] = items[k].text;
                rd.out.itemSource[static_cast<std::size_t>(s)] = rd.IndexOf(items[k].property);
                slots[k++] = s;
            }
        }
        placed = k;
    } else {
        for (std::size_t k = 0; k < items.size() && k < CContactRecord::kItemCount; ++k) {
            r.m_strItem[k] = items[k].text;
            r.m_nItemLabel[k] = items[k].label;
            rd.out.itemSource[k] = rd.IndexOf(items[k].property);
            slots[k] = static_cast<int>(k);
            placed = k + 1;
        }
    }
    for (std::size_t k = 0; k < placed; ++k)
        rd.Hold(items[k].property);
    if (useLayout)
        rd.Hold(layout);
    rd.Hold(sorted.defaultItem);
    for (std::size_t k = placed; k < items.size(); ++k) {
        const std::string types = TypeWords(*items[k].property);
        rd.words.push_back(std::string(items[k].property->name == "TEL"sv ? "Phone" : "E-mail") +
                           (types.empty() ? "" : " (" + types + ")") + ": " +
                           std::string(items[k].text));
    }

    int best = 0;
    int bestSlot = -1;
    for (std::size_t k = 0; k < placed; ++k) {
        const int pref = items[k].preference;
        if (pref > 0 && (best == 0 || pref < best)) {
            best = pref;
            bestSlot = slots[k];
        }
    }
    if (bestSlot < 0) {
        if (const VCardProperty* d = sorted.defaultItem) {
            std::string buffer;
            const std::string_view v = TrimView(TextView(*d, buffer));
            if (v.size() == 1 && v[0] >= '1' && v[0] <= '7')
                bestSlot = v[0] - '1';
        }
    }
    r.m_nDefaultItem = static_cast<std::uint8_t>(bestSlot < 0 ? 0 : bestSlot);
}

void ReadAddresses(const Sorted& sorted, Reading& rd) {
    CContactRecord& r = rd.record;
    const VCardProperty* only = nullptr; // the one address of most cards
    std::vector<const VCardProperty*> adrs;
    for (std::size_t i = 0; i < sorted.Size(); ++i) {
        const VCardProperty& p = sorted.Property(i);
        if (sorted.Slot(i) != VCardSlot::Address || p.binary) // ADR
            continue;
        if (!only && adrs.empty()) {
            only = &p;
            continue;
        }
        if (only) {
            adrs.push_back(only);
            only = nullptr;
        }
        adrs.push_back(&p);
    }
    if (!only && adrs.empty())
        return;
    const VCardProperty* chosen = only; // else chosen among adrs
    int best = 0;
    for (const VCardProperty* a : adrs) {
        const int pref = a->Preference();
        if (pref > 0 && (best == 0 || pref < best)) {
            best = pref;
            chosen = a;
        }
    }
    for (const VCardProperty* a : adrs) {
        if (!chosen && a->HasType("home"))
            chosen = a;
    }
    if (!chosen)
        chosen = adrs.front();
    rd.Hold(chosen);
    const Parts c(chosen, 7);
    // Street lines: street, extended address, post office box.
    for (std::size_t i : {std::size_t{2}, std::size_t{1}, std::size_t{0}}) {
        if (c[i].empty())
            continue;
        if (!r.m_strAddress.empty())
            r.m_strAddress += "\r\n";
        r.m_strAddress += c[i];
    }
    r.m_strCity = c[3];
    r.m_strState = c[4];
    r.m_strZip = c[5];
    r.m_strCountry = c[6];
    for (const VCardProperty* a : adrs) {
        if (a == chosen)
            continue;
        const std::string types = TypeWords(*a);
        const std::string line = AddressLine(a->Components());
        if (!line.empty())
            rd.words.push_back("Address" + (types.empty() ? "" : " (" + types + ")") + ": " + line);
    }
}

void ReadOthers(const VCard& card, const Sorted& sorted, Reading& rd) {
    CContactRecord& r = rd.record;
    bool titleSeen = false;
    bool orgSeen = false;
    std::size_t otherInfo = 0;
    std::string buffer;
    for (std::size_t i = 0; i < sorted.Size(); ++i) {
        const VCardProperty& p = sorted.Property(i);
        const VCardMapEntry* known = sorted.Entry(i);
        switch (known ? known->slot : VCardSlot::Words) {
        case VCardSlot::FormattedName:
        case VCardSlot::Name:
        case VCardSlot::Item:
        case VCardSlot::Address:
        case VCardSlot::DefaultItem:
        case VCardSlot::ItemLayout:
            break; // read above
        case VCardSlot::Metadata:
            rd.Hold(&p); // the card's own: written back as it came
            break;
        case VCardSlot::Uid:
            if (rd.out.uid.empty()) {
                rd.out.uid.assign(NormalisedUid(TextView(p, buffer))); // in the room it has
                rd.Hold(&p);
            }
            break;
        case VCardSlot::Title:
            if (!titleSeen) {
                r.m_strTitle = TextView(p, buffer);
                rd.Hold(&p);
                titleSeen = true;
            } else if (!p.Text().empty()) {
                rd.words.push_back("Title: " + p.Text());
            }
            break;
        case VCardSlot::OtherRef: {
            if (!orgSeen && p.value.find_first_of("\\;") == std::string::npos) {
                // A plain name without units (most cards).
                orgSeen = true;
                rd.Hold(&p);
                if (!rd.lastNameFromOrg)
                    r.m_strOtherRef = p.value;
                break;
            }
            std::vector<std::string> c = p.Components();
            if (!orgSeen) {
                orgSeen = true;
                rd.Hold(&p);
                // A company card already took the name as its last name.
                if (!rd.lastNameFromOrg)
                    r.m_strOtherRef = c.front();
                c.erase(c.begin());
                const std::string units = JoinNonEmpty(c, ", ");
                if (!units.empty())
                    rd.words.push_back("Department: " + units);
            } else {
                const std::string all = JoinNonEmpty(c, ", ");
                if (!all.empty())
                    rd.words.push_back("Organization: " + all);
            }
            break;
        }
        case VCardSlot::Notes: {
            // The record is new: its notes are the NOTEs so far.
            rd.Hold(&p);
            if (!r.m_strNotes.empty())
                r.m_strNotes += "\r\n";
            r.m_strNotes += TextView(p, buffer);
            break;
        }
        case VCardSlot::Category:
            rd.Hold(&p);
            if (p.value.find_first_of("\\,") == std::string::npos) {
                // One category, nothing escaped (most cards).
                if (const std::string_view t = TrimView(p.value); !t.empty())
                    rd.out.categories.emplace_back(t);
                break;
            }
            for (std::string& c : p.List()) {
                std::string t = Trimmed(c);
                if (!t.empty())
                    rd.out.categories.push_back(std::move(t));
            }
            break;
        case VCardSlot::OtherInfo:
            if (otherInfo < CContactRecord::kOtherInfoCount) {
                r.m_strOtherInfo[otherInfo] = TextView(p, buffer);
                rd.Hold(&p);
                ++otherInfo;
            } else if (!p.Text().empty()) {
                rd.words.push_back(p.Text());
            }
            break;
        case VCardSlot::Binary:
            if (p.binary)
                break; // kept beside the record as it came
            [[fallthrough]];
        case VCardSlot::Words: {
            if (p.name == "X-ABLABEL"sv && IsGroupLabelOfMapped(card, p))
                break; // read with the property it labels
            std::string text;
            if (p.name == "GENDER"sv || p.name == "GEO"sv || p.name == "X-ABADR"sv)
                text = JoinNonEmpty(p.Components(), ", ");
            else if (p.name == "NICKNAME"sv)
                text = JoinNonEmpty(p.List(), ", ");
            else
                text = p.Text();
            if (TrimView(text).empty())
                break;
            std::string words(known ? known->words : std::string_view(p.name));
            if (const std::string* label = GroupLabel(card, p))
                words = AbLabelText(vcard::UnescapeText(*label));
            else if (p.name.empty())
                words.clear(); // a line that was no property at all: as it stood
            const std::string types = TypeWords(p);
            if (!types.empty() && !words.empty())
                words += " (" + types + ")";
            rd.words.push_back(words.empty() ? text : words + ": " + text);
            break;
        }
        }
    }
    if (rd.out.categories.size() > 1)
        rd.words.push_back("Categories: " + JoinNonEmpty(rd.out.categories, ", "));
}

// k when a twin number property says k (1 or more, no leading zero), else 0.
int TwinNumberOf(std::string_view value) {
    value = TrimView(value);
    if (value.empty() || value.size() > 6 || value[0] == '0')
        return 0;
    int k = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return 0;
        k = k * 10 + (c - '0');
    }
    return k;
}

// The fields of a card into record, what else it says into facts, and for each property
// whether a field took its value from it into held.
void ReadFields(const VCard& card, CContactRecord& record, VCardFacts& facts,
                std::vector<char>& held) {
    facts.categories.clear();
    facts.uid.clear();
    facts.spilled.clear();
    Reading rd(card, record, facts, held);
    const Sorted sorted(card);
    ReadName(sorted, rd);
    ReadItems(card, sorted, rd);
    ReadAddresses(sorted, rd);
    ReadOthers(card, sorted, rd);
    // An item's label in its group belongs to the item.
    for (std::size_t i = 0; i < card.properties.size(); ++i) {
        const VCardProperty& p = card.properties[i];
        if (p.name != "X-ABLABEL"sv || p.group.empty() || held[i])
            continue;
        for (std::size_t j = 0; j < card.properties.size(); ++j) {
            if (held[j] && j != i && kb::EqualsNoCase(card.properties[j].group, p.group))
                held[i] = 1;
        }
    }

    CContactRecord& r = rd.record;
    r.m_nCategory = 0;
    // A name of blanks alone would be written as an empty name and read back as another
    // record: it does not stand in for the last name.
    if (r.m_strLastName.empty()) {
        if (!TrimView(r.m_strFirstName).empty()) {
            const std::string first(r.m_strFirstName);
            r.m_strLastName = first;
            r.m_strFirstName.clear();
        } else if (!TrimView(r.m_strOtherRef).empty()) {
            const std::string otherRef(r.m_strOtherRef);
            r.m_strLastName = otherRef;
            r.m_strOtherRef.clear();
        } else {
            r.m_strLastName = "Unnamed";
        }
    }
    if (sorted.twin) {
        if (const int k = TwinNumberOf(sorted.twin->value))
            r.m_strLastName += " #" + std::to_string(k);
    }
}

// Everything a card holds, beside the record: what no field holds, and what the fields
// took their values from, marked held.
// A card the caller lets go gives its properties up rather than copies.
template <class Card> void KeepCard(Card&& card, const std::vector<char>& held, CContactRecord& r) {
    if (card.properties.empty())
        return;
    CRecordExtras& extras = r.EditExtras();
    extras.properties.reserve(extras.properties.size() + card.properties.size());
    for (std::size_t i = 0; i < card.properties.size(); ++i) {
        VCardProperty& kept = std::is_const_v<std::remove_reference_t<Card>>
                                  ? extras.properties.emplace_back(card.properties[i])
                                  : extras.properties.emplace_back(std::move(card.properties[i]));
        kept.rawValue.clear();
        kept.line = 0;
        kept.held = held[i] != 0;
        if (kept.name.empty())
            kept.name = kLooseTextName;
    }
}

void Read(const VCard& card, CContactRecord& record, VCardFacts& facts) {
    std::vector<char> held;
    ReadFields(card, record, facts, held);
    KeepCard(card, held, record);
}

// The items as an import of the written card would place them without X-KINBOOK-ITEMS.
bool PlainLayoutSuffices(const CContactRecord& r, const std::vector<bool>& asEmail) {
    std::size_t k = 0;
    CContactRecord plain;
    for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
        if (r.m_strItem[i].empty())
            continue;
        std::uint8_t label = LABEL_OTHER;
        if (asEmail[i])
            label = LABEL_EMAIL;
        else if (r.m_nItemLabel[i] <= LABEL_FAX)
            label = r.m_nItemLabel[i];
        plain.m_strItem[k] = r.m_strItem[i];
        plain.m_nItemLabel[k] = label;
        ++k;
    }
    return plain.m_strItem == r.m_strItem && plain.m_nItemLabel == r.m_nItemLabel;
}

// k and the length of the name before it when a last name is "name #k", the twin number
// the filing rule gives (k from 1, no leading zero); k 0 otherwise.
int SplitTwin(std::string_view last, std::size_t& baseLength) {
    baseLength = last.size();
    const std::size_t hash = last.rfind(" #");
    if (hash == std::string_view::npos || hash == 0)
        return 0;
    const int k = TwinNumberOf(last.substr(hash + 2));
    if (k == 0 || last.size() - hash - 2 != std::to_string(k).size())
        return 0;
    baseLength = hash;
    return k;
}

std::string WithoutTwin(std::string_view last) {
    std::size_t length = 0;
    SplitTwin(last, length);
    return std::string(last.substr(0, length));
}

int TwinOf(std::string_view last) {
    std::size_t length = 0;
    return SplitTwin(last, length);
}

// The record's groups as a card names them: the category it is filed under (none for
// Unfiled), then its further groups.
std::vector<std::string> GroupsOf(const CContactRecord& r, const CCategoryList& categories) {
    std::vector<std::string> names;
    const std::string& cat = categories.NameOf(r.m_nCategory);
    if (!kb::EqualsNoCase(cat, kUnfiled))
        names.push_back(kb::DecodeToUtf8(cat));
    if (const CRecordExtras* extras = r.Extras()) {
        for (const VCardProperty& p : extras->properties) {
            if (p.held || p.name != "CATEGORIES"sv)
                continue;
            for (std::string& name : p.List()) {
                std::string t = Trimmed(name);
                if (!t.empty())
                    names.push_back(std::move(t));
            }
        }
    }
    return names;
}

// Whether two lists name the same groups, in any order and case.
bool SameGroups(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const auto covers = [](const std::vector<std::string>& x, const std::vector<std::string>& y) {
        return std::all_of(x.begin(), x.end(), [&](const std::string& n) {
            return std::any_of(y.begin(), y.end(),
                               [&](const std::string& m) { return kb::EqualsNoCase(n, m); });
        });
    };
    return covers(a, b) && covers(b, a);
}

struct Writing {
    const CContactRecord& record;
    const CCategoryList& categories;
    const std::string& uid;
    bool v40;
    std::vector<VCardProperty>& out;
    std::array<std::string, CContactRecord::kOtherInfoCount> otherInfo;
    std::string notes;
};

std::string U8(const std::string& bytes) {
    return kb::DecodeToUtf8(bytes);
}

std::string TypeToken(std::string_view type, bool v40) {
    return v40 ? std::string(type) : Upper(type);
}

void WriteSlot(VCardSlot slot, std::string_view name, Writing& w) {
    const CContactRecord& r = w.record;
    switch (slot) {
    case VCardSlot::FormattedName: {
        // The twin number is the book's own: other programs show the name without it.
        std::string fn =
            JoinNonEmpty({U8(r.m_strFirstName), U8(WithoutTwin(r.m_strLastName))}, " ");
        if (fn.empty())
            fn = U8(r.m_strOtherRef);
        w.out.push_back(VCardProperty::Text(std::string(name), fn));
        break;
    }
    case VCardSlot::Name:
        w.out.push_back(
            VCardProperty::Structured(std::string(name), {U8(WithoutTwin(r.m_strLastName)),
                                                          U8(r.m_strFirstName), "", "", ""}));
        if (const int k = TwinOf(r.m_strLastName))
            w.out.push_back(VCardProperty::Text(std::string(kTwinName), std::to_string(k)));
        break;
    case VCardSlot::Title:
        if (!r.m_strTitle.empty())
            w.out.push_back(VCardProperty::Text(std::string(name), U8(r.m_strTitle)));
        break;
    case VCardSlot::OtherRef:
        if (!r.m_strOtherRef.empty())
            w.out.push_back(VCardProperty::Structured(std::string(name), {U8(r.m_strOtherRef)}));
        break;
    case VCardSlot::Item: {
        if (name != "TEL"sv)
            break; // TEL and EMAIL go out together, in item order
        std::vector<bool> asEmail(CContactRecord::kItemCount, false);
        for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
            const CRecordText& text = r.m_strItem[i];
            if (text.empty())
                continue;
            const std::uint8_t label = r.m_nItemLabel[i];
            asEmail[i] = label == LABEL_EMAIL || (label == LABEL_NONE && LooksLikeEmail(text));
            VCardProperty p = VCardProperty::Text(asEmail[i] ? "EMAIL" : "TEL", U8(text));
            VCardParam type{"TYPE", {}};
            if (!asEmail[i]) {
                for (const VCardLabelEntry& e : kVCardLabels) {
                    if (e.label == label && !e.type.empty())
                        type.values.push_back(TypeToken(e.type, w.v40));
                }
            } else if (!w.v40) {
                type.values.push_back("INTERNET");
            }
            const bool preferred = i == r.m_nDefaultItem;
            if (preferred && !w.v40)
                type.values.push_back("PREF");
            if (!type.values.empty())
                p.params.push_back(std::move(type));
            if (preferred && w.v40)
                p.params.push_back({"PREF", {"1"}});
            w.out.push_back(std::move(p));
        }
        if (!PlainLayoutSuffices(r, asEmail)) {
            std::string layout;
            for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
                if (i > 0)
                    layout += ' ';
                layout += std::to_string(r.m_nItemLabel[i]);
                if (!r.m_strItem[i].empty())
                    layout += '*';
            }
            w.out.push_back(VCardProperty::Text(std::string(kItemsName), layout));
        }
        break;
    }
    case VCardSlot::Address:
        if (!(r.m_strAddress.empty() && r.m_strCity.empty() && r.m_strState.empty() &&
              r.m_strZip.empty() && r.m_strCountry.empty())) {
            VCardProperty p = VCardProperty::Structured(
                std::string(name), {"", "", U8(r.m_strAddress), U8(r.m_strCity), U8(r.m_strState),
                                    U8(r.m_strZip), U8(r.m_strCountry)});
            p.params.push_back({"TYPE", {TypeToken("home", w.v40)}});
            w.out.push_back(std::move(p));
        }
        break;
    case VCardSlot::Notes:
        if (!w.notes.empty())
            w.out.push_back(VCardProperty::Text(std::string(name), U8(w.notes)));
        break;
    case VCardSlot::Category: {
        std::string list;
        for (const std::string& group : GroupsOf(r, w.categories)) {
            if (!list.empty())
                list += ',';
            list += vcard::EscapeText(group);
        }
        if (!list.empty()) {
            VCardProperty p;
            p.name = std::string(name);
            p.value = std::move(list);
            w.out.push_back(std::move(p));
        }
        break;
    }
    case VCardSlot::OtherInfo: {
        std::size_t last = 0;
        for (std::size_t i = 0; i < w.otherInfo.size(); ++i) {
            if (!w.otherInfo[i].empty())
                last = i + 1;
        }
        for (std::size_t i = 0; i < last; ++i)
            w.out.push_back(VCardProperty::Text(std::string(name), U8(w.otherInfo[i])));
        break;
    }
    case VCardSlot::DefaultItem:
        w.out.push_back(
            VCardProperty::Text(std::string(name), std::to_string(r.m_nDefaultItem + 1)));
        break;
    case VCardSlot::Uid:
        if (!w.uid.empty()) {
            VCardProperty p;
            p.name = std::string(name);
            p.value = w.v40 && IsUuid(w.uid) ? "urn:uuid:" + w.uid : vcard::EscapeText(w.uid);
            w.out.push_back(std::move(p));
        }
        break;
    case VCardSlot::ItemLayout: // written with the items
    case VCardSlot::Metadata:
    case VCardSlot::Binary:
    case VCardSlot::Words:
        break;
    }
}

bool GroupUsed(const VCard& card, const std::string& group) {
    for (const VCardProperty& p : card.properties) {
        if (!p.group.empty() && kb::EqualsNoCase(p.group, group))
            return true;
    }
    return false;
}

} // namespace

VCardMapEntry MapEntryOf(std::string_view propertyName) {
    if (const VCardMapEntry* e = FindMapEntry(propertyName))
        return *e;
    return {propertyName, VCardSlot::Words, propertyName};
}

bool IsMappedProperty(const VCardProperty& property) {
    const VCardSlot slot = MapEntryOf(property.name).slot;
    switch (slot) {
    case VCardSlot::FormattedName:
    case VCardSlot::Name:
    case VCardSlot::Title:
    case VCardSlot::OtherRef:
    case VCardSlot::Item:
    case VCardSlot::Address:
    case VCardSlot::Notes:
    case VCardSlot::Category:
    case VCardSlot::OtherInfo:
    case VCardSlot::DefaultItem:
    case VCardSlot::ItemLayout:
    case VCardSlot::Uid:
        return true;
    default:
        return property.name == "PRODID"sv || property.name == kTwinName;
    }
}

std::string CardUid(const VCard& card) {
    const VCardProperty* p = card.Find("UID");
    return p ? NormaliseUid(p->Text()) : std::string();
}

void VCardToRecord(const VCard& card, CContactRecord& record, VCardFacts& facts) {
    Read(card, record, facts);
}

void VCardToRecord(VCard&& card, CContactRecord& record, VCardFacts& facts) {
    thread_local std::vector<char> held; // card after card, in the room it has
    ReadFields(card, record, facts, held);
    KeepCard(std::move(card), held, record);
}

VCardRecord VCardToRecord(const VCard& card) {
    VCardRecord out;
    Read(card, out.record, out);
    return out;
}

namespace {

// The card of a record that keeps none of its own: its fields, then what its extras hold.
VCard FreshCard(const CContactRecord& record, const CCategoryList& categories,
                const std::string& uid, VCardVersion version, const VCard* previous) {
    VCard card;
    bool v40 = version == VCardVersion::V40;
    if (previous && (previous->version == "3.0"sv || previous->version == "4.0"sv))
        v40 = previous->version == "4.0"sv;
    card.version = v40 ? "4.0" : "3.0";

    const auto& info = record.m_strOtherInfo;
    Writing w{record,
              categories,
              uid,
              v40,
              card.properties,
              {info[0].str(), info[1].str(), info[2].str(), info[3].str()},
              record.m_strNotes.str()};
    if (previous) {
        // What an import of the previous card put into text comes back from its own
        // properties, so it is not written twice.
        const VCardRecord before = VCardToRecord(*previous);
        for (std::string& line : w.otherInfo) {
            if (std::find(before.spilled.begin(), before.spilled.end(), U8(line)) !=
                before.spilled.end())
                line.clear();
        }
        for (auto it = before.spilled.rbegin(); it != before.spilled.rend(); ++it) {
            const std::string tail = "\r\n" + *it;
            const std::string notes = U8(w.notes);
            if (notes == *it)
                w.notes.clear();
            else if (notes.size() >= tail.size() &&
                     notes.compare(notes.size() - tail.size(), tail.size(), tail) == 0)
                w.notes = notes.substr(0, notes.size() - tail.size());
        }
    }
    VCardProperty prodId;
    prodId.name = "PRODID";
    prodId.value = std::string(kProdId);
    card.properties.push_back(std::move(prodId));
    for (const VCardMapEntry& e : kVCardMap) {
        if (e.slot == VCardSlot::Metadata)
            break; // the rest of the table is read only
        WriteSlot(e.slot, e.property, w);
    }
    if (previous) {
        // An item that is still there keeps its group, and with it its label.
        for (VCardProperty& mine : card.properties) {
            if (mine.name != "TEL"sv && mine.name != "EMAIL"sv)
                continue;
            const std::string text = mine.Text();
            for (const VCardProperty& p : previous->properties) {
                if (p.name == mine.name && !p.group.empty() && p.Text() == text &&
                    !GroupUsed(card, p.group)) {
                    mine.group = p.group;
                    break;
                }
            }
        }
        const std::string previousUid = CardUid(*previous);
        for (const VCardProperty& p : previous->properties) {
            if (p.name == "UID"sv && !uid.empty() && previousUid == uid) {
                // Keep the server's own spelling of the same UID.
                for (VCardProperty& mine : card.properties) {
                    if (mine.name == "UID"sv)
                        mine = p;
                }
                continue;
            }
            if (IsMappedProperty(p))
                continue;
            if (p.name == "X-ABLABEL"sv && IsGroupLabelOfMapped(*previous, p)) {
                bool partnerMapped = false;
                for (const VCardProperty& q : previous->properties) {
                    if (&q != &p && kb::EqualsNoCase(q.group, p.group) && IsMappedProperty(q))
                        partnerMapped = true;
                }
                if (partnerMapped && !GroupUsed(card, p.group))
                    continue; // its item is gone
            }
            card.properties.push_back(p);
        }
    }
    if (const CRecordExtras* extras = record.Extras()) {
        for (const VCardProperty& p : extras->properties) {
            // The further groups went out with the category.
            if (!p.held && p.name != "CATEGORIES"sv)
                card.properties.push_back(p);
        }
    }
    return card;
}

// What a held property feeds, for writing a card back: the properties of one part are
// kept as they came while the fields they gave are unchanged, and rewritten together
// when not.
enum class Part {
    Keep,
    Name,
    Twin,
    Title,
    Org,
    Item,
    ItemLabel,
    DefaultItem,
    Layout,
    Address,
    Notes,
    Category,
    OtherInfo,
    Uid
};

Part PartOf(const VCardProperty& p) {
    if (p.name == "X-ABLABEL"sv)
        return Part::ItemLabel;
    switch (MapEntryOf(p.name).slot) {
    case VCardSlot::FormattedName:
    case VCardSlot::Name:
        return Part::Name;
    case VCardSlot::Title:
        return Part::Title;
    case VCardSlot::OtherRef:
        return Part::Org;
    case VCardSlot::Item:
        return Part::Item;
    case VCardSlot::Address:
        return Part::Address;
    case VCardSlot::Notes:
        return Part::Notes;
    case VCardSlot::Category:
        return Part::Category;
    case VCardSlot::OtherInfo:
        return Part::OtherInfo;
    case VCardSlot::DefaultItem:
        return Part::DefaultItem;
    case VCardSlot::ItemLayout:
        return Part::Layout;
    case VCardSlot::Uid:
        return Part::Uid;
    default:
        return p.name == kTwinName ? Part::Twin : Part::Keep;
    }
}

// Whether a part that changed is an edit of the contact, which renews REV: the UID the book
// gives a card and the twin number the filing rule gives a name are not.
bool Edited(Part part) {
    return part != Part::Uid && part != Part::Twin;
}

// The same moment as a vCard timestamp, in UTC.
std::string RevisionNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

bool IsLabelType(std::string_view type) {
    for (std::string_view t :
         {"home"sv, "work"sv, "cell"sv, "mobile"sv, "iphone"sv, "pager"sv, "fax"sv}) {
        if (vcard::SameWord(type, t))
            return true;
    }
    return false;
}

bool IsPrefType(std::string_view type) {
    return vcard::SameWord(type, "pref");
}

// Drops the TYPE values the test keeps (and TYPE itself when nothing is left).
template <class Test> void DropTypes(VCardProperty& p, Test drop) {
    for (auto it = p.params.begin(); it != p.params.end();) {
        if (vcard::SameWord(it->name, "TYPE")) {
            auto& v = it->values;
            v.erase(std::remove_if(v.begin(), v.end(), drop), v.end());
            if (v.empty()) {
                it = p.params.erase(it);
                continue;
            }
        }
        ++it;
    }
}

void AddType(VCardProperty& p, std::string type) {
    for (VCardParam& param : p.params) {
        if (vcard::SameWord(param.name, "TYPE")) {
            param.values.push_back(std::move(type));
            return;
        }
    }
    p.params.push_back({"TYPE", {std::move(type)}});
}

void SetPreferred(VCardProperty& p, bool preferred, bool v40) {
    const bool now = p.Preference() > 0;
    if (now == preferred)
        return;
    if (!preferred) {
        DropTypes(p, IsPrefType);
        std::erase_if(p.params,
                      [](const VCardParam& q) { return vcard::SameWord(q.name, "PREF"); });
    } else if (v40) {
        p.params.push_back({"PREF", {"1"}});
    } else {
        AddType(p, "PREF");
    }
}

// Whether a card reads back as the record: every field, its label and its groups.
bool ReadsBackAs(const VCard& card, const CContactRecord& r, const CCategoryList& categories) {
    CContactRecord again;
    VCardFacts facts;
    std::vector<char> held;
    ReadFields(card, again, facts, held);
    for (std::size_t s = 0; s < CContactRecord::kItemCount; ++s) {
        if (!r.m_strItem[s].empty() && again.m_nItemLabel[s] != r.m_nItemLabel[s])
            return false;
    }
    return again.Texts() == r.Texts() && again.m_nDefaultItem == r.m_nDefaultItem &&
           SameGroups(facts.categories, GroupsOf(r, categories));
}

// Writes a record back into the card it keeps (see RecordToVCard): false when the card
// written would not read back as the record.
bool WriteBack(const CContactRecord& r, const CCategoryList& categories, const std::string& uid,
               bool v40, VCard& card) {
    const std::vector<VCardProperty>& kept = r.Extras()->properties;
    // What the held properties gave the fields when the card was read.
    VCard heldCard;
    std::vector<std::size_t> from; // the kept property of each in heldCard
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].held) {
            heldCard.properties.push_back(kept[i]);
            from.push_back(i);
        }
    }
    CContactRecord before;
    VCardFacts facts;
    std::vector<char> heldFlags;
    ReadFields(heldCard, before, facts, heldFlags);
    std::vector<int> slotOf(kept.size(), -1); // the item slot each kept property fills
    std::size_t lastHeldItem = kept.size();
    for (std::size_t s = 0; s < CContactRecord::kItemCount; ++s) {
        if (facts.itemSource[s] >= 0) {
            const std::size_t i = from[static_cast<std::size_t>(facts.itemSource[s])];
            slotOf[i] = static_cast<int>(s);
            lastHeldItem = lastHeldItem == kept.size() ? i : std::max(lastHeldItem, i);
        }
    }

    const bool nameSame = WithoutTwin(r.m_strLastName) == WithoutTwin(before.m_strLastName) &&
                          r.m_strFirstName == before.m_strFirstName;
    const bool twinSame = TwinOf(r.m_strLastName) == TwinOf(before.m_strLastName);
    const bool addressSame = r.m_strAddress == before.m_strAddress &&
                             r.m_strCity == before.m_strCity && r.m_strState == before.m_strState &&
                             r.m_strZip == before.m_strZip && r.m_strCountry == before.m_strCountry;
    const std::vector<std::string> groups = GroupsOf(r, categories);
    std::array<bool, CContactRecord::kItemCount> itemSame{};
    bool itemsSame = r.m_nDefaultItem == before.m_nDefaultItem;
    for (std::size_t s = 0; s < CContactRecord::kItemCount; ++s) {
        itemSame[s] = r.m_strItem[s] == before.m_strItem[s] &&
                      (r.m_strItem[s].empty() || r.m_nItemLabel[s] == before.m_nItemLabel[s]);
        itemsSame = itemsSame && itemSame[s] && r.m_nItemLabel[s] == before.m_nItemLabel[s];
    }
    const auto same = [&](Part part) {
        switch (part) {
        case Part::Name:
            return nameSame;
        case Part::Twin:
            return twinSame;
        case Part::Title:
            return r.m_strTitle == before.m_strTitle;
        case Part::Org:
            return r.m_strOtherRef == before.m_strOtherRef;
        case Part::Address:
            return addressSame;
        case Part::Notes:
            return r.m_strNotes == before.m_strNotes;
        case Part::OtherInfo:
            return r.m_strOtherInfo == before.m_strOtherInfo;
        case Part::Category:
            return SameGroups(groups, facts.categories);
        case Part::Uid:
            return uid.empty() || uid == facts.uid;
        case Part::Item:
        case Part::ItemLabel:
        case Part::DefaultItem:
        case Part::Layout:
            return itemsSame;
        case Part::Keep:
            return true;
        }
        return true;
    };

    // The fresh properties of a part, as a record without a card would have them.
    const auto& info = r.m_strOtherInfo;
    std::vector<VCardProperty> fresh;
    Writing w{r,
              categories,
              uid,
              v40,
              fresh,
              {info[0].str(), info[1].str(), info[2].str(), info[3].str()},
              r.m_strNotes.str()};
    const auto freshOf = [&](VCardSlot slot, std::string_view name) {
        fresh.clear();
        WriteSlot(slot, name, w);
        return fresh;
    };
    // A rewritten property keeps the group and parameters of the one it replaces.
    const auto inherit = [](VCardProperty p, const VCardProperty* old) {
        if (old) {
            p.group = old->group;
            const bool typed = !p.ParamValues("TYPE").empty();
            for (const VCardParam& param : old->params) {
                if (!typed || !vcard::SameWord(param.name, "TYPE"))
                    p.params.push_back(param);
            }
        }
        return p;
    };

    std::vector<VCardProperty>& out = card.properties;
    bool changed = false;
    std::array<bool, 16> written{};
    const auto once = [&](Part part) {
        const bool first = !written[static_cast<std::size_t>(part)];
        written[static_cast<std::size_t>(part)] = true;
        return first;
    };
    const auto put = [&](std::vector<VCardProperty> props, const VCardProperty* old) {
        for (VCardProperty& p : props) {
            const VCardProperty* like = old && p.name == old->name ? old : nullptr;
            out.push_back(inherit(std::move(p), like));
        }
    };

    // Items: each held one stays, is rewritten or goes with its slot; new ones go between
    // them in slot order, so that the card's order stays the slots' order.
    std::vector<std::string> droppedGroups;
    std::array<bool, CContactRecord::kItemCount> itemDone{};
    std::array<bool, CContactRecord::kItemCount> asEmail{};
    const auto newItem = [&](std::size_t s) {
        CContactRecord one;
        one.m_strItem[0] = r.m_strItem[s];
        one.m_nItemLabel[0] = r.m_nItemLabel[s];
        one.m_nDefaultItem = r.m_nDefaultItem == s ? 0 : 1;
        std::vector<VCardProperty> props;
        Writing single{one, categories, uid, v40, props, {}, {}};
        WriteSlot(VCardSlot::Item, "TEL", single);
        VCardProperty p = std::move(props.front());
        SetPreferred(p, !itemsSame && r.m_nDefaultItem == s && before.m_nDefaultItem != s, v40);
        return p;
    };
    const auto putNewItemsBefore = [&](std::size_t slot) {
        for (std::size_t t = 0; t < slot && t < CContactRecord::kItemCount; ++t) {
            if (itemDone[t] || r.m_strItem[t].empty() || facts.itemSource[t] >= 0)
                continue;
            itemDone[t] = true;
            out.push_back(newItem(t));
            asEmail[t] = out.back().name == "EMAIL"sv;
        }
    };
    const auto putItem = [&](const VCardProperty& old, std::size_t s) {
        putNewItemsBefore(s);
        itemDone[s] = true;
        if (r.m_strItem[s].empty()) {
            if (!old.group.empty())
                droppedGroups.push_back(old.group);
            return;
        }
        const std::uint8_t label = r.m_nItemLabel[s];
        const bool email =
            label == LABEL_EMAIL || (label == LABEL_NONE && LooksLikeEmail(r.m_strItem[s]));
        VCardProperty p = old;
        if (email != (old.name == "EMAIL"sv)) {
            if (!old.group.empty())
                droppedGroups.push_back(old.group);
            p = newItem(s);
        } else if (!itemSame[s] || label != before.m_nItemLabel[s]) {
            const std::string text = U8(r.m_strItem[s]);
            const ItemParams params = ReadItemParams(old);
            if (params.valueType && kb::EqualsNoCase(*params.valueType, "uri") &&
                kb::StartsWithNoCase(old.value, "tel:"))
                p.value = "tel:" + vcard::EscapeText(text);
            else
                p.value = vcard::EscapeText(text);
            if (!email && label != before.m_nItemLabel[s]) {
                DropTypes(p, IsLabelType);
                for (const VCardLabelEntry& e : kVCardLabels) {
                    if (e.label == label && !e.type.empty())
                        AddType(p, TypeToken(e.type, v40));
                }
                // A label in the item's group that names a kind would name the old one still.
                const bool named =
                    std::any_of(kept.begin(), kept.end(), [&](const VCardProperty& q) {
                        return q.name == "X-ABLABEL"sv && !p.group.empty() &&
                               kb::EqualsNoCase(q.group, p.group) &&
                               LabelOfAbLabel(vcard::UnescapeText(q.value)) != LABEL_NONE;
                    });
                if (named) {
                    droppedGroups.push_back(p.group);
                    p.group.clear();
                }
            }
        }
        if (r.m_nDefaultItem != before.m_nDefaultItem)
            SetPreferred(p, r.m_nDefaultItem == s, v40);
        asEmail[s] = p.name == "EMAIL"sv;
        out.push_back(std::move(p));
    };
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const VCardProperty& p = kept[i];
        if (!p.held) {
            if (p.name != "CATEGORIES"sv) // the further groups go with the category
                out.push_back(p);
            continue;
        }
        const Part part = PartOf(p);
        if (same(part)) {
            out.push_back(p);
            if (part == Part::Item && slotOf[i] >= 0) {
                itemDone[static_cast<std::size_t>(slotOf[i])] = true;
                asEmail[static_cast<std::size_t>(slotOf[i])] = p.name == "EMAIL"sv;
            }
            continue;
        }
        changed = changed || Edited(part);
        switch (part) {
        case Part::Name:
            if (once(part)) {
                const VCardProperty* n = nullptr;
                const VCardProperty* fn = nullptr;
                for (const VCardProperty& q : kept) {
                    if (q.held && q.name == "N"sv && !n)
                        n = &q;
                    if (q.held && q.name == "FN"sv && !fn)
                        fn = &q;
                }
                std::vector<std::string> parts = n ? n->Components() : std::vector<std::string>(5);
                parts.resize(std::max<std::size_t>(parts.size(), 5));
                parts[0] = U8(WithoutTwin(r.m_strLastName));
                parts[1] = U8(r.m_strFirstName);
                std::string shown = JoinNonEmpty({parts[3], parts[1], parts[2], parts[0]}, " ");
                if (!parts[4].empty())
                    shown = JoinNonEmpty({shown, parts[4]}, " ");
                if (shown.empty())
                    shown = U8(r.m_strOtherRef);
                // In the order the card had them.
                if (fn && n && fn > n) {
                    put({VCardProperty::Structured("N", parts)}, n);
                    put({VCardProperty::Text("FN", shown)}, fn);
                } else {
                    put({VCardProperty::Text("FN", shown)}, fn);
                    put({VCardProperty::Structured("N", parts)}, n);
                }
            }
            break;
        case Part::Twin:
            if (once(part)) {
                if (const int k = TwinOf(r.m_strLastName))
                    put({VCardProperty::Text(std::string(kTwinName), std::to_string(k))}, &p);
            }
            break;
        case Part::Title:
            if (once(part))
                put(freshOf(VCardSlot::Title, "TITLE"), &p);
            break;
        case Part::Org:
            if (once(part)) {
                // The units stay with the company.
                std::vector<std::string> parts = p.Components();
                parts.resize(std::max<std::size_t>(parts.size(), 1));
                parts[0] = U8(r.m_strOtherRef);
                if (JoinNonEmpty(parts, "").empty())
                    break;
                put({VCardProperty::Structured("ORG", parts)}, &p);
            }
            break;
        case Part::Address:
            if (once(part)) {
                std::vector<VCardProperty> props = freshOf(VCardSlot::Address, "ADR");
                for (VCardProperty& a : props) {
                    a.params.clear(); // the old address's types stay
                    out.push_back(inherit(std::move(a), &p));
                }
            }
            break;
        case Part::Notes:
            if (once(part))
                put(freshOf(VCardSlot::Notes, "NOTE"), &p);
            break;
        case Part::OtherInfo:
            if (once(part))
                put(freshOf(VCardSlot::OtherInfo, "X-KINBOOK-OTHER-INFO"), &p);
            break;
        case Part::Category:
            if (once(part))
                put(freshOf(VCardSlot::Category, "CATEGORIES"), &p);
            break;
        case Part::Uid:
            if (once(part))
                put(freshOf(VCardSlot::Uid, "UID"), nullptr);
            break;
        case Part::Item:
            if (slotOf[i] >= 0)
                putItem(p, static_cast<std::size_t>(slotOf[i]));
            else
                out.push_back(p);
            if (i == lastHeldItem)
                putNewItemsBefore(CContactRecord::kItemCount);
            break;
        case Part::ItemLabel:
        case Part::DefaultItem:
            out.push_back(p); // looked at once every item is placed
            break;
        case Part::Layout:
            out.push_back(p);
            break;
        case Part::Keep:
            break;
        }
    }
    if (!itemsSame) {
        // New items after the last one there is, and what names the items brought up to date.
        putNewItemsBefore(CContactRecord::kItemCount);
        std::erase_if(out, [&](const VCardProperty& p) {
            return p.held && p.name == "X-ABLABEL"sv &&
                   std::any_of(droppedGroups.begin(), droppedGroups.end(),
                               [&](const std::string& g) { return kb::EqualsNoCase(g, p.group); });
        });
        for (VCardProperty& p : out) {
            if (p.held && p.name == "X-KINBOOK-DEFAULT-ITEM"sv)
                p.value = std::to_string(r.m_nDefaultItem + 1);
        }
        std::vector<bool> emails(asEmail.begin(), asEmail.end());
        const bool plain = PlainLayoutSuffices(r, emails);
        std::string layout;
        for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
            if (i > 0)
                layout += ' ';
            layout += std::to_string(r.m_nItemLabel[i]);
            if (!r.m_strItem[i].empty())
                layout += '*';
        }
        const auto layoutIt = std::find_if(out.begin(), out.end(), [](const VCardProperty& p) {
            return p.held && p.name == kItemsName;
        });
        if (layoutIt != out.end()) {
            if (plain)
                out.erase(layoutIt);
            else
                layoutIt->value = layout;
        } else if (!plain) {
            auto at = out.end();
            for (auto it = out.begin(); it != out.end(); ++it) {
                if (it->name == "TEL"sv || it->name == "EMAIL"sv)
                    at = it + 1;
            }
            out.insert(at, VCardProperty::Text(std::string(kItemsName), layout));
        }
    }
    // What the card lacked a property for goes at its end.
    const struct {
        Part part;
        VCardSlot slot;
        std::string_view name;
    } missing[] = {{Part::Name, VCardSlot::Name, "N"},
                   {Part::Twin, VCardSlot::Name, "N"},
                   {Part::Title, VCardSlot::Title, "TITLE"},
                   {Part::Org, VCardSlot::OtherRef, "ORG"},
                   {Part::Address, VCardSlot::Address, "ADR"},
                   {Part::Notes, VCardSlot::Notes, "NOTE"},
                   {Part::OtherInfo, VCardSlot::OtherInfo, "X-KINBOOK-OTHER-INFO"},
                   {Part::Category, VCardSlot::Category, "CATEGORIES"},
                   {Part::Uid, VCardSlot::Uid, "UID"}};
    for (const auto& m : missing) {
        if (same(m.part) || written[static_cast<std::size_t>(m.part)])
            continue;
        changed = changed || Edited(m.part);
        std::vector<VCardProperty> props = freshOf(m.slot, m.name);
        if (m.slot == VCardSlot::Name) {
            // N and the twin number: FN is the card's own.
            std::erase_if(props, [&](const VCardProperty& p) {
                return m.part == Part::Twin ? p.name != kTwinName : p.name != "N"sv;
            });
        }
        put(std::move(props), nullptr);
    }
    changed = changed || !itemsSame;
    if (changed) {
        for (VCardProperty& p : out) {
            if (p.held && p.name == "REV"sv)
                p.value = RevisionNow();
        }
    }
    for (VCardProperty& p : out)
        p.held = false;

    return ReadsBackAs(card, r, categories);
}

} // namespace

bool KeepsCard(const CContactRecord& record) {
    const CRecordExtras* extras = record.Extras();
    return extras && std::any_of(extras->properties.begin(), extras->properties.end(),
                                 [](const VCardProperty& p) { return p.held; });
}

VCard RecordToVCard(const CContactRecord& record, const CCategoryList& categories,
                    const std::string& uid, VCardVersion version, const VCard* previous) {
    if (!KeepsCard(record))
        return FreshCard(record, categories, uid, version, previous);
    const bool v40 = version == VCardVersion::V40;
    VCard card;
    card.version = v40 ? "4.0" : "3.0";
    const bool keptWell = WriteBack(record, categories, uid, v40, card);
    const bool named = card.Find("FN") != nullptr && (v40 || card.Find("N") != nullptr);
    if (keptWell && named)
        return card;
    // Made afresh from the fields and what no field holds, unless that reads back no better
    // (a card with more phones than the record has room for moves one up either way).
    CContactRecord plain = record;
    std::erase_if(plain.EditExtras().properties, [](const VCardProperty& p) { return p.held; });
    plain.DropEmptyExtras();
    VCard fresh = FreshCard(plain, categories, uid, version, nullptr);
    if (!keptWell && ReadsBackAs(fresh, record, categories))
        return fresh;
    // A card that came without a name goes out with one (FN always, N in 3.0) where that
    // reads back as the same record: a name made up for it must not move the company.
    VCard withNames = card;
    for (const std::string_view name : {"N"sv, "FN"sv}) {
        if ((v40 && name == "N"sv) || withNames.Find(name) != nullptr)
            continue;
        if (const VCardProperty* made = fresh.Find(name))
            withNames.properties.insert(withNames.properties.begin(), *made);
    }
    return ReadsBackAs(withNames, record, categories) ? withNames : card;
}

void SetFurtherGroups(CContactRecord& record, const std::vector<std::string>& names,
                      std::string_view filedUnder) {
    std::vector<std::string> further;
    bool skipped = false;
    for (const std::string& name : names) {
        if (!skipped && !filedUnder.empty() && kb::EqualsNoCase(name, filedUnder)) {
            skipped = true;
            continue;
        }
        if (std::none_of(further.begin(), further.end(),
                         [&](const std::string& f) { return kb::EqualsNoCase(f, name); }))
            further.push_back(name);
    }
    if (further.empty())
        return;
    std::string list;
    for (const std::string& name : further) {
        if (!list.empty())
            list += ',';
        list += vcard::EscapeText(name);
    }
    VCardProperty p;
    p.name = "CATEGORIES";
    p.value = std::move(list);
    // Beside the card's own CATEGORIES, where the detail pane and the editor find it.
    std::vector<VCardProperty>& props = record.EditExtras().properties;
    auto at = props.end();
    for (auto it = props.begin(); it != props.end(); ++it) {
        if (it->held && it->name == "CATEGORIES"sv)
            at = it + 1;
    }
    props.insert(at, std::move(p));
}

bool DropCardTwinNumber(CContactRecord& record) {
    const CRecordExtras* extras = record.Extras();
    if (!extras)
        return false;
    for (const VCardProperty& p : extras->properties) {
        if (!p.held || p.name != kTwinName)
            continue;
        const int k = TwinNumberOf(p.value);
        std::size_t length = 0;
        if (k == 0 || SplitTwin(record.m_strLastName, length) != k)
            return false;
        const std::string base(record.m_strLastName.substr(0, length));
        record.m_strLastName = base;
        return true;
    }
    return false;
}
