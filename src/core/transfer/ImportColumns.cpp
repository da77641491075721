#include "transfer/ImportColumns.h"
#include "model/CContactRecord.h"
#include "model/NoCase.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportScan.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <utility>

namespace transfer {

namespace {

struct Spelling {
    std::string_view normalized;
    std::string_view row;
};

// Common spellings of column names, after NormalizeColumnName.
constexpr Spelling kSpellings[] = {
    {"surname", "Last Name"},
    {"familyname", "Last Name"},
    {"lastname", "Last Name"},
    {"givenname", "First Name"},
    {"firstname", "First Name"},
    {"jobtitle", "Title"},
    {"title", "Title"},
    {"otherref", "Other Ref"},
    {"company", "Company"},
    {"organization", "Company"},
    {"organisation", "Company"},
    {"email", "E-Mail"},
    {"emailaddress", "E-Mail"},
    {"primaryemail", "E-Mail"},
    {"secondaryemail", "E-Mail"},
    {"mobile", "Mobile"},
    {"cell", "Mobile"},
    {"mobilephone", "Mobile"},
    {"cellular", "Mobile"},
    {"cellphone", "Mobile"},
    {"mobilenumber", "Mobile"},
    {"home", "Home"},
    {"homephone", "Home"},
    {"work", "Work"},
    {"businessphone", "Work"},
    {"workphone", "Work"},
    {"pager", "Pager"},
    {"pagernumber", "Pager"},
    {"fax", "FAX"},
    {"businessfax", "FAX"},
    {"homefax", "FAX"},
    {"faxnumber", "FAX"},
    {"other", "Other"},
    {"phone", "Other"},
    {"telephone", "Other"},
    {"street", "Address"},
    {"address", "Address"},
    {"homestreet", "Address"},
    {"homeaddress", "Address"},
    {"city", "City"},
    {"state", "State"},
    {"region", "State"},
    {"province", "State"},
    {"zip", "Zip"},
    {"zipcode", "Zip"},
    {"postalcode", "Zip"},
    {"postcode", "Zip"},
    {"country", "Country"},
    {"countryregion", "Country"},
    {"otherinfo1st", "Other Info 1st"},
    {"otherinfo2nd", "Other Info 2nd"},
    {"otherinfo3rd", "Other Info 3rd"},
    {"otherinfo4th", "Other Info 4th"},
    {"notes", "Notes"},
    {"note", "Notes"},
    {"category", "Category"},
    {"categories", "Category"},
    {"groupmembership", "Category"},
    {"name", "Display Name"},
    {"fullname", "Display Name"},
    {"displayname", "Display Name"},
    {"middlename", "Middle Name"},
    {"additionalname", "Middle Name"},
    {"department", "Department"},
    {"birthday", "Birthday"},
    {"anniversary", "Anniversary"},
    {"dateofbirth", "Birthday"},
    {"nickname", "Nickname"},
    {"webpage", "Web Page"},
    {"website", "Web Page"},
    {"homepage", "Web Page"},
    {"url", "Web Page"},
    {"groups", "Groups"},
    {"labels", "Category"},
};

struct KeptRow {
    std::string_view row;
    ColumnRole::Kept kept;
};

constexpr KeptRow kKeptRows[] = {
    {"Birthday", ColumnRole::Kept::Birthday},     {"Anniversary", ColumnRole::Kept::Anniversary},
    {"Nickname", ColumnRole::Kept::Nickname},     {"Web Page", ColumnRole::Kept::WebPage},
    {"Department", ColumnRole::Kept::Department}, {"Relation", ColumnRole::Kept::Relation},
    {"Event", ColumnRole::Kept::Event},           {"Custom Field", ColumnRole::Kept::Custom},
    {"Groups", ColumnRole::Kept::Groups},
};

// One column of a known layout: its name ('#' stands for a number) and its row name
// ("{n}" becomes nothing for number 1 and " N" otherwise; an empty row consumes the
// column, as a type column is read with its value column).
struct Rule {
    std::string_view column;
    std::string_view row;
};

struct Profile {
    std::string_view name;
    std::vector<std::string_view> required; // column names that all must be present
    std::vector<Rule> rules;
};

const std::vector<Profile>& Profiles() {
    static const std::vector<Profile> profiles = {
        {"Web mail contacts (2024)",
         {"First Name", "Last Name", "Labels"},
         {
             {"First Name", "First Name"},
             {"Middle Name", "Middle Name"},
             {"Last Name", "Last Name"},
             {"Organization Name", "Company"},
             {"Organization Title", "Title"},
             {"Organization Department", "Department"},
             {"File As", "Display Name"},
             {"Nickname", "Nickname"},
             {"Birthday", "Birthday"},
             {"Notes", "Notes"},
             {"Labels", "Category"},
             {"E-mail # - Label", ""},
             {"E-mail # - Value", "E-Mail"},
             {"Phone # - Label", ""},
             {"Phone # - Value", "Phone by Type"},
             {"Address # - Label", ""},
             {"Address # - Formatted", "Address{n} (formatted)"},
             {"Address # - Street", "Address{n}"},
             {"Address # - PO Box", "Address{n} (more)"},
             {"Address # - Extended Address", "Address{n} (more)"},
             {"Address # - City", "City{n}"},
             {"Address # - Region", "State{n}"},
             {"Address # - Postal Code", "Zip{n}"},
             {"Address # - Country", "Country{n}"},
             {"Website # - Label", ""},
             {"Website # - Value", "Web Page"},
             {"Relation # - Label", ""},
             {"Relation # - Value", "Relation"},
             {"Event # - Label", ""},
             {"Event # - Value", "Event"},
             {"Custom Field # - Label", ""},
             {"Custom Field # - Value", "Custom Field"},
         }},
        {"Web mail contacts",
         {"Given Name", "Family Name", "Group Membership"},
         {
             {"Name", "Display Name"},
             {"Given Name", "First Name"},
             {"Additional Name", "Middle Name"},
             {"Family Name", "Last Name"},
             {"Initials", ""},
             {"Group Membership", "Category"},
             {"E-mail # - Value", "E-Mail"},
             {"Phone # - Value", "Phone by Type"},
             {"Address # - Formatted", "Address{n} (formatted)"},
             {"Address # - Street", "Address{n}"},
             {"Address # - PO Box", "Address{n} (more)"},
             {"Address # - Extended Address", "Address{n} (more)"},
             {"Address # - City", "City{n}"},
             {"Address # - Region", "State{n}"},
             {"Address # - Postal Code", "Zip{n}"},
             {"Address # - Country", "Country{n}"},
             {"Organization 1 - Name", "Company"},
             {"Organization 1 - Title", "Title"},
             {"Organization 1 - Department", "Department"},
             {"Organization 1 - Type", ""},
             {"Website # - Type", ""},
             {"Website # - Value", "Web Page"},
             {"Relation # - Type", ""},
             {"Relation # - Value", "Relation"},
             {"Event # - Type", ""},
             {"Event # - Value", "Event"},
             {"Custom Field # - Type", ""},
             {"Custom Field # - Value", "Custom Field"},
             {"Notes", "Notes"},
         }},
        {"Desktop mail contacts",
         {"First Name", "Last Name", "E-mail Address"},
         {
             {"Title", "Extra: Prefix"},
             {"First Name", "First Name"},
             {"Middle Name", "Middle Name"},
             {"Last Name", "Last Name"},
             {"Company", "Company"},
             {"Job Title", "Title"},
             {"Home Street", "Address"},
             {"Home Street #", "Address (more)"},
             {"Home Address PO Box", "Address (more)"},
             {"Home City", "City"},
             {"Home State", "State"},
             {"Home Postal Code", "Zip"},
             {"Home Country/Region", "Country"},
             {"Business Street", "Address 2"},
             {"Business Street #", "Address 2 (more)"},
             {"Business Address PO Box", "Address 2 (more)"},
             {"Business City", "City 2"},
             {"Business State", "State 2"},
             {"Business Postal Code", "Zip 2"},
             {"Business Country/Region", "Country 2"},
             {"Other Street", "Address 3"},
             {"Other Street #", "Address 3 (more)"},
             {"Other Address PO Box", "Address 3 (more)"},
             {"Other City", "City 3"},
             {"Other State", "State 3"},
             {"Other Postal Code", "Zip 3"},
             {"Other Country/Region", "Country 3"},
             {"Business Phone", "Work"},
             {"Business Phone #", "Work"},
             {"Company Main Phone", "Work"},
             {"Home Phone", "Home"},
             {"Home Phone #", "Home"},
             {"Mobile Phone", "Mobile"},
             {"Car Phone", "Mobile"},
             {"Pager", "Pager"},
             {"Business Fax", "FAX"},
             {"Home Fax", "FAX"},
             {"Other Fax", "FAX"},
             {"Other Phone", "Other"},
             {"Primary Phone", "Other"},
             {"Assistant's Phone", "Other"},
             {"Callback", "Other"},
             {"ISDN", "Other"},
             {"Radio Phone", "Other"},
             {"Telex", "Other"},
             {"TTY/TDD Phone", "Other"},
             {"E-mail Address", "E-Mail"},
             {"E-mail # Address", "E-Mail"},
             {"E-mail Type", ""},
             {"E-mail # Type", ""},
             {"E-mail Display Name", ""},
             {"E-mail # Display Name", ""},
             {"Initials", ""},
             {"Priority", ""},
             {"Private", ""},
             {"Sensitivity", ""},
             {"Notes", "Notes"},
             {"Categories", "Category"},
         }},
        {"Mail client address book",
         {"First Name", "Last Name", "Display Name", "Primary Email"},
         {
             {"Display Name", "Display Name"},
             {"Primary Email", "E-Mail"},
             {"Secondary Email", "E-Mail"},
             {"Work Phone", "Work"},
             {"Home Phone", "Home"},
             {"Fax Number", "FAX"},
             {"Pager Number", "Pager"},
             {"Mobile Number", "Mobile"},
             {"Home Address", "Address"},
             {"Home Address 2", "Address (more)"},
             {"Home City", "City"},
             {"Home State", "State"},
             {"Home ZipCode", "Zip"},
             {"Home Country", "Country"},
             {"Work Address", "Address 2"},
             {"Work Address 2", "Address 2 (more)"},
             {"Work City", "City 2"},
             {"Work State", "State 2"},
             {"Work ZipCode", "Zip 2"},
             {"Work Country", "Country 2"},
             {"Job Title", "Title"},
             {"Organization", "Company"},
             {"Birth Year", "Birth Year"},
             {"Birth Month", "Birth Month"},
             {"Birth Day", "Birth Day"},
             {"Notes", "Notes"},
         }},
    };
    return profiles;
}

// Matches a column name against a pattern in which '#' stands for a number; the number
// found (1 when the pattern has none), or 0 when it does not match.
int MatchPattern(std::string_view pattern, std::string_view name) {
    int number = 1;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size()) {
        if (pattern[i] == '#') {
            const std::size_t start = j;
            int n = 0;
            while (j < name.size() && std::isdigit(static_cast<unsigned char>(name[j])) &&
                   j - start < 6)
                n = n * 10 + (name[j++] - '0');
            if (j == start)
                return 0;
            number = n;
            ++i;
            continue;
        }
        if (j >= name.size() || std::tolower(static_cast<unsigned char>(pattern[i])) !=
                                    std::tolower(static_cast<unsigned char>(name[j])))
            return 0;
        ++i;
        ++j;
    }
    return j == name.size() ? number : 0;
}

std::string Substitute(std::string_view row, int number) {
    std::string out(row);
    const std::size_t at = out.find("{n}");
    if (at != std::string::npos)
        out.replace(at, 3, number == 1 ? std::string() : " " + std::to_string(number));
    return out;
}

// "IM 1 - Value" -> "IM"; "IM 2 - Type" (or "- Label") -> "IM" with isType set.
std::string NumberedPairLabel(std::string_view name, bool& isType) {
    isType = false;
    for (std::string_view suffix : {std::string_view(" - Value"), std::string_view(" - Type"),
                                    std::string_view(" - Label")}) {
        if (name.size() <= suffix.size() ||
            !kb::EqualsNoCase(name.substr(name.size() - suffix.size()), suffix))
            continue;
        std::string_view base = name.substr(0, name.size() - suffix.size());
        while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back())))
            base.remove_suffix(1);
        while (!base.empty() && base.back() == ' ')
            base.remove_suffix(1);
        isType = suffix != " - Value";
        return std::string(base);
    }
    return {};
}

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return kb::CompareNoCase(a, b) < 0;
    }
};

