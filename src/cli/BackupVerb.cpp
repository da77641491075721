#include "CliBook.h"
#include "CliVerb.h"
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
    CliSyntax Syntax() const override { return {{{"FILE"}, {"COPY"}}, {{"--force"}}}; }

    int Run(const CliArgs& a) override {
        const std::string& copy = a.positional[1];
        if (!a.Has("--force") && RealFileSystem().Exists(copy))
            return UsageError(copy + " exists (use --force to replace it)");
        CliBook book;
        // A book that did not load whole is not copied: a backup must not be partial.
        if (!book.Load(a.positional[0]))
            return kExitFile;
        if (book.Save(copy) != kExitOk) {
            std::cerr << "Backup aborted!\n";
            return kExitFile;
        }
        std::cout << "Backup complete.\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<BackupVerb> registrar;

} // namespace
