#include "transfer/ImportProcedure.h"
#include "edit/CRecordFiler.h"
#include "model/CCategoryList.h"
#include "model/CRecordExtras.h"
#include "model/FieldVocabulary.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/IProgress.h"
#include "transfer/CDelimitedReader.h"
#include "transfer/CImportFiler.h"
#include "transfer/ColumnProperties.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>

namespace {

using transfer::ColumnRole;

constexpr std::string_view kSeveral = " ::: ";

// For the room made ahead of an import whose records were not counted: a line of a
// typical export, and the most records to make room for at once.
constexpr std::uint64_t kGuessedLineBytes = 160;
constexpr std::size_t kMostExpected = 1 << 20;

// The TYPE of a phone kept beyond the record's items, by label code.
constexpr std::array<std::string_view, 7> kPhoneType = {"home", "work", "cell", "pager",
                                                        "fax",  "",     ""};

// Values that mean "nothing" in other programs' exports.
bool IsEmptyMarker(std::string_view v) {
    return v.empty() || v == "0/0/00" || kb::EqualsNoCase(v, "Unspecified");
}

// Where the mark of several values first stands in v, or npos. Most values hold no colon,
// so the search goes from colon to colon.
std::size_t FindSeveral(std::string_view v) {
    for (std::size_t colon = v.find(':'); colon != std::string_view::npos;
         colon = v.find(':', colon + 1)) {
        if (colon > 0 && v.substr(colon - 1, kSeveral.size()) == kSeveral)
            return colon - 1;
    }
    return std::string_view::npos;
}

// The first of several values and the rest after the mark (empty when there is no mark).
std::string_view TakePart(std::string_view& v, bool& more) {
    const std::size_t at = FindSeveral(v);
    const std::string_view part = v.substr(0, at);
    more = at != std::string_view::npos;
    v.remove_prefix(more ? at + kSeveral.size() : v.size());
    return part;
}

std::vector<std::string_view> SplitSeveral(std::string_view v) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = FindSeveral(v);
        parts.push_back(v.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        v.remove_prefix(at + kSeveral.size());
    }
}

// Multi-line values keep CR LF in the book.
void AssignWithCrLf(std::string& out, std::string_view v) {
    if (v.find('\n') == std::string_view::npos) {
        out.assign(v);
        return;
    }
    out.clear();
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\n' && (i == 0 || v[i - 1] != '\r'))
            out += '\r';
        out += v[i];
    }
}

std::string WithCrLf(std::string_view v) {
    std::string out;
    AssignWithCrLf(out, v);
    return out;
}

// One text of the record a line builds: the line's value itself while it is taken as it
// stands (most are), its own string once it is made of anything else.
class DraftText {
public:
    std::string_view View() const { return m_bOwned ? std::string_view(m_own) : m_view; }
    operator std::string_view() const { return View(); }
    bool empty() const { return View().empty(); }
    // The value as it stands; it must last until the record is made (the line's values do).
    void Borrow(std::string_view v) {
        m_view = v;
        m_bOwned = false;
    }
    DraftText& operator=(std::string_view v) {
        m_own.assign(v);
        m_bOwned = true;
        return *this;
    }
    // The text as a string of its own, to change.
    std::string& Own() {
        if (!m_bOwned) {
            m_own.assign(m_view);
            m_bOwned = true;
        }
        return m_own;
    }
    // An empty string of its own, to fill.
    std::string& Fresh() {
        m_own.clear();
        m_bOwned = true;
        return m_own;
    }
    void Clear() { Borrow({}); }
    void swap(DraftText& other) noexcept {
        std::swap(m_view, other.m_view);
        m_own.swap(other.m_own);
        std::swap(m_bOwned, other.m_bOwned);
    }

private:
    std::string_view m_view;
    std::string m_own; // kept from line to line for its storage
    bool m_bOwned = false;
};

void AppendLine(std::string& text, std::string_view line) {
    if (!text.empty())
        text += "\r\n";
    text.append(line);
}

void AppendLine(DraftText& text, std::string_view line) {
    AppendLine(text.Own(), line);
}