bool IsTextField(std::string_view row) {
    const int f = ResolveField(row);
    return f >= 0 && ItemLabelOf(static_cast<Field>(f)) == LABEL_NONE;
}

bool LooksLikeEmail(std::string_view v) {
    const std::size_t at = v.find('@');
    return at != std::string_view::npos && at > 0 && v.find('.', at) != std::string_view::npos;
}

bool LooksLikePhone(std::string_view v) {
    int digits = 0;
    for (char c : v) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            ++digits;
        else if (!std::strchr(" +-()./x", c))
            return false;
    }
    return digits >= 5;
}

bool KnownToAProfile(std::string_view name) {
    for (const Profile& p : Profiles()) {
        for (const Rule& r : p.rules) {
            if (MatchPattern(r.column, name))
                return true;
        }
    }
    return false;
}

const Profile* FindProfile(const std::vector<std::string>& names) {
    for (const Profile& p : Profiles()) {
        const bool all = std::all_of(p.required.begin(), p.required.end(), [&](auto req) {
            return std::any_of(names.begin(), names.end(),
                               [&](const std::string& n) { return kb::EqualsNoCase(n, req); });
        });
        if (all)
            return &p;
    }
    return nullptr;
}

} // namespace

bool ReadWithAnotherColumn(std::string_view name) {
    bool isType = false;
    if (!NumberedPairLabel(name, isType).empty() && isType)
        return true;
    constexpr std::string_view kFormatted = " - Formatted";
    if (name.size() > kFormatted.size() &&
        kb::EqualsNoCase(name.substr(name.size() - kFormatted.size()), kFormatted))
        return true;
    for (const Profile& p : Profiles()) {
        for (const Rule& r : p.rules) {
            if (r.row.empty() && MatchPattern(r.column, name))
                return true;
        }
    }
    return false;
}

