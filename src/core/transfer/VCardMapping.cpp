#include "transfer/VCardMapping.h"
#include "model/CCategoryList.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include <algorithm>
#include <array>
#include <cctype>
#include <list>

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
    {"X-ABADR", VCardSlot::Metadata, ""}, // the country format of a grouped address
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

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
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
        std::replace_if(l.begin(), l.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
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
    VCardSlot Slot(std::size_t i) const { return m_entries[i] ? m_entries[i]->slot : VCardSlot::Words; }

    const VCardProperty* n = nullptr;
    const VCardProperty* fn = nullptr;
    const VCardProperty* org = nullptr;
    const VCardProperty* kind = nullptr;
    const VCardProperty* showAs = nullptr;
    const VCardProperty* layout = nullptr;      // X-KINBOOK-ITEMS
    const VCardProperty* defaultItem = nullptr; // X-KINBOOK-DEFAULT-ITEM

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
    Reading(CContactRecord& r, VCardFacts& facts) : record(r), out(facts), words(facts.spilled) {}
    CContactRecord& record;
    VCardFacts& out;
    std::vector<std::string>& words; // in card order: out.spilled, once they are placed
    bool otherInfoSet[CContactRecord::kOtherInfoCount] = {};
    bool lastNameFromOrg = false; // a company card: ORG is its name
    std::list<std::string> unescaped; // values with escapes undone, where views point
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
                slots[k++] = s;
            }
        }
        placed = k;
    } else {
        for (std::size_t k = 0; k < items.size() && k < CContactRecord::kItemCount; ++k) {
            r.m_strItem[k] = items[k].text;
            r.m_nItemLabel[k] = items[k].label;
            slots[k] = static_cast<int>(k);
            placed = k + 1;
        }
    }
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
        case VCardSlot::Metadata:
            break; // read above, or nothing for the user
        case VCardSlot::Uid:
            if (rd.out.uid.empty())
                rd.out.uid.assign(NormalisedUid(TextView(p, buffer))); // in the room it has
            break;
        case VCardSlot::Title:
            if (!titleSeen) {
                r.m_strTitle = TextView(p, buffer);
                titleSeen = true;
            } else if (!p.Text().empty()) {
                rd.words.push_back("Title: " + p.Text());
            }
            break;
        case VCardSlot::OtherRef: {
            if (!orgSeen && p.value.find_first_of("\\;") == std::string::npos) {
                // A plain name without units (most cards).
                orgSeen = true;
                if (!rd.lastNameFromOrg)
                    r.m_strOtherRef = p.value;
                break;
            }
            std::vector<std::string> c = p.Components();
            if (!orgSeen) {
                orgSeen = true;
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
            if (!r.m_strNotes.empty())
                r.m_strNotes += "\r\n";
            r.m_strNotes += TextView(p, buffer);
            break;
        }
        case VCardSlot::Category:
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
                rd.otherInfoSet[otherInfo] = true;
                ++otherInfo;
            } else if (!p.Text().empty()) {
                rd.words.push_back(p.Text());
            }
            break;
        case VCardSlot::Binary:
            if (p.binary) {
                rd.out.binaries.push_back(Lower(known->words));
                break;
            }
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

void Read(const VCard& card, CContactRecord& record, VCardFacts& facts) {
    facts.categories.clear();
    facts.uid.clear();
    facts.binaries.clear();
    facts.spilled.clear();
    Reading rd(record, facts);
    const Sorted sorted(card);
    ReadName(sorted, rd);
    ReadItems(card, sorted, rd);
    ReadAddresses(sorted, rd);
    ReadOthers(card, sorted, rd);

    CContactRecord& r = rd.record;
    r.m_nCategory = 0;
    // Lines without a field of their own: the free Other Info lines first, then the notes.
    for (const std::string& line : rd.words) {
        bool placed = false;
        if (!HasLineBreak(line)) {
            for (std::size_t i = 0; i < CContactRecord::kOtherInfoCount && !placed; ++i) {
                if (!rd.otherInfoSet[i] && r.m_strOtherInfo[i].empty()) {
                    r.m_strOtherInfo[i] = line;
                    placed = true;
                }
            }
        }
        if (!placed) {
            if (!r.m_strNotes.empty())
                r.m_strNotes += "\r\n";
            r.m_strNotes += line;
        }
    }
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
        std::string fn = JoinNonEmpty({U8(r.m_strFirstName), U8(r.m_strLastName)}, " ");
        if (fn.empty())
            fn = U8(r.m_strOtherRef);
        w.out.push_back(VCardProperty::Text(std::string(name), fn));
        break;
    }
    case VCardSlot::Name:
        w.out.push_back(VCardProperty::Structured(
            std::string(name), {U8(r.m_strLastName), U8(r.m_strFirstName), "", "", ""}));
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
        const std::string& cat = w.categories.NameOf(r.m_nCategory);
        if (!kb::EqualsNoCase(cat, kUnfiled))
            w.out.push_back(VCardProperty::Text(std::string(name), U8(cat)));
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
        return property.name == "PRODID"sv;
    }
}

std::string CardUid(const VCard& card) {
    const VCardProperty* p = card.Find("UID");
    return p ? NormaliseUid(p->Text()) : std::string();
}

void VCardToRecord(const VCard& card, CContactRecord& record, VCardFacts& facts) {
    Read(card, record, facts);
}

VCardRecord VCardToRecord(const VCard& card) {
    VCardRecord out;
    Read(card, out.record, out);
    return out;
}

VCard RecordToVCard(const CContactRecord& record, const CCategoryList& categories,
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
    return card;
}