// A record as one line builds it: its texts, put into the record's block at once at its
// exact size. The names are the record's, so the line's rules read the same.
struct Draft {
    static constexpr std::size_t At(RecordField f) { return static_cast<std::size_t>(f); }
    std::array<DraftText, kTextFieldCount> text; // in the record's order
    DraftText& m_strFirstName = text[At(RecordField::FirstName)];
    DraftText& m_strLastName = text[At(RecordField::LastName)];
    DraftText& m_strTitle = text[At(RecordField::Title)];
    DraftText& m_strOtherRef = text[At(RecordField::OtherRef)];
    std::span<DraftText, CContactRecord::kItemCount> m_strItem{text.data() + At(RecordField::Item1),
                                                               CContactRecord::kItemCount};
    DraftText& m_strAddress = text[At(RecordField::Address)];
    DraftText& m_strCity = text[At(RecordField::City)];
    DraftText& m_strState = text[At(RecordField::State)];
    DraftText& m_strZip = text[At(RecordField::Zip)];
    DraftText& m_strCountry = text[At(RecordField::Country)];
    std::span<DraftText, CContactRecord::kOtherInfoCount> m_strOtherInfo{
        text.data() + At(RecordField::OtherInfo1), CContactRecord::kOtherInfoCount};
    DraftText& m_strNotes = text[At(RecordField::Notes)];
    std::uint16_t m_nCategory = CContactRecord::kDefaultCategory;
    std::array<std::uint8_t, CContactRecord::kItemCount> m_nItemLabel{};

    Draft() { Clear(); }
    Draft(const Draft&) = delete;
    Draft& operator=(const Draft&) = delete;

    void Clear() {
        for (DraftText& t : text)
            t.Clear();
        m_nCategory = CContactRecord::kDefaultCategory;
        m_nItemLabel.fill(LABEL_NONE);
    }
    // The text of a plain text field.
    DraftText& Text(Field field) { return text[At(RecordFieldOf(field))]; }

    std::unique_ptr<CContactRecord> Make() const {
        auto record = std::make_unique<CContactRecord>();
        std::array<std::string_view, kTextFieldCount> views;
        for (std::size_t f = 0; f < views.size(); ++f)
            views[f] = text[f].View();
        record->SetTexts(views);
        record->m_nCategory = m_nCategory;
        record->m_nItemLabel = m_nItemLabel;
        return record;
    }
};

// Every word of the display name is one of the record's names: nothing to keep.
bool DerivedFromNames(std::string_view display, const Draft& r, std::string_view middle) {
    std::string names;
    for (std::string_view part : {r.m_strFirstName.View(), middle, r.m_strLastName.View()}) {
        names += part;
        names += ' ';
    }
    for (char& c : names)
        c = kb::FoldAscii(c);
    std::size_t i = 0;
    while (i < display.size()) {
        while (i < display.size() && (display[i] == ' ' || display[i] == ','))
            ++i;
        std::size_t j = i;
        while (j < display.size() && display[j] != ' ' && display[j] != ',')
            ++j;
        if (j > i) {
            std::string word(display.substr(i, j - i));
            for (char& c : word)
                c = kb::FoldAscii(c);
            if (names.find(word) == std::string::npos)
                return false;
        }
        i = j;
    }
    return true;
}

struct AddressGroup {
    std::string street, city, state, zip, country;
    std::string formatted; // the whole address, for when no part is given
    bool Empty() const {
        return street.empty() && city.empty() && state.empty() && zip.empty() && country.empty();
    }
};

// The roles of the columns and what each needs from the header.
struct ColumnPlan {
    std::vector<ColumnRole> roles;
    // The column that labels a value column ("Phone 1 - Type" or "- Label" beside
    // "Phone 1 - Value"), or -1.
    std::vector<int> typeColumn;
    std::vector<std::uint8_t> itemLabel; // the label of an item field's column, or LABEL_NONE
    std::array<std::string, transfer::kAddressGroups> groupLabel; // "Business Address"
    std::array<int, transfer::kAddressGroups> groupLabelColumn;   // "Address 2 - Label", or -1
    std::string displayHeader = "Display Name";
};

// The column of the header named like header[c] with its last word replaced, or -1.
int SiblingColumn(const std::vector<std::string>& header, std::size_t c, std::string_view last,
                  std::initializer_list<std::string_view> replacements) {
    const std::string_view name = header[c];
    if (name.size() < last.size() ||
        !kb::EqualsNoCase(name.substr(name.size() - last.size()), last))
        return -1;
    const std::string_view stem = name.substr(0, name.size() - last.size());
    for (std::string_view r : replacements) {
        for (std::size_t k = 0; k < header.size(); ++k) {
            const std::string_view h = header[k];
            if (h.size() == stem.size() + r.size() && kb::StartsWithNoCase(h, stem) &&
                kb::EqualsNoCase(h.substr(stem.size()), r))
                return static_cast<int>(k);
        }
    }
    return -1;
}

