#include "CliBook.h"
#include "CliVerb.h"
#include "model/CSampleBook.h"
#include "port/IFileSystem.h"

namespace {

// Writes a book of made-up contacts; the same seed gives the same bytes.
class SampleVerb final : public CliVerb {
public:
    static constexpr std::uint64_t kMaxRecords = 10'000'000;

    const char* Name() const override { return "sample"; }
    const char* Usage() const override { return "sample FILE --records N [--seed S] [--force]"; }
    const char* Summary() const override {
        return "write a book of N made-up contacts, the same for the same seed (default 1)";
    }
    CliSyntax Syntax() const override {
        return {{{"FILE"}}, {{"--force"}, {"--records", 1}, {"--seed", 1}}};
    }

    int Run(const CliArgs& a) override {
        const auto records = ParseUnsigned(a.Value("--records").value_or(""));
        if (!records || *records > kMaxRecords)
            return UsageError("--records needs a number from 0 to 10000000");
        const auto seed = ParseUnsigned(a.Value("--seed").value_or("1"));
        if (!seed)
            return UsageError("--seed needs a whole number");
        const std::string& file = a.positional[0];
        if (!a.Has("--force") && RealFileSystem().Exists(file))
            return UsageError(file + " exists (use --force to replace it)");

        CliBook book;
        CSampleBook(*seed).Fill(book.Categories(), book.Records(),
                                static_cast<std::size_t>(*records));
        return book.Save(file);
    }
};

const CliVerbRegistrar<SampleVerb> registrar;

} // namespace
