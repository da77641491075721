#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"

namespace {

// Replaces the book in FILE by the content of the backup COPY, as Restore From Backup
// does. COPY is read completely before FILE is touched.
class RestoreVerb final : public CliVerb {
public:
    const char* Name() const override { return "restore"; }
    const char* Usage() const override { return "restore FILE COPY [--force]"; }
    const char* Summary() const override {
        return "replace a data file by a backup's content (--force replaces an existing FILE)";
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
        if (fs.Exists(path) && !force)
            return CliUsageError(*this, "all current data in " + path +
                                            " would be replaced (use --force to replace it)");

        StderrMessageBox box;
        CKinbookDoc backup(box, fs);
        backup.SetKeepDamagedCopies(false); // COPY is only read
        if (!backup.Load(copy) || !backup.Save(path)) {
            std::cerr << "Backup was not restored.\n";
            return kExitFile;
        }
        std::cout << "Backup restored.\n";
        return kExitOk;
    }
};

const CliVerbRegistrar<RestoreVerb> registrar;

} // namespace
