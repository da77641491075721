#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "edit/RecordSearch.h"
#include "model/CKinbookDoc.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
#include "view/DetailText.h"
#include "view/DisplayName.h"

namespace {

// Find Contact from the command line: one hit a line, display name TAB default item.
class FindVerb final : public CliVerb {
public:
    const char* Name() const override { return "find"; }
    const char* Usage() const override { return "find FILE TEXT [--scope 0-4]"; }
    const char* Summary() const override {
        return "list the contacts holding TEXT: 0 names (default), 1 phones and e-mails, "
               "2 address, 3 all but notes, 4 all";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {"--scope"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 2 || a.positional[0].empty())
            return CliUsageError(*this, "expected FILE and TEXT");
        int scope = 0;
        if (auto it = a.values.find("--scope"); it != a.values.end()) {
            const auto n = ParseUnsigned(it->second);
            if (!n || *n >= kSearchScopeCount)
                return CliUsageError(*this, "--scope must be 0 to 4");
            scope = static_cast<int>(*n);
        }
        if (a.positional[1].empty()) {
            std::cerr << "No search data was entered.\n";
            return kExitUsage;
        }
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(a.positional[0]))
            return kExitFile;
        for (const CContactRecord* r : SearchRecords(doc.GetRecords(), a.positional[1], scope))
            std::cout << DecodedDisplayName(*r) << '\t' << kb::DecodeToUtf8(DefaultItemText(*r))
                      << '\n';
        return kExitOk;
    }
};

const CliVerbRegistrar<FindVerb> registrar;

} // namespace