std::string GroupLabel(std::string_view streetHeader, int group) {
    std::string h(streetHeader);
    if (h.empty())
        return "Address " + std::to_string(group);
    for (std::string_view cut : {std::string_view(" - Street"), std::string_view(" Street")}) {
        if (h.size() > cut.size() &&
            kb::EqualsNoCase(std::string_view(h).substr(h.size() - cut.size()), cut)) {
            h.resize(h.size() - cut.size());
            return cut == " Street" ? h + " Address" : h;
        }
    }
    return h;
}

ColumnPlan PlanColumns(const ImportOptions& o, IMessageBox& box) {
    ColumnPlan plan;
    const std::vector<std::string>& header = o.format.firstRecord;
    const bool named = o.format.hasHeader;
    for (const std::string& row : o.rowNames) {
        ColumnRole role = transfer::ParseRowName(row);
        if (role.kind == ColumnRole::Kind::Invalid) {
            box.Show("Invalid Category.", kAppTitle, MbIcon::None, MbButtons::Ok);
            role.kind = ColumnRole::Kind::Skip;
        }
        plan.roles.push_back(std::move(role));
    }
    plan.typeColumn.assign(plan.roles.size(), -1);
    plan.groupLabelColumn.fill(-1);
    for (const ColumnRole& role : plan.roles)
        plan.itemLabel.push_back(role.kind == ColumnRole::Kind::Field
                                     ? transfer::ItemLabelOf(role.field)
                                     : std::uint8_t{LABEL_NONE});
    for (std::size_t c = 0; c < plan.roles.size(); ++c) {
        const ColumnRole& role = plan.roles[c];
        if (!named || c >= header.size())
            continue;
        // "Phone 1 - Value" takes its label from "Phone 1 - Type" or "Phone 1 - Label".
        plan.typeColumn[c] = SiblingColumn(header, c, "Value", {"Type", "Label"});
        if (role.kind == ColumnRole::Kind::DisplayName)
            plan.displayHeader = header[c];
        if (role.kind == ColumnRole::Kind::AddressPart &&
            role.part != ColumnRole::Part::StreetMore && role.part != ColumnRole::Part::Formatted)
            if (const int label = SiblingColumn(header, c,
                                                role.part == ColumnRole::Part::Street  ? "Street"
                                                : role.part == ColumnRole::Part::City  ? "City"
                                                : role.part == ColumnRole::Part::State ? "Region"
                                                : role.part == ColumnRole::Part::Zip ? "Postal Code"
                                                                                     : "Country",
                                                {"Label", "Type"});
                label >= 0)
                plan.groupLabelColumn[static_cast<std::size_t>(role.group - 1)] = label;
        if (role.kind == ColumnRole::Kind::AddressPart && role.part == ColumnRole::Part::Street)
            plan.groupLabel[static_cast<std::size_t>(role.group - 1)] =
                GroupLabel(header[c], role.group);
    }
    for (int g = 1; g < transfer::kAddressGroups; ++g) {
        if (plan.groupLabel[static_cast<std::size_t>(g)].empty())
            plan.groupLabel[static_cast<std::size_t>(g)] = "Address " + std::to_string(g + 1);
    }
    return plan;
}

// Builds one record per line and files it.
class RecordBuilder {
public:
    RecordBuilder(ColumnPlan plan, CImportFiler& filer, const CCategoryList& categories)
        : m_plan(std::move(plan)), m_filer(filer), m_categories(categories) {
        valued.resize(m_plan.roles.size());
        for (std::size_t c = 0; c < m_plan.roles.size(); ++c) {
            const ColumnRole& role = m_plan.roles[c];
            if (role.kind == ColumnRole::Kind::Skip)
                m_skipped.push_back(c);
            if (role.kind == ColumnRole::Kind::AddressPart)
                m_nGroups = std::max(m_nGroups, static_cast<std::size_t>(role.group));
        }
    }

    bool OnRecord(std::span<const std::string_view> fields) {
        // Only the columns no row takes are watched for values.
        for (const std::size_t c : m_skipped) {
            if (c < fields.size() && !fields[c].empty())
                valued[c] = true;
        }
        for (std::size_t c = valued.size(); c < fields.size(); ++c) {
            if (!fields[c].empty()) {
                valued.resize(c + 1);
                valued[c] = true;
            }
        }
        m_filer.FileNext(Build(fields));
        return m_filer.Step();
    }

