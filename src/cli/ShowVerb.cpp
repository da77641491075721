#include "CliBook.h"
#include "CliVerb.h"
#include "view/ContactListing.h"
#include "view/DetailText.h"
#include <iostream>

namespace {

// Prints the detail text of the record the main list finds for a display name.
class ShowVerb final : public CliVerb {
public:
    const char* Name() const override { return "show"; }
    const char* Usage() const override { return "show FILE NAME [--nth N]"; }
    const char* Summary() const override {
        return "print the detail text (CR LF line ends) of the record whose display "
               "name (\"Last, First\") is NAME, ignoring case (--nth N: the N-th of several)";
    }
    CliSyntax Syntax() const override { return {{{"FILE"}, {"NAME", true}}, {{"--nth", 1}}}; }

    int Run(const CliArgs& a) override {
        CliBook book;
        if (!book.LoadToRead(a.positional[0]))
            return kExitFile;
        const NamedRecord named =
            ResolveNamedRecord(*this, book.Records(), a.positional[1], a.Value("--nth"));
        if (named.error)
            return named.error;
        const CContactRecord* record = named.record;
        if (!record) {
            std::cerr << "kinbook-cli show: no record is named '" << a.positional[1] << "'\n";
            return kExitFile;
        }
        const std::string text = ComposeDetailText(*record, book.Categories());
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        return FlushedStdout();
    }
};

const CliVerbRegistrar<ShowVerb> registrar;

} // namespace
