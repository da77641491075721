#include "view/ExtraRows.h"
#include "model/CRecordExtras.h"
#include "model/NoCase.h"
#include "view/ExtraLines.h"
#include <algorithm>
#include <map>
#include <optional>

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// "Phone (work, cell)": the caption and the types in brackets.
struct ParsedLabel {
    std::string caption;
    std::vector<std::string> types;
};

std::string Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = kb::FoldAscii(c);
    return out;
}

// Splits at ',' and trims; empty items go.
std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        std::string item = Trim(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!item.empty())
            items.push_back(std::move(item));
        if (comma == std::string_view::npos)
            return items;
        start = comma + 1;
    }
}

ParsedLabel ParseLabel(std::string_view label) {
    const std::string trimmed = Trim(label);
    const std::size_t open = trimmed.rfind(" (");
    if (trimmed.ends_with(')') && open != std::string::npos && open > 0)
        return {Trim(std::string_view(trimmed).substr(0, open)),
                SplitList(std::string_view(trimmed).substr(open + 2, trimmed.size() - open - 3))};
    return {trimmed, {}};
}

std::string JoinEscapedList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty())
            out += ',';
        out += vcard::EscapeText(item);
    }
    return out;
}

std::string RowDate(const VCardProperty& p) {
    const std::string text = p.Text();
    const std::optional<ExtraDate> date = ParseExtraDate(text);
    return date ? WriteExtraDate(*date) : text;
}

// The value of a date row as a card writes it; text that is no date stays text.
std::string DateValue(std::string_view row) {
    const std::optional<ExtraDate> date = ParseExtraDate(row);
    return date ? WriteExtraDate(*date) : vcard::EscapeText(row);
}

bool IsOrgCaption(std::string_view caption) {
    return vcard::SameWord(caption, "Organization") || vcard::SameWord(caption, "Department") ||
           vcard::SameWord(caption, "Company");
}

// Whether a row with this caption belongs to the property (its kind cannot change in place).
bool Belongs(const VCardProperty& p, ExtraKind kind, std::string_view caption) {
    if (kind == ExtraKind::Org)
        return IsOrgCaption(caption);
    if (vcard::SameWord(ExtraCaption(p), caption))
        return true;
    const std::string name = ExtraNameFor(caption);
    return !name.empty() && name == p.name;
}

std::vector<std::string> LowerAll(std::vector<std::string> items) {
    for (std::string& item : items)
        item = Lower(item);
    return items;
}

// Sets the types of a property whose label the user changed: TYPE and bare 2.1 types that
// showed go, those no line shows (pref, voice, internet) stay, the new ones follow them.
void SetTypes(VCardProperty& p, const std::vector<std::string>& shownBefore,
              const std::vector<std::string>& types) {
    std::vector<std::string> kept;
    std::size_t at = kNone;
    std::vector<VCardParam> params;
    for (VCardParam& param : p.params) {
        if (param.name == "TYPE") {
            for (const std::string& value : param.values)
                for (std::string_view part : vcard::SplitEscaped(value, ','))
                    if (std::find(shownBefore.begin(), shownBefore.end(), Lower(part)) ==
                        shownBefore.end())
                        kept.emplace_back(part);
            if (at == kNone)
                at = params.size();
            continue;
        }
        if (param.values.empty() && std::find(shownBefore.begin(), shownBefore.end(),
                                              Lower(param.name)) != shownBefore.end()) {
            if (at == kNone)
                at = params.size();
            continue;
        }
        params.push_back(std::move(param));
    }
    for (const std::string& type : types)
        kept.push_back(type);
    if (!kept.empty()) {
        VCardParam type{"TYPE", std::move(kept)};
        params.insert(at == kNone ? params.end() : params.begin() + static_cast<long>(at),
                      std::move(type));
    }
    p.params = std::move(params);
}