    // Per column no row takes: whether a line held a value there.
    std::vector<bool> valued;

private:
    struct Line {
        int nextItem = 0;
        std::vector<VCardProperty> kept; // what no field holds, for the extras
        std::string company, department, display, middle;
        std::array<std::string, 3> birth; // year, month, day
        bool hasCategory = false;
        std::string category;
        std::vector<std::string_view> moreGroups; // from a "Groups" column
        std::array<AddressGroup, transfer::kAddressGroups> groups;
        std::string firstStreetMore;

        // Empties every part, keeping the strings' storage for the next line; only the
        // first `addresses` address groups can have been filled.
        void Clear(std::size_t addresses) {
            nextItem = 0;
            kept.clear();
            company.clear();
            department.clear();
            display.clear();
            middle.clear();
            for (std::string& part : birth)
                part.clear();
            hasCategory = false;
            category.clear();
            moreGroups.clear();
            for (std::size_t i = 0; i < addresses; ++i) {
                AddressGroup& g = groups[i];
                for (std::string* part :
                     {&g.street, &g.city, &g.state, &g.zip, &g.country, &g.formatted})
                    part->clear();
            }
            firstStreetMore.clear();
        }
    };

    // Items past the seventh are kept as TEL or EMAIL properties; type is the label the
    // file gave the value ("Home"), if any.
    void AddItem(Draft& r, Line& line, std::string_view v, std::uint8_t label,
                 std::string_view type = {}) {
        for (bool more = true; more;) {
            const std::string_view part = TakePart(v, more);
            if (part.empty())
                continue;
            if (line.nextItem < CContactRecord::kItemCount) {
                const auto i = static_cast<std::size_t>(line.nextItem++);
                r.m_strItem[i].Borrow(part);
                r.m_nItemLabel[i] = label;
                continue;
            }
            const bool email = label == LABEL_EMAIL;
            VCardProperty p = VCardProperty::Text(email ? "EMAIL" : "TEL", part);
            transfer::AddType(p, email                       ? transfer::TypeForLabel(type)
                                 : label < kPhoneType.size() ? kPhoneType[label]
                                                             : std::string_view());
            line.kept.push_back(std::move(p));
        }
    }

    // The label column's text for a value column, or empty.
    std::string_view TypeText(std::span<const std::string_view> fields, std::size_t column) const {
        const int tc = m_plan.typeColumn[column];
        return tc >= 0 && static_cast<std::size_t>(tc) < fields.size()
                   ? fields[static_cast<std::size_t>(tc)]
                   : std::string_view();
    }

