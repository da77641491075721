#include "CliBook.h"
#include "CliVerb.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
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
               "(A to Z, or # for every other first character; default A): display name, TAB, "
               "default item, one per line";
    }
    CliSyntax Syntax() const override { return {{{"FILE"}}, {{"--category", 1}, {"--letter", 1}}}; }

    int Run(const CliArgs& a) override {
        const std::string l = a.Value("--letter").value_or("A");
        int letter = -1;
        for (int k = 0; k < kLetterCount && letter < 0; ++k)
            if (kb::EqualsNoCase(l, LetterText(k)))
                letter = k;
        if (letter < 0)
            return UsageError("the letter must be one of A to Z or #, not '" + l + "'");
        const std::string category = a.Value("--category").value_or(std::string(kFilterAll));

        CliBook book;
        if (!book.LoadToRead(a.positional[0]))
            return kExitFile;
        if (!book.Filter(*this, category))
            return kExitUsage;
        const CContactListing listing =
            ListContacts(book.Records(), book.Categories(), category, letter);
        // As the window shows them: names stored in Windows-1252 are printed as UTF-8.
        for (const CContactListEntry& entry : listing.entries)
            std::cout << DecodedDisplayName(*entry.record) << '\t'
                      << kb::DecodeToUtf8(entry.itemText) << '\n';
        return FlushedStdout();
    }
};

const CliVerbRegistrar<ListVerb> registrar;

} // namespace
