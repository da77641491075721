#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"

namespace {

// Writes a copy of the book in FILE to COPY, as Backup Data does.
class BackupVerb final : public CliVerb {
public:
    const char* Name() const override { return "backup"; }
    const char* Usage() const override { return "backup FILE COPY [--force]"; }
    const char* Summary() const override {
        return "write a backup copy of a data file (--force replaces an existing COPY)";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {"--force"}, {});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 2 || a.positional[0].empty() || a.positional[1].empty())
            return CliUsageError(*this, "expected FILE and COPY");
        const bool force = a.Has("--force");
        const std::vector<std::string>& positional = a.positional;
        const std::string& path = positional[0];
        const std::string& copy = positional[1];
        IFileSystem& fs = RealFileSystem();
        if (fs.Exists(copy) && !force)
            return CliUsageError(*this, copy + " exists (use --force to replace it)");

        StderrMessageBox box;
        CKinbookDoc doc(box, fs);
        doc.SetKeepDamagedCopies(false); // FILE is only read
        // A book that did not load whole is not copied: a backup must not be partial.
        if (!doc.Load(path))
            return kExitFile;
        if (!doc.Save(copy)) {
            std::cerr << "Backup aborted!\n";
            return kExitFile;
        }
        std::cout << "Backup complete.\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<BackupVerb> registrar;

} // namespace