    // A kept column's value, one property for each of several values (" ::: "), each with
    // the label given beside it.
    void Keep(Line& line, ColumnRole::Kept kept, std::string_view v, std::string_view labels) {
        using K = ColumnRole::Kept;
        switch (kept) {
        case K::Birthday:
        case K::Anniversary:
            line.kept.push_back(
                transfer::DateProperty(kept == K::Birthday ? "BDAY" : "ANNIVERSARY", v));
            return;
        case K::Nickname:
            line.kept.push_back(VCardProperty::Text("NICKNAME", v));
            return;
        case K::Department:
            line.department = v;
            return;
        case K::Groups:
            for (std::string_view g : transfer::SplitGroups(v))
                line.moreGroups.push_back(g);
            return;
        default:
            break;
        }
        const std::vector<std::string_view> values = SplitSeveral(v);
        const std::vector<std::string_view> types = SplitSeveral(labels);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string_view value = values[i];
            const std::string_view label = types.size() == values.size() ? types[i] : types[0];
            if (value.empty())
                continue;
            if (kept == K::WebPage) {
                VCardProperty p = VCardProperty::Text("URL", value);
                transfer::AddType(p, transfer::TypeForLabel(label));
                line.kept.push_back(std::move(p));
            } else if (kept == K::Relation) {
                VCardProperty p = VCardProperty::Text("RELATED", value);
                p.params.push_back({"VALUE", {"text"}});
                transfer::AddType(p, transfer::TypeForLabel(label));
                line.kept.push_back(std::move(p));
            } else if (kept == K::Event && kb::EqualsNoCase(label, "Anniversary")) {
                line.kept.push_back(transfer::DateProperty("ANNIVERSARY", value));
            } else {
                const std::string_view fallback = kept == K::Event ? "Event" : "Custom Field";
                line.kept.push_back(
                    transfer::ColumnProperty(label.empty() ? fallback : label, value));
            }
        }
    }

    void Store(Draft& r, Line& line, const ColumnRole& role, std::string_view v,
               std::span<const std::string_view> fields, std::size_t column) {
        switch (role.kind) {
        case ColumnRole::Kind::Field: {
            if (role.field == Field::Category) {
                line.hasCategory = true;
                line.category = v;
                return;
            }
            const std::uint8_t label = m_plan.itemLabel[column];
            if (label != LABEL_NONE) {
                AddItem(r, line, v, label, TypeText(fields, column));
                return;
            }
            DraftText& member = r.Text(role.field);
            // Multi-line values keep CR LF in the book.
            if ((role.field == Field::Notes || role.field == Field::Address) &&
                v.find('\n') != std::string_view::npos)
                AssignWithCrLf(member.Fresh(), v);
            else
                member.Borrow(v);
            return;
        }
        case ColumnRole::Kind::PhoneByType: {
            const std::vector<std::string_view> values = SplitSeveral(v);
            const std::vector<std::string_view> types = SplitSeveral(TypeText(fields, column));
            for (std::size_t i = 0; i < values.size(); ++i) {
                const std::string_view type = types.size() == values.size() ? types[i] : types[0];
                AddItem(r, line, values[i], transfer::LabelForType(type), type);
            }
            return;
        }
        case ColumnRole::Kind::Company:
            line.company = v;
            return;
        case ColumnRole::Kind::DisplayName:
            line.display = v;
            return;
        case ColumnRole::Kind::MiddleName:
            line.middle = v;
            return;
        case ColumnRole::Kind::AddressPart: {
            AddressGroup& g = line.groups[static_cast<std::size_t>(role.group - 1)];
            if (role.part == ColumnRole::Part::Formatted) {
                g.formatted = v;
                return;
            }
            if (role.group == 1) { // only "Address (more)" comes here besides
                if (!v.empty())
                    AppendLine(line.firstStreetMore, v);
                return;
            }
            switch (role.part) {
            case ColumnRole::Part::Street:
                g.street = WithCrLf(v) + g.street;
                break;
            case ColumnRole::Part::StreetMore:
                if (!v.empty()) {
                    g.street += "\r\n";
                    g.street += v;
                }
                break;
            case ColumnRole::Part::City:
                g.city = v;
                break;
            case ColumnRole::Part::State:
                g.state = v;
                break;
            case ColumnRole::Part::Zip:
                g.zip = v;
                break;
            case ColumnRole::Part::Country:
                g.country = v;
                break;
            case ColumnRole::Part::Formatted:
                break;
            }
            return;
        }
        case ColumnRole::Kind::BirthPart:
            line.birth[static_cast<std::size_t>(role.group)] = v;
            return;
        case ColumnRole::Kind::Extra:
            if (!IsEmptyMarker(v))
                line.kept.push_back(transfer::ColumnProperty(role.label, v));
            return;
        case ColumnRole::Kind::Kept:
            if (!IsEmptyMarker(v))
                Keep(line, role.kept, v, TypeText(fields, column));
            return;
        default:
            return;
        }
    }

    std::unique_ptr<CContactRecord> Build(std::span<const std::string_view> fields) {
        // One line's parts and record, reused from line to line.
        Draft& r = m_draft;
        r.Clear();
        Line& line = m_line;
        line.Clear(m_nGroups);
        const std::size_t n = std::min(fields.size(), m_plan.roles.size());
        for (std::size_t c = 0; c < n; ++c)
            Store(r, line, m_plan.roles[c], fields[c], fields, c);
        Finish(r, line, fields);
        std::unique_ptr<CContactRecord> record = r.Make();
        if (!line.kept.empty())
            record->EditExtras().properties = std::move(line.kept);
        return record;
    }

    void Finish(Draft& r, Line& line, std::span<const std::string_view> fields) {
        // Addresses: the first one that holds anything goes to the address fields.
        if (!line.firstStreetMore.empty())
            AppendLine(r.m_strAddress, line.firstStreetMore);
        bool placed = !(r.m_strAddress.empty() && r.m_strCity.empty() && r.m_strState.empty() &&
                        r.m_strZip.empty() && r.m_strCountry.empty());
        if (!placed && !line.groups[0].formatted.empty()) {
            AssignWithCrLf(r.m_strAddress.Fresh(), line.groups[0].formatted);
            placed = true;
        }
        for (std::size_t g = 1; g < m_nGroups; ++g) {
            AddressGroup& a = line.groups[g];
            // A group whose street came only as further lines starts with a line end.
            if (a.street.rfind("\r\n", 0) == 0)
                a.street.erase(0, 2);
            if (a.Empty() && !a.formatted.empty())
                a.street = WithCrLf(a.formatted);
            if (a.Empty())
                continue;
            if (!placed) {
                r.m_strAddress = a.street;
                r.m_strCity = a.city;
                r.m_strState = a.state;
                r.m_strZip = a.zip;
                r.m_strCountry = a.country;
                placed = true;
            } else {
                VCardProperty adr = VCardProperty::Structured(
                    "ADR", {"", "", a.street, a.city, a.state, a.zip, a.country});
                const int lc = m_plan.groupLabelColumn[g];
                const std::string_view label =
                    lc >= 0 && static_cast<std::size_t>(lc) < fields.size()
                        ? fields[static_cast<std::size_t>(lc)]
                        : std::string_view(m_plan.groupLabel[g]);
                transfer::AddType(adr, transfer::TypeForLabel(label));
                line.kept.push_back(std::move(adr));
            }
        }

        if (!line.birth[0].empty() || !line.birth[1].empty() || !line.birth[2].empty()) {
            auto two = [](const std::string& v) { return v.size() == 1 ? "0" + v : v; };
            std::string date;
            if (!line.birth[1].empty() && !line.birth[2].empty())
                date = (line.birth[0].empty() ? "-" : line.birth[0]) + "-" + two(line.birth[1]) +
                       "-" + two(line.birth[2]);
            else // part of a date: kept as text
                for (const std::string& part : line.birth)
                    date += (date.empty() || part.empty() ? "" : "-") + part;
            line.kept.push_back(transfer::DateProperty("BDAY", date));
        }

        if (!line.middle.empty()) {
            if (r.m_strFirstName.empty()) {
                r.m_strFirstName = line.middle;
            } else {
                std::string& first = r.m_strFirstName.Own();
                first += ' ';
                first += line.middle;
            }
        }

        bool displayUsed = false;
        if (r.m_strLastName.empty()) {
            if (!r.m_strFirstName.empty()) {
                r.m_strLastName.swap(r.m_strFirstName);
            } else if (!r.m_strOtherRef.empty()) {
                r.m_strLastName.swap(r.m_strOtherRef);
            } else if (!line.display.empty()) {
                r.m_strLastName = line.display;
                displayUsed = true;
            } else if (!line.company.empty()) {
                r.m_strLastName = line.company;
            } else {
                r.m_strLastName = "Unnamed";
            }
        }
        // The organization is kept even when the record is filed under it.
        if (!line.company.empty() || !line.department.empty()) {
            std::vector<std::string> org{line.company};
            if (!line.department.empty())
                org.push_back(line.department);
            line.kept.push_back(VCardProperty::Structured("ORG", org));
        }
        if (!displayUsed && !line.display.empty() &&
            !DerivedFromNames(line.display, r, line.middle) &&
            !kb::EqualsNoCase(line.display, line.company))
            line.kept.insert(line.kept.begin(),
                             transfer::ColumnProperty(m_plan.displayHeader, line.display));

        // The record is filed under the first group that is or can become a category; the
        // others are its further groups.
        const Filed* filed = nullptr;
        if (line.hasCategory) {
            filed = &CategoryIndex(line.category);
            r.m_nCategory = filed->index;
        } else if (const auto fallback = m_filer.DefaultCategory()) {
            r.m_nCategory = *fallback;
        }
        if (!line.moreGroups.empty() || (filed && !filed->further.empty())) {
            std::vector<std::string_view> further;
            if (filed)
                further = filed->further;
            for (std::string_view g : line.moreGroups) {
                const bool known = std::any_of(further.begin(), further.end(),
                                               [&](auto f) { return kb::EqualsNoCase(f, g); });
                if (!known && !kb::EqualsNoCase(g, m_categories.NameOf(r.m_nCategory)))
                    further.push_back(g);
            }
            if (!further.empty()) {
                VCardProperty p;
                p.name = "CATEGORIES";
                p.value = transfer::ListValue(further);
                line.kept.push_back(std::move(p));
            }
        }
    }

    // Where a groups value files a record, and the groups it names besides (views into the
    // key, which the map keeps in place).
    struct Filed {
        std::uint16_t index = 0;
        std::vector<std::string_view> further;
    };

    // Categories are only added during an import, so a value always files the same way; most
    // lines repeat a few values.
    const Filed& CategoryIndex(const std::string& value) {
        const auto known = m_categoryOf.find(value);
        if (known != m_categoryOf.end())
            return known->second;
        auto [at, added] = m_categoryOf.emplace(value, Filed{});
        Filed& filed = at->second;
        // A category of the book is found by its whole name, commas and all (as this
        // program's own export writes it).
        if (const std::uint16_t whole = m_categories.IndexOf(value); whole != 0) {
            filed.index = whole;
            return filed;
        }
        std::vector<std::string_view> names = transfer::SplitGroups(at->first);
        filed.index = m_filer.CategoryFor(names);
        const std::string_view chosen = m_categories.NameOf(filed.index);
        bool dropped = false;
        for (std::string_view n : names) {
            if (!dropped && kb::EqualsNoCase(n, chosen))
                dropped = true;
            else
                filed.further.push_back(n);
        }
        return filed;
    }

    ColumnPlan m_plan;
    std::vector<std::size_t> m_skipped; // the columns no row takes
    std::size_t m_nGroups = 1;          // the address groups the rows name
    CImportFiler& m_filer;
    const CCategoryList& m_categories;
    std::unordered_map<std::string, Filed> m_categoryOf;
    Line m_line;
    Draft m_draft;
};

} // namespace

