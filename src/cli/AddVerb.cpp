#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "edit/FilingRule.h"
#include "edit/LastNameRule.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include <array>
#include <map>

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

    int Run(const std::vector<std::string>& args) override {
        static const std::array<std::string_view, 12> kSingle = {
            "--last",    "--first", "--title", "--other-ref", "--category", "--default-item",
            "--address", "--city",  "--state", "--zip",       "--country",  "--notes"};
        std::vector<std::string> positional;
        std::map<std::string, std::string> single;
        std::vector<std::string> items, otherInfo;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a.size() <= 2 || a.rfind("--", 0) != 0) {
                positional.push_back(a);
                continue;
            }
            const bool known = a == "--item" || a == "--other-info" ||
                               std::find(kSingle.begin(), kSingle.end(), a) != kSingle.end();
            if (!known)
                return CliUsageError(*this, "unknown option '" + a + "'");
            if (i + 1 >= args.size())
                return CliUsageError(*this, "option '" + a + "' needs a value");
            const std::string& value = args[++i];
            if (a == "--item")
                items.push_back(value);
            else if (a == "--other-info")
                otherInfo.push_back(value);
            else if (!single.emplace(a, value).second)
                return CliUsageError(*this, "option '" + a + "' given twice");
        }
        if (positional.size() != 1 || positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        if (items.size() > CContactRecord::kItemCount)
            return CliUsageError(*this, "at most 7 items");
        if (otherInfo.size() > CContactRecord::kOtherInfoCount)
            return CliUsageError(*this, "at most 4 other-info lines");

        auto record = std::make_unique<CContactRecord>();
        CContactRecord& r = *record;
        const auto take = [&single](const char* option, std::string& field) {
            if (auto it = single.find(option); it != single.end())
                field = it->second;
        };
        take("--last", r.m_strLastName);
        take("--first", r.m_strFirstName);
        take("--title", r.m_strTitle);
        take("--other-ref", r.m_strOtherRef);
        take("--city", r.m_strCity);
        take("--state", r.m_strState);
        take("--zip", r.m_strZip);
        take("--country", r.m_strCountry);
        take("--address", r.m_strAddress);
        take("--notes", r.m_strNotes);
        r.m_strAddress = WithCrLf(r.m_strAddress);
        r.m_strNotes = WithCrLf(r.m_strNotes);
        for (std::size_t i = 0; i < otherInfo.size(); ++i)
            r.m_strOtherInfo[i] = otherInfo[i];

        static const char* const kLabels[] = {"Home", "Work",   "Mobile", "Pager",
                                              "Fax",  "E-Mail", "Other"};
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::size_t colon = items[i].find(':');
            const std::string label = items[i].substr(0, colon);
            int code = -1;
            for (int k = 0; k < 7; ++k)
                if (colon != std::string::npos && kb::EqualsNoCase(label, kLabels[k]))
                    code = k;
            if (code < 0)
                return CliUsageError(*this, "item '" + items[i] +
                                                "' is not LABEL:TEXT with LABEL Home, Work, "
                                                "Mobile, Pager, Fax, E-Mail or Other");
            r.m_strItem[i] = items[i].substr(colon + 1);
            r.m_nItemLabel[i] = static_cast<std::uint8_t>(code);
        }
        if (auto it = single.find("--default-item"); it != single.end()) {
            const auto n = ParseUnsigned(it->second);
            if (!n || *n < 1 || *n > 7)
                return CliUsageError(*this, "--default-item must be 1 to 7");
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

        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(positional[0]))
            return kExitFile;
        const std::string category = single.count("--category") ? single["--category"] : "Unfiled";
        const auto names = doc.GetCategories().FillComboNames();
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) {
                return kb::EqualsNoCaseDecoded(n, category);
            }))
            return CliUsageError(*this, "there is no category named '" + category + "'");
        r.m_nCategory = doc.GetCategories().IndexOf(category);

        CContactRecord* filed = record.get();
        FileRecord(doc.GetRecords(), std::move(record));
        if (!doc.Save(positional[0]))
            return kExitFile;
        std::cout << filed->m_strLastName << "\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<AddVerb> registrar;

} // namespace
