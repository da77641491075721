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
        if (fs.Exists(copy) && !force)
            return UsageError("The file " + copy + " already exists; add --force to overwrite it.");

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

private:
    static int UsageError(const std::string& why) {
        std::cerr << "kinbook-cli backup: " << why << "\n";
        return kExitUsage;
    }
};

CliVerbRegistrar<BackupVerb> registrar;

} // namespace
