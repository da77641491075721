#include "RecordOptions.h"
#include "edit/LastNameRule.h"
#include "model/NoCase.h"
#include <array>
#include <iostream>
#include <string_view>
#include <utility>

namespace {

// Multi-line values keep CR LF: a bare LF from the command line becomes CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

int LabelCode(const std::string& label) {
    static const char* const kLabels[] = {"Home", "Work",   "Mobile", "Pager",
                                          "Fax",  "E-Mail", "Other"};
    for (int k = 0; k < 7; ++k)
        if (kb::EqualsNoCase(label, kLabels[k]))
            return k;
    return -1;
}

} // namespace

void RecordOptions::AddTo(CliSyntax& syntax) {
    syntax.options.push_back({"--item", 1, true});
    syntax.options.push_back({"--other-info", 1, true});
    for (const RecordField f : kFileOrder) {
        if (!InfoOf(f).option.empty())
            syntax.options.push_back({InfoOf(f).option, 1});
    }
    syntax.options.push_back({"--category", 1});
    syntax.options.push_back({"--default-item", 1});
}

int RecordOptions::ApplyTo(const CliVerb& verb, const CliArgs& a, CContactRecord& r) {
    // The options that set one text field each.
    for (const FieldInfo& info : kRecordFields) {
        if (info.option.empty())
            continue;
        if (const auto value = a.Value(info.option))
            r.Text(info.field) = IsMultiLine(info.field) ? WithCrLf(*value) : *value;
    }

    const std::vector<std::string> items = a.Values("--item");
    if (items.size() > CContactRecord::kItemCount)
        return verb.UsageError("at most 7 items");
    const std::vector<std::string> otherInfo = a.Values("--other-info");
    if (otherInfo.size() > CContactRecord::kOtherInfoCount)
        return verb.UsageError("at most 4 other-info lines");
    if (a.Has("--other-info")) {
        for (std::size_t i = 0; i < CContactRecord::kOtherInfoCount; ++i)
            r.m_strOtherInfo[i] = i < otherInfo.size() ? otherInfo[i] : std::string();
    }
    if (a.Has("--item")) {
        for (std::size_t i = 0; i < CContactRecord::kItemCount; ++i) {
            r.m_strItem[i].clear();
            r.m_nItemLabel[i] = LABEL_NONE;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t colon = items[i].find(':');
        const int code = colon == std::string::npos ? -1 : LabelCode(items[i].substr(0, colon));
        if (code < 0)
            return verb.UsageError("item '" + items[i] +
                                   "' is not LABEL:TEXT with LABEL Home, Work, Mobile, Pager, "
                                   "Fax, E-Mail or Other");
        r.m_strItem[i] = items[i].substr(colon + 1);
        r.m_nItemLabel[i] = static_cast<std::uint8_t>(code);
    }
    if (const auto text = a.Value("--default-item")) {
        const auto n = ParseUnsigned(*text);
        if (!n || *n < 1 || *n > 7)
            return verb.UsageError("--default-item must be 1 to 7");
        r.m_nDefaultItem = static_cast<std::uint8_t>(*n - 1);
    }

    // The editor's own refusals, word for word.
    switch (CheckLastName(r.m_strLastName)) {
    case LastNameProblem::Missing:
        std::cerr << kLastNameNeededText << "\n";
        return kExitUsage;
    case LastNameProblem::NotALetter:
        std::cerr << kLastNameErrorText << "\n";
        return kExitUsage;
    case LastNameProblem::None:
        break;
    }
    return kExitOk;
}