VCardProperty NewProperty(const std::vector<const ExtraRow*>& rows) {
    const ParsedLabel label = ParseLabel(rows.front()->label);
    std::string name = ExtraNameFor(label.caption);
    VCardProperty p;
    if (name.empty()) {
        // A caption of no known property: X-SHOE-SIZE when that reads back as the same
        // caption and is no bookkeeping name (X-KINBOOK), else a named custom value.
        std::string candidate = "X-";
        bool plain = true;
        for (char c : label.caption) {
            const bool alnum =
                (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            plain = plain && (alnum || c == ' ' || c == '-');
            candidate += c == ' ' ? '-' : static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        p.name = candidate;
        if (!plain || ExtraCaption(p) != label.caption || KindOfExtra(p) == ExtraKind::Hidden) {
            p.name = "X-KINBOOK-COLUMN";
            p.params.push_back({"NAME", {label.caption}});
        }
    } else {
        p.name = std::move(name);
    }
    if (!label.types.empty())
        p.params.push_back({"TYPE", label.types});

    const std::string& value = rows.front()->value;
    switch (KindOfExtra(p)) {
    case ExtraKind::Date:
        p.value = DateValue(value);
        break;
    case ExtraKind::List:
        p.value = JoinEscapedList(SplitList(value));
        break;
    case ExtraKind::Groups: {
        std::vector<std::string> names;
        for (const ExtraRow* row : rows)
            for (std::string& n : SplitList(row->value))
                names.push_back(std::move(n));
        p.value = JoinEscapedList(names);
        break;
    }
    case ExtraKind::Org: {
        std::string org;
        std::string department;
        for (const ExtraRow* row : rows)
            (vcard::SameWord(ParseLabel(row->label).caption, "Department") ? department : org) =
                row->value;
        p.value = department.empty() ? vcard::EscapeText(org)
                                     : VCardProperty::Structured("ORG", {org, department}).value;
        break;
    }
    case ExtraKind::Address:
        p.value = VCardProperty::Structured("ADR", {"", "", value, "", "", "", ""}).value;
        break;
    default:
        p.value = vcard::EscapeText(value);
        break;
    }
    return p;
}

// The property with the rows the user changed written into it.
VCardProperty Rebuild(const CRecordExtras& extras, const VCardProperty& before, ExtraKind kind,
                      const std::vector<const ExtraRow*>& rows,
                      std::map<std::string, std::string>& relabel) {
    VCardProperty p = before;
    const std::string& value = rows.front()->value;
    switch (kind) {
    case ExtraKind::Org: {
        std::vector<std::string> parts = before.Components();
        parts.resize(std::max<std::size_t>(parts.size(), 1));
        std::optional<std::string> org;
        std::optional<std::string> department;
        for (const ExtraRow* row : rows)
            (vcard::SameWord(ParseLabel(row->label).caption, "Department") ? department : org) =
                row->value;
        parts[0] = org.value_or(std::string());
        const std::vector<std::string> units(parts.begin() + 1, parts.end());
        if (!department)
            parts.resize(1);
        else if (*department != JoinShown(units))
            parts = {parts[0], *department};
        p.value = parts.size() == 1 ? vcard::EscapeText(parts[0])
                                    : VCardProperty::Structured("ORG", parts).value;
        return p;
    }
    case ExtraKind::Groups:
    case ExtraKind::List: {
        std::vector<std::string> names;
        for (const ExtraRow* row : rows)
            for (std::string& n : SplitList(row->value))
                names.push_back(std::move(n));
        if (names != before.List())
            p.value = JoinEscapedList(names);
        return p;
    }
    case ExtraKind::Date:
        if (value != RowDate(before))
            p.value = DateValue(value);
        break;
    case ExtraKind::Address:
        if (value != FormatExtraAddress(before.Components()))
            p.value = VCardProperty::Structured("ADR", {"", "", value, "", "", "", ""}).value;
        break;
    default:
        if (value != before.Text())
            p.value = vcard::EscapeText(value);
        break;
    }
    const std::vector<std::string> shown = LowerAll(ShownTypes(extras, before));
    const std::vector<std::string> types = ParseLabel(rows.front()->label).types;
    if (LowerAll(types) != shown) {
        bool labelled = false;
        if (!before.group.empty())
            for (const VCardProperty& q : extras.properties)
                labelled =
                    labelled || (q.name == "X-ABLABEL" && vcard::SameWord(q.group, before.group));
        if (labelled)
            relabel[Lower(before.group)] = JoinShown(types);
        else
            SetTypes(p, LowerAll(ShownTypes(extras, before)), types);
    }
    return p;
}

} // namespace

const std::vector<std::string>& ExtraRowLabels() {
    static const std::vector<std::string> labels = {
        "Birthday", "Anniversary", "Nickname", "Organization", "Department", "Web page", "Phone",
        "E-mail",   "Address",     "Groups",   "Related",      "Note",       "Title",    "Role",
    };
    return labels;
}

bool IsDateLabel(std::string_view label) {
    const std::string name = ExtraNameFor(ParseLabel(label).caption);
    return name == "BDAY" || name == "ANNIVERSARY";
}

std::vector<ExtraRow> ExtraRowsOf(const CRecordExtras* extras) {
    std::vector<ExtraRow> rows;
    for (const ExtraLine& line : ExtraLines(extras)) {
        const VCardProperty& p = extras->properties[line.property];
        rows.push_back(
            {line.label, line.kind == ExtraKind::Date ? RowDate(p) : line.value, line.property});
    }
    return rows;
}

CRecordExtras ApplyExtraRows(const CRecordExtras* before, const std::vector<ExtraRow>& rows) {
    const CRecordExtras none;
    const CRecordExtras& b = before ? *before : none;
    const std::size_t n = b.properties.size();
    std::vector<ExtraKind> kinds;
    std::size_t firstOrg = kNone;
    std::size_t firstGroups = kNone;
    for (std::size_t i = 0; i < n; ++i) {
        kinds.push_back(KindOfExtra(b.properties[i]));
        if (kinds.back() == ExtraKind::Org && firstOrg == kNone)
            firstOrg = i;
        if (kinds.back() == ExtraKind::Groups && firstGroups == kNone)
            firstGroups = i;
    }

    // Each row to the property it changes; the organization and the groups are one property
    // each, so new rows of theirs join the one there is.
    std::vector<std::vector<const ExtraRow*>> attached(n);
    std::vector<std::vector<const ExtraRow*>> added;
    std::size_t addedOrg = kNone;
    std::size_t addedGroups = kNone;
    for (const ExtraRow& row : rows) {
        if (row.value.empty())
            continue;
        const std::string caption = ParseLabel(row.label).caption;
        const bool shown = row.source < n && kinds[row.source] != ExtraKind::Hidden &&
                           kinds[row.source] != ExtraKind::Photo;
        if (shown && Belongs(b.properties[row.source], kinds[row.source], caption)) {
            attached[row.source].push_back(&row);
            continue;
        }
        const std::string name = ExtraNameFor(caption);
        if (name != "ORG" && name != "CATEGORIES") {
            added.push_back({&row});
            continue;
        }
        // A second organization (or department) is a second ORG: it must not take the
        // place of the one there is.
        const bool department = vcard::SameWord(caption, "Department");
        const auto takes = [&](const std::vector<const ExtraRow*>& rowsOfOne) {
            if (name == "CATEGORIES")
                return true;
            for (const ExtraRow* other : rowsOfOne)
                if (vcard::SameWord(ParseLabel(other->label).caption, "Department") == department)
                    return false;
            return true;
        };
        const std::size_t first = name == "ORG" ? firstOrg : firstGroups;
        std::size_t& addedOne = name == "ORG" ? addedOrg : addedGroups;
        if (first != kNone && takes(attached[first])) {
            attached[first].push_back(&row);
        } else if (addedOne != kNone && takes(added[addedOne])) {
            added[addedOne].push_back(&row);
        } else {
            addedOne = added.size();
            added.push_back({&row});
        }
    }

    const std::vector<ExtraRow> original = ExtraRowsOf(&b);
    std::vector<bool> hadRows(n, false);
    for (const ExtraRow& row : original)
        hadRows[row.source] = true;
    CRecordExtras out;
    std::map<std::string, std::string> relabel; // group (lower case) -> its new label
    for (std::size_t i = 0; i < n; ++i) {
        const VCardProperty& p = b.properties[i];
        // What made no row (bookkeeping, the photo, an empty value) the user never saw.
        const bool unseen =
            kinds[i] == ExtraKind::Hidden || kinds[i] == ExtraKind::Photo || !hadRows[i];
        if (unseen && attached[i].empty()) {
            out.properties.push_back(p);
            continue;
        }
        if (attached[i].empty())
            continue; // every row of it removed or emptied
        std::vector<ExtraRow> now;
        for (const ExtraRow* row : attached[i])
            now.push_back({row->label, row->value, i});
        std::vector<ExtraRow> was;
        for (const ExtraRow& row : original)
            if (row.source == i)
                was.push_back(row);
        if (now == was)
            out.properties.push_back(p);
        else
            out.properties.push_back(Rebuild(b, p, kinds[i], attached[i], relabel));
    }
    for (const auto& group : added)
        out.properties.push_back(NewProperty(group));
    for (VCardProperty& p : out.properties)
        if (p.name == "X-ABLABEL")
            if (auto it = relabel.find(Lower(p.group)); it != relabel.end())
                p.value = vcard::EscapeText(it->second);
    return out;
}
