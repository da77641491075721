#include "CliBook.h"
#include "CliVerb.h"
#include "edit/RecordSearch.h"
#include "model/TextDecode.h"
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
    CliSyntax Syntax() const override { return {{{"FILE"}, {"TEXT", true}}, {{"--scope", 1}}}; }

    int Run(const CliArgs& a) override {
        const auto scope = ParseUnsigned(a.Value("--scope").value_or("0"));
        if (!scope || *scope >= kSearchScopeCount)
            return UsageError("--scope must be 0 to 4");
        if (a.positional[1].empty()) {
            std::cerr << "No search data was entered.\n";
            return kExitUsage;
        }
        CliBook book;
        if (!book.LoadToRead(a.positional[0]))
            return kExitFile;
        for (const CContactRecord* r :
             SearchRecords(book.Records(), a.positional[1], static_cast<int>(*scope)))
            std::cout << DecodedDisplayName(*r) << '\t' << kb::DecodeToUtf8(DefaultItemText(*r))
                      << '\n';
        return FlushedStdout();
    }
};

const CliVerbRegistrar<FindVerb> registrar;

} // namespace
