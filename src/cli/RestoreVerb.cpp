#include "CliBook.h"
#include "CliVerb.h"
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
    CliSyntax Syntax() const override { return {{{"FILE"}, {"COPY"}}, {{"--force"}}}; }

    int Run(const CliArgs& a) override {
        const std::string& path = a.positional[0];
        if (!a.Has("--force") && RealFileSystem().Exists(path))
            return UsageError("all current data in " + path +
                              " would be replaced (use --force to replace it)");
        CliBook backup;
        if (!backup.Load(a.positional[1]) || backup.Save(path) != kExitOk) {
            std::cerr << "Backup was not restored.\n";
            return kExitFile;
        }
        std::cout << "Backup restored.\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<RestoreVerb> registrar;

} // namespace
