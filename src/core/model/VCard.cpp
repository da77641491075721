#include "model/VCard.h"
#include "model/NoCase.h"
#include <algorithm>

namespace vcard {

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            // CR LF is one line break; a CR alone is one as well.
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UnescapeText(std::string_view value) {
    std::size_t i = value.find('\\');
    if (i == std::string_view::npos)
        return std::string(value);
    std::string out;
    out.reserve(value.size());
    out.append(value.substr(0, i));
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[++i];
        if (next == 'n' || next == 'N')
            out += "\r\n";
        else
            out += next; // \\ \, \; \: and anything a writer escaped needlessly
    }
    return out;
}

std::vector<std::string_view> SplitEscaped(std::string_view value, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == separator) {
            parts.push_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(value.substr(start));
    return parts;
}

int PrefRank(std::string_view value) noexcept {
    int n = 0;
    bool digits = !value.empty() && value.size() <= 3;
    for (std::size_t i = 0; digits && i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9')
            digits = false;
        else
            n = n * 10 + (value[i] - '0');
    }
    if (!digits)
        return 1;
    return n >= 1 && n <= 100 ? n : 0;
}

} // namespace vcard

VCardProperty VCardProperty::Text(std::string name, std::string_view text) {
    VCardProperty p;
    p.name = std::move(name);
    p.value = vcard::EscapeText(text);
    return p;
}

VCardProperty VCardProperty::Structured(std::string name, const std::vector<std::string>& parts) {
    VCardProperty p;
    p.name = std::move(name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            p.value += ';';
        p.value += vcard::EscapeText(parts[i]);
    }
    return p;
}

std::string VCardProperty::Text() const {
    return vcard::UnescapeText(value);
}

namespace {

// The value split at the unescaped separator, each part with escapes undone.
std::vector<std::string> SplitUnescaped(std::string_view value, char separator) {
    if (value.find('\\') == std::string_view::npos) {
        // Nothing escaped (most values): the parts are what stands between the separators.
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(std::count(value.begin(), value.end(), separator)) +
                    1);
        std::size_t start = 0;
        for (std::size_t at; (at = value.find(separator, start)) != std::string_view::npos;
             start = at + 1)
            out.emplace_back(value.substr(start, at - start));
        out.emplace_back(value.substr(start));
        return out;
    }
    std::size_t count = 1;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\')
            ++i;
        else if (value[i] == separator)
            ++count;
    }
    std::vector<std::string> out;
    out.reserve(count);
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == separator) {
            out.push_back(vcard::UnescapeText(value.substr(start, i - start)));
            start = i + 1;
        }
    }
    out.push_back(vcard::UnescapeText(value.substr(start)));
    return out;
}

} // namespace

std::vector<std::string> VCardProperty::Components() const {
    return SplitUnescaped(value, ';');
}

std::vector<std::string> VCardProperty::List() const {
    return SplitUnescaped(value, ',');
}

std::vector<std::string> VCardProperty::ParamValues(std::string_view param) const {
    std::vector<std::string> out;
    for (const VCardParam& p : params) {
        if (vcard::SameWord(p.name, param))
            out.insert(out.end(), p.values.begin(), p.values.end());
    }
    return out;
}

const std::string* VCardProperty::FindParamValue(std::string_view param,
                                                 std::string_view value) const {
    for (const VCardParam& p : params) {
        if (!vcard::SameWord(p.name, param))
            continue;
        for (const std::string& v : p.values) {
            if (value.empty() || vcard::SameWord(v, value))
                return &v;
        }
    }
    return nullptr;
}

bool VCardProperty::HasType(std::string_view type) const {
    return FindParamValue("TYPE", type) != nullptr;
}

int VCardProperty::Preference() const {
    int best = 0;
    for (const VCardParam& p : params) {
        if (!vcard::SameWord(p.name, "PREF"))
            continue;
        for (const std::string& v : p.values) {
            const int n = vcard::PrefRank(v);
            if (n > 0 && (best == 0 || n < best))
                best = n;
        }
    }
    if (best == 0 && HasType("pref"))
        best = 1;
    return best;
}

const VCardProperty* VCard::Find(std::string_view name) const {
    for (const VCardProperty& p : properties) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}
