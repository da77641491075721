#include "transfer/ColumnProperties.h"
#include "model/NoCase.h"
#include <cctype>

namespace transfer {

namespace {

bool Digits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Month and day as "MM-DD" when they make a date, else empty.
std::string MonthDay(std::string_view month, std::string_view day) {
    const int m = (month[0] - '0') * 10 + (month[1] - '0');
    const int d = (day[0] - '0') * 10 + (day[1] - '0');
    if (m < 1 || m > 12 || d < 1 || d > 31)
        return {};
    return std::string(month) + "-" + std::string(day);
}

} // namespace

std::string IsoDate(std::string_view text) {
    const std::string_view t = Trimmed(text);
    if (t.size() == 10 && t[4] == '-' && t[7] == '-' && Digits(t.substr(0, 4)) &&
        Digits(t.substr(5, 2)) && Digits(t.substr(8, 2))) {
        const std::string md = MonthDay(t.substr(5, 2), t.substr(8, 2));
        return md.empty() ? md : std::string(t.substr(0, 4)) + "-" + md;
    }
    if (t.size() == 8 && Digits(t)) {
        const std::string md = MonthDay(t.substr(4, 2), t.substr(6, 2));
        return md.empty() ? md : std::string(t.substr(0, 4)) + "-" + md;
    }
    if (t.starts_with("--")) {
        const std::string_view rest = t.substr(2);
        std::string md;
        if (rest.size() == 4 && Digits(rest))
            md = MonthDay(rest.substr(0, 2), rest.substr(2, 2));
        else if (rest.size() == 5 && rest[2] == '-' && Digits(rest.substr(0, 2)) &&
                 Digits(rest.substr(3, 2)))
            md = MonthDay(rest.substr(0, 2), rest.substr(3, 2));
        return md.empty() ? md : "--" + md;
    }
    return {};
}

VCardProperty DateProperty(std::string name, std::string_view text) {
    const std::string iso = IsoDate(text);
    if (!iso.empty()) {
        VCardProperty p;
        p.name = std::move(name);
        p.value = iso;
        return p;
    }
    VCardProperty p = VCardProperty::Text(std::move(name), Trimmed(text));
    p.params.push_back({"VALUE", {"text"}});
    return p;
}

VCardProperty ColumnProperty(std::string_view label, std::string_view value) {
    VCardProperty p = VCardProperty::Text(std::string(kColumnProperty), value);
    p.params.push_back({"NAME", {std::string(label)}});
    return p;
}

std::string TypeForLabel(std::string_view label) {
    label = Trimmed(label);
    while (!label.empty() && (label.front() == '*' || label.front() == ' '))
        label.remove_prefix(1);
    std::string word;
    for (char c : label) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ' ')
            break; // "Business Address": the first word says it
        if (!std::isalnum(u) && c != '-')
            return {};
        word += kb::FoldAscii(c);
    }
    if (word == "business")
        return "work";
    if (word == "mobile" || word == "cellular")
        return "cell";
    if (word.empty() || word == "other" || word == "main" || word == "custom")
        return {};
    return word;
}

void AddType(VCardProperty& property, std::string_view type) {
    if (!type.empty())
        property.params.push_back({"TYPE", {std::string(type)}});
}

std::vector<std::string_view> SplitGroups(std::string_view value) {
    std::vector<std::string_view> names;
    auto add = [&names](std::string_view name) {
        name = Trimmed(name);
        if (!name.empty() && name[0] != '*' && !kb::StartsWithNoCase(name, "System Group:"))
            names.push_back(name);
    };
    constexpr std::string_view kSeveral = " ::: ";
    if (value.find(kSeveral) != std::string_view::npos) {
        for (std::size_t at; (at = value.find(kSeveral)) != std::string_view::npos;) {
            add(value.substr(0, at));
            value.remove_prefix(at + kSeveral.size());
        }
        add(value);
        return names;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || value[i] == ';' || value[i] == ',') {
            add(value.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

std::string ListValue(const std::vector<std::string_view>& names) {
    std::string out;
    for (std::string_view n : names) {
        if (!out.empty())
            out += ',';
        out += vcard::EscapeText(n);
    }
    return out;
}

} // namespace transfer