std::string IncompatibleMessage(long long line, const std::string& text) {
    std::string m = kIncompatibleText;
    if (line > 0)
        m += "\n\nLine " + std::to_string(line) + ": " + text;
    return m;
}

std::string TooLongMessage(long long line, bool card) {
    return std::string(card ? "The card on line " : "Line ") + std::to_string(line) +
           " is longer than 64 MiB and cannot be imported.  Nothing was imported.";
}

void ShowReadRefusal(const CDelimitedReader& reader, TokenizeResult result, IMessageBox& box) {
    box.Show(result == TokenizeResult::TooLong
                 ? TooLongMessage(reader.ErrorLine())
                 : IncompatibleMessage(reader.ErrorLine(), reader.ErrorText()),
             kFileErrorCaption, MbIcon::Stop, MbButtons::Ok);
}

namespace {

std::string JoinWithAnd(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += i + 1 == parts.size() ? " and " : ", ";
        out += parts[i];
    }
    return out;
}

// "(line 4)", "(lines 4, 9 and more)": where the values of a note are.
std::string NoteLines(const kb::CharsetNote& note) {
    std::vector<std::string> lines;
    for (int line : note.lines)
        lines.push_back(std::to_string(line));
    if (static_cast<std::size_t>(note.values) > note.lines.size())
        lines.push_back("more");
    return (note.values == 1 ? "(line " : "(lines ") + JoinWithAnd(lines) + ")";
}

