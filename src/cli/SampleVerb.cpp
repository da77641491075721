#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "model/CKinbookDoc.h"
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

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a = ParseCliArgs(args, {"--force"}, {"--records", "--seed"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 1 || a.positional[0].empty())
            return CliUsageError(*this, "expected one FILE");
        const auto records =
            a.values.count("--records") ? ParseUnsigned(a.values.at("--records")) : std::nullopt;
        if (!records || *records > kMaxRecords)
            return CliUsageError(*this, "--records needs a number from 0 to 10000000");
        std::uint64_t seed = 1;
        if (a.values.count("--seed")) {
            const auto s = ParseUnsigned(a.values.at("--seed"));
            if (!s)
                return CliUsageError(*this, "--seed needs a whole number");
            seed = *s;
        }
        const std::string& file = a.positional[0];
        IFileSystem& fs = RealFileSystem();
        if (!a.Has("--force") && fs.Exists(file))
            return CliUsageError(*this, file + " exists (use --force to replace it)");

        StderrMessageBox box;
        CKinbookDoc doc(box, fs);
        CSampleBook(seed).Fill(doc.GetCategories(), doc.GetRecords(),
                               static_cast<std::size_t>(*records));
        return doc.Save(file) ? kExitOk : kExitFile;
    }
};

const CliVerbRegistrar<SampleVerb> registrar;

} // namespace
