#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"

namespace {

// Writes an empty book with the default categories.
class NewVerb final : public CliVerb {
public:
    const char* Name() const override { return "new"; }
    const char* Usage() const override { return "new FILE [--force]"; }
    const char* Summary() const override {
        return "write an empty book with the default categories (--force replaces FILE)";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {"--force"}, {});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 1 || a.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        const std::string& file = a.positional[0];
        IFileSystem& fs = RealFileSystem();
        if (!a.Has("--force") && fs.Exists(file))
            return CliUsageError(*this, file + " exists (use --force to replace it)");
        StderrMessageBox box;
        CKinbookDoc doc(box, fs);
        doc.GetCategories().ResetToDefaults();
        return doc.Save(file) ? kExitOk : kExitFile;
    }
};

const CliVerbRegistrar<NewVerb> registrar;

} // namespace