std::string CharsetNoteText(const kb::CharsetNote& note) {
    const bool one = note.values == 1;
    const std::string count = std::to_string(note.values) + (one ? " value " : " values ");
    if (note.others)
        return count + "in further charsets could not be read as their cards say " +
               NoteLines(note) + ".";
    if (note.unknown)
        return count + (one ? "names" : "name") + " the unknown charset \"" + note.charset + "\" " +
               NoteLines(note) + " and " + (one ? "was" : "were") +
               " read as UTF-8 or Windows-1252.";
    return count + (one ? "holds" : "hold") + " bytes that are not " + note.charset + " text " +
           NoteLines(note) + "; they show as \"\xEF\xBF\xBD\".";
}

} // namespace

std::string ImportFinishMessage(const ImportResult& result) {
    std::string text = std::to_string(result.imported) + " records imported";
    text += result.duplicates > 0
                ? ", " + std::to_string(result.duplicates) + " already in the book."
                : ".";
    if (!result.binaries.empty()) {
        // "1 photo", "2 logos": each kind once, in the order met.
        std::vector<std::string> kinds;
        std::vector<int> counts;
        for (const std::string& b : result.binaries) {
            std::size_t k = 0;
            while (k < kinds.size() && kinds[k] != b)
                ++k;
            if (k == kinds.size()) {
                kinds.push_back(b);
                counts.push_back(0);
            }
            ++counts[k];
        }
        std::vector<std::string> parts;
        for (std::size_t k = 0; k < kinds.size(); ++k)
            parts.push_back(std::to_string(counts[k]) + " " + kinds[k] +
                            (counts[k] == 1 ? "" : "s"));
        text += " " + JoinWithAnd(parts) +
                (result.binaries.size() == 1 ? " was not imported." : " were not imported.");
    }
    if (result.shortened > 0)
        text += " " + std::to_string(result.shortened) +
                (result.shortened == 1 ? " value longer than 1 MiB was shortened."
                                       : " values longer than 1 MiB were shortened.");
    if (!result.skippedColumns.empty())
        text += " " + SkippedColumnsMessage(result.skippedColumns, true);
    for (const kb::CharsetNote& note : result.charsetNotes)
        text += " " + CharsetNoteText(note);
    if (result.replaced > 0)
        text += " " + std::to_string(result.replaced) +
                (result.replaced == 1 ? " byte is not text in the file's encoding and shows"
                                      : " bytes are not text in the file's encoding and show") +
                " as \"\xEF\xBF\xBD\".";
    const std::size_t refused = result.refusedLines.size();
    if (refused > 0) {
        constexpr std::size_t kListed = 10;
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < refused && i < kListed; ++i)
            lines.push_back(std::to_string(result.refusedLines[i]));
        if (refused > kListed)
            lines.push_back("more");
        text +=
            " " + std::to_string(refused) +
            (refused == 1 ? " card could not be read (line " : " cards could not be read (lines ") +
            JoinWithAnd(lines) + ").";
    }
    return text;
}

