#include "view/ExtraLines.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include <array>
#include <utility>

namespace {

struct KnownProperty {
    std::string_view name;
    ExtraKind kind;
    std::string_view caption;
};

constexpr std::array kKnown = {
    KnownProperty{"BDAY", ExtraKind::Date, "Birthday"},
    KnownProperty{"ANNIVERSARY", ExtraKind::Date, "Anniversary"},
    KnownProperty{"X-ANNIVERSARY", ExtraKind::Date, "Anniversary"},
    KnownProperty{"NICKNAME", ExtraKind::List, "Nickname"},
    KnownProperty{"ORG", ExtraKind::Org, "Organization"},
    KnownProperty{"URL", ExtraKind::Text, "Web page"},
    KnownProperty{"TEL", ExtraKind::Item, "Phone"},
    KnownProperty{"EMAIL", ExtraKind::Item, "E-mail"},
    KnownProperty{"IMPP", ExtraKind::Item, "Chat"},
    KnownProperty{"ADR", ExtraKind::Address, "Address"},
    KnownProperty{"RELATED", ExtraKind::Text, "Related"},
    KnownProperty{"CATEGORIES", ExtraKind::Groups, "Groups"},
    KnownProperty{"NOTE", ExtraKind::Note, "Note"},
    KnownProperty{"TITLE", ExtraKind::Text, "Title"},
    KnownProperty{"ROLE", ExtraKind::Text, "Role"},
    KnownProperty{"GENDER", ExtraKind::Text, "Gender"},
    KnownProperty{"LANG", ExtraKind::Text, "Language"},
    KnownProperty{"TZ", ExtraKind::Text, "Time zone"},
    KnownProperty{"GEO", ExtraKind::Text, "Location"},
    KnownProperty{"PHOTO", ExtraKind::Photo, "Photo"},
};

// Bookkeeping of cards and of the program itself, and what only labels another property.
constexpr std::array<std::string_view, 17> kHidden = {
    "UID",    "REV",    "PRODID",  "VERSION",   "FN",          "N",
    "KIND",   "SOURCE", "NAME",    "PROFILE",   "CLASS",       "SORT-STRING",
    "MAILER", "LABEL",  "X-ABUID", "X-ABLABEL", "CLIENTPIDMAP"};

// Types nearly every card repeats, which say nothing to the reader, and the bare encoding
// words of 2.1 cards, which are no types at all.
constexpr std::array<std::string_view, 8> kQuietTypes = {
    "pref", "voice", "internet", "quoted-printable", "base64", "b", "8bit", "7bit"};

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

const KnownProperty* Known(std::string_view name) {
    for (const KnownProperty& k : kKnown)
        if (k.name == name)
            return &k;
    return nullptr;
}

bool IsHiddenName(std::string_view name) {
    for (std::string_view h : kHidden)
        if (h == name)
            return true;
    // The program's own properties (the twin number) are bookkeeping; a delimited column
    // kept as it came is the user's.
    return name.starts_with("X-KINBOOK") && name != "X-KINBOOK-COLUMN";
}

bool Digits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int Number(std::string_view digits) {
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

// A label the card gave in "_$!<HomePage>!$_" form reads "HomePage".
std::string PlainLabel(std::string text) {
    if (text.starts_with("_$!<") && text.ends_with(">!$_") && text.size() >= 8)
        text = text.substr(4, text.size() - 8);
    return text;
}

// Line breaks inside one component read as ", " on the address's one line.
std::string OneLine(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ", ";
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

ExtraKind KindOfExtra(const VCardProperty& p) {
    if (p.held || IsHiddenName(p.name))
        return ExtraKind::Hidden;
    const KnownProperty* known = Known(p.name);
    if (known && known->kind == ExtraKind::Photo)
        return ExtraKind::Photo;
    if (p.binary)
        return ExtraKind::Hidden;
    return known ? known->kind : ExtraKind::Text;
}

std::string ExtraCaption(const VCardProperty& p) {
    if (const KnownProperty* known = Known(p.name))
        return std::string(known->caption);
    if (p.name == "X-KINBOOK-COLUMN") {
        const std::vector<std::string> names = p.ParamValues("NAME");
        if (!names.empty() && !names.front().empty())
            return names.front();
    }
    // X-SKYPE-NAME reads "Skype name".
    std::string_view name = p.name;
    if (name.starts_with("X-"))
        name.remove_prefix(2);
    std::string caption = Lower(name);
    for (char& c : caption)
        if (c == '-' || c == '_')
            c = ' ';
    if (!caption.empty() && caption[0] >= 'a' && caption[0] <= 'z')
        caption[0] = static_cast<char>(caption[0] - 'a' + 'A');
    return caption.empty() ? p.name : caption;
}

std::string ExtraNameFor(std::string_view caption) {
    // A few other words people use for the same things.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kAliases = {{
        {"Email", "EMAIL"},
        {"Website", "URL"},
        {"Web site", "URL"},
        {"Group", "CATEGORIES"},
        {"Company", "ORG"},
    }};
    for (const KnownProperty& k : kKnown)
        if (k.kind != ExtraKind::Photo && vcard::SameWord(k.caption, caption))
            return std::string(k.name);
    for (const auto& [alias, name] : kAliases)
        if (vcard::SameWord(alias, caption))
            return std::string(name);
    if (vcard::SameWord(caption, "Department"))
        return "ORG";
    return {};
}

std::vector<std::string> ShownTypes(const CRecordExtras& extras, const VCardProperty& p) {
    if (!p.group.empty()) {
        for (const VCardProperty& label : extras.properties) {
            if (label.name == "X-ABLABEL" && vcard::SameWord(label.group, p.group)) {
                std::string text = PlainLabel(label.Text());
                if (!text.empty())
                    return {text};
            }
        }
    }
    std::vector<std::string> types;
    const auto add = [&types](std::string_view type) {
        std::string t = Lower(type);
        if (t.empty())
            return;
        for (std::string_view quiet : kQuietTypes)
            if (t == quiet)
                return;
        for (const std::string& seen : types)
            if (seen == t)
                return;
        types.push_back(std::move(t));
    };
    for (const VCardParam& param : p.params) {
        if (param.name == "TYPE") {
            for (const std::string& value : param.values)
                for (std::string_view part : vcard::SplitEscaped(value, ','))
                    add(part);
        } else if (param.values.empty() && param.name != "PREF") {
            add(param.name); // TEL;WORK;VOICE: a 2.1 card names its types bare
        }
    }
    return types;
}

std::vector<ExtraLine> ExtraLines(const CRecordExtras* extras) {
    std::vector<ExtraLine> lines;
    if (!extras)
        return lines;
    for (std::size_t i = 0; i < extras->properties.size(); ++i) {
        const VCardProperty& p = extras->properties[i];
        const ExtraKind kind = KindOfExtra(p);
        const auto add = [&](std::string label, std::string value, int part = 0) {
            if (!value.empty())
                lines.push_back({std::move(label), std::move(value), kind, i, part});
        };
        switch (kind) {
        case ExtraKind::Hidden:
        case ExtraKind::Photo:
            break;
        case ExtraKind::Org: {
            const std::vector<std::string> parts = p.Components();
            add("Organization", parts.empty() ? std::string() : parts[0]);
            std::vector<std::string> units;
            if (parts.size() > 1)
                units.assign(parts.begin() + 1, parts.end());
            add("Department", JoinShown(units), 1);
            break;
        }
        case ExtraKind::Date:
            add(ExtraCaption(p), FormatExtraDate(p.Text()));
            break;
        case ExtraKind::List:
        case ExtraKind::Groups:
            add(ExtraCaption(p), JoinShown(p.List()));
            break;
        case ExtraKind::Address:
        case ExtraKind::Item:
        case ExtraKind::Text:
        case ExtraKind::Note: {
            std::string label = ExtraCaption(p);
            const std::vector<std::string> types = ShownTypes(*extras, p);
            if (!types.empty())
                label += " (" + JoinShown(types) + ")";
            add(std::move(label),
                kind == ExtraKind::Address ? FormatExtraAddress(p.Components()) : p.Text());
            break;
        }
        }
    }
    return lines;
}

std::string ExtraLinesText(const CRecordExtras* extras) {
    std::string text;
    for (const ExtraLine& line : ExtraLines(extras)) {
        text += line.label;
        text += ": ";
        text += line.value;
        text += "\r\n";
    }
    return text;
}

std::optional<ExtraDate> ParseExtraDate(std::string_view value) {
    if (const std::size_t t = value.find('T'); t != std::string_view::npos)
        value = value.substr(0, t);
    ExtraDate date;
    // --MMDD and --MM-DD have no year; otherwise YYYYMMDD or YYYY-MM-DD.
    const bool noYear = value.starts_with("--");
    if (noYear)
        value.remove_prefix(2);
    std::string compact(value);
    if (!noYear && value.size() == 10 && value[4] == '-' && value[7] == '-')
        compact = std::string(value.substr(0, 4)) + std::string(value.substr(5, 2)) +
                  std::string(value.substr(8));
    else if (noYear && value.size() == 5 && value[2] == '-')
        compact = std::string(value.substr(0, 2)) + std::string(value.substr(3));
    if (compact.size() != (noYear ? 4u : 8u))
        return std::nullopt;
    if (!Digits(compact))
        return std::nullopt;
    if (!noYear) {
        date.year = Number(std::string_view(compact).substr(0, 4));
        compact = compact.substr(4);
        if (date.year == 0)
            return std::nullopt;
    }
    date.month = Number(std::string_view(compact).substr(0, 2));
    date.day = Number(std::string_view(compact).substr(2, 2));
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > kDays[date.month - 1])
        return std::nullopt;
    const bool leap =
        date.year == 0 || (date.year % 4 == 0 && (date.year % 100 != 0 || date.year % 400 == 0));
    if (date.month == 2 && date.day == 29 && !leap)
        return std::nullopt;
    return date;
}

