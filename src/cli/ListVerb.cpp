#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "model/TextDecode.h"
#include "port/IFileSystem.h"
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

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {}, {"--category", "--letter"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 1 || a.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        int letter = 0;
        if (auto it = a.values.find("--letter"); it != a.values.end()) {
            const std::string& l = it->second;
            const char c = l.size() == 1 ? l[0] : '\0';
            if (c >= 'A' && c <= 'Z')
                letter = c - 'A';
            else if (c >= 'a' && c <= 'z')
                letter = c - 'a';
            else if (c == '#')
                letter = kOtherLetter;
            else
                return CliUsageError(*this,
                                     "the letter must be one of A to Z or #, not '" + l + "'");
        }
        std::string category(kFilterAll);
        if (auto it = a.values.find("--category"); it != a.values.end())
            category = it->second;

        StderrMessageBox box;
        CKinbookDoc doc(box, RealFileSystem());
        doc.SetKeepDamagedCopies(false); // listing writes nothing
        if (!doc.Load(a.positional[0]))
            return kExitFile;
        if (!kb::EqualsNoCase(category, kFilterAll) && !HasCategory(doc, category))
            return CliUsageError(*this, "the book has no category named '" + category + "'");

        const CContactListing listing =
            ListContacts(doc.GetRecords(), doc.GetCategories(), category, letter);
        // As the window shows them: names stored in Windows-1252 are printed as UTF-8.
        for (const CContactListEntry& entry : listing.entries)
            std::cout << DecodedDisplayName(*entry.record) << '\t'
                      << kb::DecodeToUtf8(entry.itemText) << '\n';
        std::cout.flush();
        return std::cout ? kExitOk : kExitFile;
    }

private:
    static bool HasCategory(const CKinbookDoc& doc, const std::string& name) {
        const CCategoryList& categories = doc.GetCategories();
        for (std::size_t i = 0; i < categories.GetCount(); ++i)
            if (kb::EqualsNoCaseDecoded(categories.At(i).m_strName, name))
                return true;
        return false;
    }
};

const CliVerbRegistrar<ListVerb> registrar;

} // namespace