std::string NormalizeColumnName(std::string_view name) {
    std::string out;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || u >= 0x80)
            out += static_cast<char>(std::tolower(u));
    }
    while (!out.empty() && std::isdigit(static_cast<unsigned char>(out.back())))
        out.pop_back();
    return out;
}

std::string MatchColumnName(std::string_view columnName) {
    const std::string n = NormalizeColumnName(columnName);
    for (const Spelling& s : kSpellings) {
        if (s.normalized == n)
            return std::string(s.row);
    }
    return {};
}

bool LooksLikeHeader(const std::vector<std::string>& firstRecord) {
    int known = 0;
    for (const std::string& v : firstRecord) {
        if (LooksLikeEmail(v) || LooksLikePhone(v))
            return false;
        if (!v.empty() && (!MatchColumnName(v).empty() || KnownToAProfile(v)))
            ++known;
    }
    return known >= 2;
}

ColumnArrangement ArrangeColumns(const std::vector<std::string>& columnNames) {
    ColumnArrangement out;
    const Profile* profile = FindProfile(columnNames);
    if (profile)
        out.profile = std::string(profile->name);
    std::set<std::string, NoCaseLess> usedText;
    std::set<std::string, NoCaseLess> usedAny;
    for (const std::string& name : columnNames) {
        std::string row;
        bool decided = false;
        if (name.empty()) {
            // A column without a name (a separator at the end of every line) holds nothing.
            out.rowNames.push_back(kSkippedFieldMarker);
            continue;
        }
        if (profile) {
            for (const Rule& r : profile->rules) {
                if (const int n = MatchPattern(r.column, name)) {
                    row = Substitute(r.row, n);
                    decided = true;
                    // A group beyond the ones kept is kept as an extra.
                    if (ParseRowName(row).kind == ColumnRole::Kind::Invalid)
                        row = std::string(kRowExtraPrefix) + name;
                    break;
                }
            }
            if (!decided) {
                bool isType = false;
                const std::string label = NumberedPairLabel(name, isType);
                if (!label.empty()) {
                    row = isType ? std::string() : std::string(kRowExtraPrefix) + label;
                    decided = true;
                }
            }
        }
        if (!decided)
            row = MatchColumnName(name);
        // A text field takes one column; a second one is kept as an extra.
        if (!row.empty() && IsTextField(row) && !usedText.insert(row).second)
            row = std::string(kRowExtraPrefix) + name;
        if (row.empty() && !decided) // a column no field takes is kept under its name
            row = std::string(kRowExtraPrefix) + name;
        else if (row.empty())
            row = kSkippedFieldMarker + name;
        usedAny.insert(row);
        out.rowNames.push_back(std::move(row));
    }
    // The field names no column took, so they can still be dragged into place.
    for (const std::string& field : kImportRowOrder) {
        if (!usedAny.count(field))
            out.rowNames.push_back(field);
    }
    return out;
}

