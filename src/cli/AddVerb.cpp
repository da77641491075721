#include "CliBook.h"
#include "CliVerb.h"
#include "RecordOptions.h"
#include "edit/FilingRule.h"
#include <iostream>
#include <string>

namespace {

// Adds one contact as the record editor would, files it and saves.
class AddVerb final : public CliVerb {
public:
    const char* Name() const override { return "add"; }
    const char* Usage() const override {
        static const std::string usage = std::string("add FILE ") + RecordOptions::kUsage;
        return usage.c_str();
    }
    const char* Summary() const override {
        return "add a contact (at most 7 items, LABEL Home, Work, Mobile, Pager, Fax, E-Mail "
               "or Other; at most 4 other-info lines), file it and print its filed last name";
    }

    CliSyntax Syntax() const override {
        CliSyntax syntax{{{"FILE"}}, {}};
        RecordOptions::AddTo(syntax);
        return syntax;
    }

    int Run(const CliArgs& a) override {
        auto record = std::make_unique<CContactRecord>();
        if (const int refused = RecordOptions::ApplyTo(*this, a, *record); refused != kExitOk)
            return refused;
        CliBook book;
        if (!book.LoadToChange(a.positional[0]))
            return kExitFile;
        const auto category = book.Category(*this, a.Value("--category").value_or("Unfiled"));
        if (!category)
            return kExitUsage;
        record->m_nCategory = *category;

        CContactRecord* filed = record.get();
        FileRecord(book.Records(), std::move(record));
        if (book.Save(a.positional[0]) != kExitOk)
            return kExitFile;
        std::cout << filed->m_strLastName << "\n";
        return FlushedStdout();
    }
};

const CliVerbRegistrar<AddVerb> registrar;

} // namespace
