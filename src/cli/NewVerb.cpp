#include "CliBook.h"
#include "CliVerb.h"
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
    CliSyntax Syntax() const override { return {{{"FILE"}}, {{"--force"}}}; }

    int Run(const CliArgs& a) override {
        const std::string& file = a.positional[0];
        if (!a.Has("--force") && RealFileSystem().Exists(file))
            return UsageError(file + " exists (use --force to replace it)");
        CliBook book;
        book.Categories().ResetToDefaults();
        return book.Save(file);
    }
};

const CliVerbRegistrar<NewVerb> registrar;

} // namespace
