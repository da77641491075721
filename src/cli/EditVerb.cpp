#include "CliBook.h"
#include "CliVerb.h"
#include "RecordOptions.h"
#include "edit/EditRules.h"
#include <iostream>
#include <string>

namespace {

// Changes the given fields of one contact as the record editor would: the last name is
// checked, a changed last name files the record anew, and the book is saved at once.
class EditVerb final : public CliVerb {
public:
    const char* Name() const override { return "edit"; }
    const char* Usage() const override {
        static const std::string usage =
            std::string("edit FILE NAME [--nth N] ") + RecordOptions::kUsage;
        return usage.c_str();
    }
    const char* Summary() const override {
        return "change the given fields of the contact NAME (\"Last, First\" or \"Last\", as the "
               "list shows it; --nth N: the N-th of several), file it anew and print its filed "
               "last name";
    }
    CliSyntax Syntax() const override {
        CliSyntax syntax{{{"FILE"}, {"NAME", true}}, {{"--nth", 1}}};
        RecordOptions::AddTo(syntax);
        return syntax;
    }

    int Run(const CliArgs& a) override {
        const std::string& file = a.positional[0];
        const std::string& name = a.positional[1];
        CliBook book;
        if (!book.LoadToChange(file))
            return kExitFile;
        const NamedRecord named = ResolveNamedRecord(*this, book.Records(), name, a.Value("--nth"));
        if (named.error)
            return named.error;
        if (!named.record)
            return UsageError("there is no contact named '" + name + "'");
        CContactRecord edited = *named.record;
        if (const int refused = RecordOptions::ApplyTo(*this, a, edited); refused != kExitOk)
            return refused;
        if (const auto category = a.Value("--category")) {
            const auto index = book.Category(*this, *category);
            if (!index)
                return kExitUsage;
            edited.m_nCategory = *index;
        }
        CContactRecord& record = *named.record;
        const std::string oldLastName = record.m_strLastName;
        record = edited; // the same record: it keeps its identity
        RefileEditedRecord(book.Records(), record, oldLastName);
        if (book.Save(file) != kExitOk)
            return kExitFile;
        std::cout << record.m_strLastName << "\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<EditVerb> registrar;

} // namespace
