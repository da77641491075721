#include "CliBook.h"
#include "CliVerb.h"
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
    CliSyntax Syntax() const override { return {{{"FILE"}, {"NAME", true}}, {{"--nth", 1}}}; }

    int Run(const CliArgs& a) override {
        CliBook book;
        if (!book.LoadToChange(a.positional[0]))
            return kExitFile;
        const NamedRecord named =
            ResolveNamedRecord(*this, book.Records(), a.positional[1], a.Value("--nth"));
        if (named.error)
            return named.error;
        std::size_t position = 0;
        if (!FindRecord(book.Records(), named.record, &position)) {
            std::cerr << "kinbook-cli delete: no contact named '" << a.positional[1] << "'\n";
            return kExitFile;
        }
        book.Records().erase(book.Records().begin() + static_cast<std::ptrdiff_t>(position));
        return book.Save(a.positional[0]);
    }
};

const CliVerbRegistrar<DeleteVerb> registrar;

} // namespace
