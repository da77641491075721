#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "RecordOptions.h"
#include "edit/FilingRule.h"
#include "edit/LastNameRule.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "view/DisplayName.h"
#include <algorithm>

namespace {

// Changes the given fields of one contact as the record editor would: the last name is
// checked, a changed last name files the record anew, and the book is saved at once.
class EditVerb final : public CliVerb {
public:
    const char* Name() const override { return "edit"; }
    const char* Usage() const override {
        static const std::string usage = std::string("edit FILE NAME ") + RecordOptions::kUsage;
        return usage.c_str();
    }
    const char* Summary() const override {
        return "change the given fields of the contact NAME (\"Last, First\" or \"Last\", as the "
               "list shows it), file it anew and print its filed last name";
    }

    int Run(const std::vector<std::string>& args) override {
        RecordOptions options;
        if (const std::string why = options.Parse(args); !why.empty())
            return CliUsageError(*this, why);
        if (options.positional.size() != 2 || options.positional[0].empty())
            return CliUsageError(*this, "expected FILE and NAME");
        const std::string& file = options.positional[0];
        const std::string& name = options.positional[1];

        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(file))
            return kExitFile;
        CRecordList& records = doc.GetRecords();
        const auto it = std::find_if(records.begin(), records.end(), [&](const auto& r) {
            return DisplayNameEquals(*r, name);
        });
        if (it == records.end())
            return CliUsageError(*this, "there is no contact named '" + name + "'");
        CContactRecord edited = **it;
        if (const std::string why = options.ApplyTo(edited); !why.empty())
            return CliUsageError(*this, why);
        if (auto c = options.single.find("--category"); c != options.single.end()) {
            const auto names = doc.GetCategories().FillComboNames();
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& n) { return kb::EqualsNoCase(n, c->second); }))
                return CliUsageError(*this, "there is no category named '" + c->second + "'");
            edited.m_nCategory = doc.GetCategories().IndexOf(c->second);
        }
        switch (CheckLastName(edited.m_strLastName)) {
        case LastNameProblem::Missing:
            std::cerr << kLastNameNeededText << "\n";
            return kExitUsage;
        case LastNameProblem::NotALetter:
            std::cerr << kLastNameErrorText << "\n";
            return kExitUsage;
        case LastNameProblem::None:
            break;
        }
        CContactRecord* record = it->get();
        const bool refile = !kb::EqualsNoCase(edited.m_strLastName, record->m_strLastName);
        *record = edited; // the same record: it keeps its identity
        if (refile) {
            std::unique_ptr<CContactRecord> owned = std::move(*it);
            records.erase(it);
            FileRecord(records, std::move(owned));
        }
        if (!doc.Save(file))
            return kExitFile;
        std::cout << record->m_strLastName << "\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<EditVerb> registrar;

} // namespace
