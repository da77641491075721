#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "view/ContactListing.h"

namespace {

// Removes the record that the main list finds for a display name, and saves.
class DeleteVerb final : public CliVerb {
public:
    const char* Name() const override { return "delete"; }
    const char* Usage() const override { return "delete FILE NAME [--nth N]"; }
    const char* Summary() const override {
        return "remove the contact shown as NAME (\"Last, First\" or \"Last\", any case; "
               "--nth N: the N-th of several)";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {"--nth"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 2 || a.positional[0].empty())
            return CliUsageError(*this, "expected FILE and NAME");
        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        if (!doc.Load(a.positional[0]))
            return kExitFile;
        const NamedRecord named = ResolveNamedRecord(*this, doc.GetRecords(), a.positional[1], a);
        if (named.error)
            return named.error;
        std::size_t position = 0;
        if (!FindRecord(doc.GetRecords(), named.record, &position)) {
            std::cerr << "kinbook-cli delete: no contact named '" << a.positional[1] << "'\n";
            return kExitFile;
        }
        auto& records = doc.GetRecords();
        records.erase(records.begin() + static_cast<std::ptrdiff_t>(position));
        return doc.Save(a.positional[0]) ? kExitOk : kExitFile;
    }
};

const CliVerbRegistrar<DeleteVerb> registrar;

} // namespace
