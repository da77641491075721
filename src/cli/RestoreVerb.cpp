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
        std::vector<std::string> positional;
        bool force = false;
        for (const std::string& a : args) {
            if (a == "--force")
                force = true;
            else if (a.rfind("--", 0) == 0)
                return UsageError("unknown option '" + a + "'");
            else
                positional.push_back(a);
        }
        if (positional.size() != 2)
            return UsageError("expected FILE and COPY");
        const std::string& path = positional[0];
        const std::string& copy = positional[1];
        IFileSystem& fs = RealFileSystem();
        if (fs.Exists(path) && !force)
            return UsageError("All current data in " + path +
                              " would be replaced by the data stored in the backup file; add "
                              "--force to continue.");

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

private:
    static int UsageError(const std::string& why) {
        std::cerr << "kinbook-cli restore: " << why << "\n";
        return kExitUsage;
    }
};

CliVerbRegistrar<RestoreVerb> registrar;

} // namespace
