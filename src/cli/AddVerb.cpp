#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "RecordOptions.h"
#include "edit/FilingRule.h"
#include "edit/LastNameRule.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"

namespace {

// Adds one contact as the record editor would, files it and saves.
class AddVerb final : public CliVerb {
public:
    const char* Name() const override { return "add"; }
    const char* Usage() const override {
        static const std::string usage = std::string("add FILE ") + RecordOptions::kUsage;
        return usage.c_str();
    }
    const char* Summary() const override {
        return "add a contact (at most 7 items, LABEL Home, Work, Mobile, Pager, Fax, E-Mail "
               "or Other; at most 4 other-info lines), file it and print its filed last name";
    }

    int Run(const std::vector<std::string>& args) override {
        RecordOptions options;
        if (const std::string why = options.Parse(args); !why.empty())
            return CliUsageError(*this, why);
        if (options.positional.size() != 1 || options.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        auto record = std::make_unique<CContactRecord>();
        CContactRecord& r = *record;
        if (const std::string why = options.ApplyTo(r); !why.empty())
            return CliUsageError(*this, why);

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

        const std::string& file = options.positional[0];
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(file))
            return kExitFile;
        const auto c = options.single.find("--category");
        const std::string category = c != options.single.end() ? c->second : "Unfiled";
        const auto names = doc.GetCategories().FillComboNames();
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return kb::EqualsNoCase(n, category); }))
            return CliUsageError(*this, "there is no category named '" + category + "'");
        r.m_nCategory = doc.GetCategories().IndexOf(category);

        CContactRecord* filed = record.get();
        FileRecord(doc.GetRecords(), std::move(record));
        if (!doc.Save(file))
            return kExitFile;
        std::cout << filed->m_strLastName << "\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<AddVerb> registrar;

} // namespace
