#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "view/ContactListing.h"
#include "view/DetailText.h"
#include <iostream>

namespace {

// Prints the detail text of the record the main list finds for a display name.
class ShowVerb final : public CliVerb {
public:
    const char* Name() const override { return "show"; }
    const char* Usage() const override { return "show FILE NAME [--nth N]"; }
    const char* Summary() const override {
        return "print the detail text (CR LF line ends) of the record whose display "
               "name (\"Last, First\") is NAME, ignoring case (--nth N: the N-th of several)";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {"--nth"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 2 || a.positional[0].empty())
            return CliUsageError(*this, "expected FILE and NAME");
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        doc.SetKeepDamagedCopies(false); // showing writes nothing
        if (!doc.Load(a.positional[0]))
            return kExitFile;
        const NamedRecord named = ResolveNamedRecord(*this, doc.GetRecords(), a.positional[1], a);
        if (named.error)
            return named.error;
        const CContactRecord* record = named.record;
        if (!record) {
            std::cerr << "kinbook-cli show: no record is named '" << a.positional[1] << "'\n";
            return kExitFile;
        }
        const std::string text = ComposeDetailText(*record, doc.GetCategories());
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return std::cout ? kExitOk : kExitFile;
    }
};

const CliVerbRegistrar<ShowVerb> registrar;

} // namespace