ColumnRole ParseRowName(std::string_view row) {
    ColumnRole role;
    if (row.empty() || row[0] == '*')
        return role;
    if (const int f = ResolveField(row); f >= 0) {
        role.kind = ColumnRole::Kind::Field;
        role.field = static_cast<Field>(f);
        return role;
    }
    if (row.size() > kRowExtraPrefix.size() &&
        kb::EqualsNoCase(row.substr(0, kRowExtraPrefix.size()), kRowExtraPrefix)) {
        role.kind = ColumnRole::Kind::Extra;
        role.label = std::string(row.substr(kRowExtraPrefix.size()));
        return role;
    }
    if (kb::EqualsNoCase(row, kRowPhoneByType)) {
        role.kind = ColumnRole::Kind::PhoneByType;
        return role;
    }
    if (kb::EqualsNoCase(row, kRowCompany)) {
        role.kind = ColumnRole::Kind::Company;
        return role;
    }
    if (kb::EqualsNoCase(row, kRowDisplayName)) {
        role.kind = ColumnRole::Kind::DisplayName;
        return role;
    }
    if (kb::EqualsNoCase(row, kRowMiddleName)) {
        role.kind = ColumnRole::Kind::MiddleName;
        return role;
    }
    for (const KeptRow& k : kKeptRows) {
        if (kb::EqualsNoCase(row, k.row)) {
            role.kind = ColumnRole::Kind::Kept;
            role.kept = k.kept;
            return role;
        }
    }
    static constexpr std::string_view kBirth[] = {"Birth Year", "Birth Month", "Birth Day"};
    for (int i = 0; i < 3; ++i) {
        if (kb::EqualsNoCase(row, kBirth[i])) {
            role.kind = ColumnRole::Kind::BirthPart;
            role.group = i;
            return role;
        }
    }
    // Address parts: "Address (more)", "City 2", "Address 3 (more)" ...
    std::string_view rest = row;
    bool more = false;
    bool formatted = false;
    for (auto [suffix, flag] : {std::pair{kMoreSuffix, &more}, {kFormattedSuffix, &formatted}}) {
        if (rest.size() > suffix.size() &&
            kb::EqualsNoCase(rest.substr(rest.size() - suffix.size()), suffix)) {
            *flag = true;
            rest.remove_suffix(suffix.size());
            break;
        }
    }
    int group = 1;
    if (rest.size() > 2 && rest[rest.size() - 2] == ' ' &&
        std::isdigit(static_cast<unsigned char>(rest.back()))) {
        group = rest.back() - '0';
        rest.remove_suffix(2);
    }
    static constexpr std::pair<std::string_view, ColumnRole::Part> kParts[] = {
        {"Address", ColumnRole::Part::Street},  {"City", ColumnRole::Part::City},
        {"State", ColumnRole::Part::State},     {"Zip", ColumnRole::Part::Zip},
        {"Country", ColumnRole::Part::Country},
    };
    for (const auto& [name, part] : kParts) {
        if (!kb::EqualsNoCase(rest, name) || group < 1 || group > kAddressGroups)
            continue;
        if ((more || formatted) && part != ColumnRole::Part::Street)
            break;
        if (group == 1 && !more && !formatted)
            break; // the plain field names resolved above
        role.kind = ColumnRole::Kind::AddressPart;
        role.group = group;
        role.part = more        ? ColumnRole::Part::StreetMore
                    : formatted ? ColumnRole::Part::Formatted
                                : part;
        return role;
    }
    role.kind = ColumnRole::Kind::Invalid;
    return role;
}

std::uint8_t LabelForType(std::string_view type) {
    while (!type.empty() && (type.front() == '*' || type.front() == ' '))
        type.remove_prefix(1);
    const std::string n = NormalizeColumnName(type);
    if (n == "mobile" || n == "cell" || n == "cellular" || n == "mobilephone")
        return LABEL_MOBILE;
    if (n == "work" || n == "business" || n == "workphone")
        return LABEL_WORK;
    if (n == "home" || n == "homephone")
        return LABEL_HOME;
    if (n == "pager")
        return LABEL_PAGER;
    if (n == "fax" || n == "workfax" || n == "homefax" || n == "otherfax" || n == "businessfax")
        return LABEL_FAX;
    return LABEL_OTHER;
}

} // namespace transfer
