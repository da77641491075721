#include "CliBook.h"
#include "CliVerb.h"
#include "edit/FilingRule.h"
#include "edit/LastNameRule.h"
#include "model/NoCase.h"
#include <algorithm>
#include <array>

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

// Adds one contact as the record editor would, files it and saves.
class AddVerb final : public CliVerb {
public:
    const char* Name() const override { return "add"; }
    const char* Usage() const override {
        return "add FILE [--last S] [--first S] [--title S] [--other-ref S] [--category NAME] "
               "[--item LABEL:TEXT]... [--default-item N] [--address S] [--city S] [--state S] "
               "[--zip S] [--country S] [--other-info S]... [--notes S]";
    }
    const char* Summary() const override {
        return "add a contact (at most 7 items, LABEL Home, Work, Mobile, Pager, Fax, E-Mail "
               "or Other; at most 4 other-info lines), file it and print its filed last name";
    }

    CliSyntax Syntax() const override {
        CliSyntax syntax{{{"FILE"}}, {{"--item", 1, true}, {"--other-info", 1, true}}};
        for (const auto& [option, field] : kTextFields)
            syntax.options.push_back({option, 1});
        syntax.options.push_back({"--category", 1});
        syntax.options.push_back({"--default-item", 1});
        return syntax;
    }

    int Run(const CliArgs& a) override {
        auto record = std::make_unique<CContactRecord>();
        if (const int refused = Fill(a, *record); refused != kExitOk)
            return refused;
        CliBook book;
        if (!book.Load(a.positional[0]))
            return kExitFile;
        const auto category = book.Category(*this, a.Value("--category").value_or("Unfiled"));
        if (!category)
            return kExitUsage;
        record->m_nCategory = *category;

        CContactRecord* filed = record.get();
        FileRecord(book.Records(), std::move(record));
        if (book.Save(a.positional[0]) != kExitOk)
            return kExitFile;
        std::cout << filed->m_strLastName << "\n";
        return FlushedStdout();
    }

private:
    // The options that set one text field each.
    static constexpr std::array<std::pair<std::string_view, std::string CContactRecord::*>, 10>
        kTextFields = {{{"--last", &CContactRecord::m_strLastName},
                        {"--first", &CContactRecord::m_strFirstName},
                        {"--title", &CContactRecord::m_strTitle},
                        {"--other-ref", &CContactRecord::m_strOtherRef},
                        {"--address", &CContactRecord::m_strAddress},
                        {"--city", &CContactRecord::m_strCity},
                        {"--state", &CContactRecord::m_strState},
                        {"--zip", &CContactRecord::m_strZip},
                        {"--country", &CContactRecord::m_strCountry},
                        {"--notes", &CContactRecord::m_strNotes}}};

    // The record the options describe, checked as the editor checks it; kExitOk, or the
    // exit code after the refusal.
    int Fill(const CliArgs& a, CContactRecord& r) const {
        for (const auto& [option, field] : kTextFields)
            r.*field = a.Value(option).value_or("");
        r.m_strAddress = WithCrLf(r.m_strAddress);
        r.m_strNotes = WithCrLf(r.m_strNotes);

        const std::vector<std::string> items = a.Values("--item");
        if (items.size() > CContactRecord::kItemCount)
            return UsageError("at most 7 items");
        const std::vector<std::string> otherInfo = a.Values("--other-info");
        if (otherInfo.size() > CContactRecord::kOtherInfoCount)
            return UsageError("at most 4 other-info lines");
        std::copy(otherInfo.begin(), otherInfo.end(), r.m_strOtherInfo.begin());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::size_t colon = items[i].find(':');
            const int code = colon == std::string::npos ? -1 : LabelCode(items[i].substr(0, colon));
            if (code < 0)
                return UsageError("item '" + items[i] +
                                  "' is not LABEL:TEXT with LABEL Home, Work, Mobile, Pager, "
                                  "Fax, E-Mail or Other");
            r.m_strItem[i] = items[i].substr(colon + 1);
            r.m_nItemLabel[i] = static_cast<std::uint8_t>(code);
        }
        if (const auto text = a.Value("--default-item")) {
            const auto n = ParseUnsigned(*text);
            if (!n || *n < 1 || *n > 7)
                return UsageError("--default-item must be 1 to 7");
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

    static int LabelCode(const std::string& label) {
        static const char* const kLabels[] = {"Home", "Work",   "Mobile", "Pager",
                                              "Fax",  "E-Mail", "Other"};
        for (int k = 0; k < 7; ++k)
            if (kb::EqualsNoCase(label, kLabels[k]))
                return k;
        return -1;
    }
};

const CliVerbRegistrar<AddVerb> registrar;

} // namespace
