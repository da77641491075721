#include "CliBook.h"
#include "CliVerb.h"
#include "model/NoCase.h"
#include "view/ContactListing.h"
#include <iostream>

namespace {

// Prints what the main list shows for a category and a letter.
class ListVerb final : public CliVerb {
public:
    const char* Name() const override { return "list"; }
    const char* Usage() const override { return "list FILE [--category NAME] [--letter L]"; }
    const char* Summary() const override {
        return "print the main list's entries for a category (default All) and a letter "
               "(default A): display name, TAB, default item, one per line";
    }
    CliSyntax Syntax() const override {
        return {{{"FILE"}}, {{"--category", 1}, {"--letter", 1}}};
    }

    int Run(const CliArgs& a) override {
        const std::string l = a.Value("--letter").value_or("A");
        const char c = l.size() == 1 ? l[0] : '\0';
        if (!(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z'))
            return UsageError("the letter must be one of A to Z, not '" + l + "'");
        const int letter = (c >= 'a' ? c - 'a' : c - 'A');
        const std::string category = a.Value("--category").value_or(std::string(kFilterAll));

        CliBook book;
        if (!book.Load(a.positional[0]))
            return kExitFile;
        if (!kb::EqualsNoCase(category, kFilterAll) && !book.Category(*this, category))
            return kExitUsage;
        const CContactListing listing =
            ListContacts(book.Records(), book.Categories(), category, letter);
        for (const CContactListEntry& entry : listing.entries)
            std::cout << entry.displayName << '\t' << entry.itemText << '\n';
        return FlushedStdout();
    }
};

const CliVerbRegistrar<ListVerb> registrar;

} // namespace