std::string WriteExtraDate(const ExtraDate& d) {
    const auto two = [](int n) {
        return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
    };
    std::string out;
    if (d.year > 0)
        out = two(d.year / 100) + two(d.year % 100);
    else
        out = "-";
    return out + "-" + two(d.month) + "-" + two(d.day);
}

std::string FormatExtraDate(std::string_view value) {
    const std::optional<ExtraDate> date = ParseExtraDate(value);
    if (!date)
        return std::string(value);
    std::string out = std::to_string(date->day) + " " +
                      std::string(kMonths[static_cast<std::size_t>(date->month - 1)]);
    if (date->year > 0)
        out += " " + std::to_string(date->year);
    return out;
}

std::string FormatExtraAddress(const std::vector<std::string>& c) {
    const auto at = [&c](std::size_t i) { return i < c.size() ? OneLine(c[i]) : std::string(); };
    std::string place = at(3);
    const std::string region = at(4);
    if (!region.empty())
        place += place.empty() ? region : ", " + region;
    const std::string code = at(5);
    if (!code.empty())
        place += place.empty() ? code : " " + code;
    return JoinShown({at(2), at(1), at(0), place, at(6)});
}

std::string JoinShown(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (item.empty())
            continue;
        if (!out.empty())
            out += ", ";
        out += item;
    }
    return out;
}