void ShowImportFinished(const ImportResult& result, IMessageBox& messageBox) {
    messageBox.Show(ImportFinishMessage(result), "Import Complete",
                    result.refusedLines.empty() && result.charsetNotes.empty() &&
                            result.replaced == 0
                        ? MbIcon::Information
                        : MbIcon::Exclamation,
                    MbButtons::Ok);
}

ImportResult RunImport(const std::string& path, int recordCount, const ImportOptions& options,
                       CRecordList& records, CCategoryList& categories, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress) {
    if (options.format.kind == FileKind::VCard)
        return RunVCardImport(path, recordCount, options, records, categories, fileSystem,
                              messageBox, progress);
    ImportResult result;
    ColumnPlan plan = PlanColumns(options, messageBox);
    std::unique_ptr<IByteSource> source;
    try {
        source = fileSystem.OpenRead(path);
    } catch (const CFileException&) {
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }

    CImportFiler filer(options, records, categories, progress, recordCount);
    // Room for the records to come, so that the filer's tables need not grow on the way:
    // the count when a scan gave one, else a guess from the file's size.
    std::size_t expected = recordCount > 0 ? static_cast<std::size_t>(recordCount) : 0;
    if (expected == 0) {
        if (const auto stamp = fileSystem.Stamp(path))
            expected = static_cast<std::size_t>(stamp->size / kGuessedLineBytes);
    }
    filer.Expect(std::min(expected, kMostExpected));
    RecordBuilder builder(std::move(plan), filer, categories);
    CDelimitedReader reader(options.format);
    std::vector<char> buffer;
    TokenizeResult r = TokenizeResult::Continue;
    try {
        r = reader.Run(
            *source,
            [&builder](std::span<const std::string_view> fields, long long) {
                return builder.OnRecord(fields);
            },
            buffer);
    } catch (const CFileException&) {
        // A drive that fails midway: keep what was filed, say the file could not be read.
        filer.FinishInto(result);
        messageBox.Show(path + " could not be opened.", kFileErrorCaption, MbIcon::Stop,
                        MbButtons::Ok);
        result.outcome = ImportOutcome::NotOpened;
        return result;
    }
    filer.FinishInto(result);
    result.shortened = reader.ShortenedValues();
    result.skippedColumns = SkippedColumns(options.rowNames, options.format, builder.valued);
    result.replaced = reader.ReplacedBytes();
    if (r == TokenizeResult::Incompatible || r == TokenizeResult::TooLong) {
        ShowReadRefusal(reader, r, messageBox);
        result.outcome = ImportOutcome::Incompatible;
        return result;
    }
    if (filer.cancelled) {
        result.outcome = ImportOutcome::Cancelled;
        return result;
    }
    progress.SetPosition(100);
    if (options.showFinish)
        ShowImportFinished(result, messageBox);
    return result;
}

ImportResult RunImport(const std::string& path, int recordCount,
                       const std::vector<std::string>& rowNames, CRecordList& records,
                       CCategoryList& categories, IFileSystem& fileSystem, IMessageBox& messageBox,
                       IProgress& progress) {
    ImportOptions options;
    options.rowNames = rowNames;
    try {
        auto source = fileSystem.OpenRead(path);
        options.format =
            DetectFormat(*source, {TextEncoding::Auto, Separator::Auto, HeaderChoice::No, {}});
    } catch (const CFileException&) {
        // RunImport reports it.
    }
    return RunImport(path, recordCount, options, records, categories, fileSystem, messageBox,
                     progress);
}
