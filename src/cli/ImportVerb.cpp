#include "CliBook.h"
#include "CliVerb.h"
#include "TransferSupport.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"

namespace {

class ImportVerb final : public CliVerb {
public:
    const char* Name() const override { return "import"; }
    const char* Usage() const override {
        return "import FILE IN [--fields \"Last Name,First Name,...\"]";
    }
    const char* Summary() const override {
        return "add the lines of a delimited text file as records, filed and saved";
    }
    CliSyntax Syntax() const override { return {{{"FILE"}, {"IN"}}, {{"--fields", 1}}}; }

    int Run(const CliArgs& a) override {
        std::vector<std::string> rows = kImportRowOrder;
        if (const auto fields = a.Value("--fields"))
            rows = SplitFieldList(*fields);
        for (const std::string& name : rows) {
            // An empty name or one that begins with "*" skips its column.
            if (!name.empty() && name[0] != '*' && transfer::ResolveField(name) < 0)
                return UsageError("'" + name + "' is not a contact field");
        }
        const std::string& dataPath = a.positional[0];
        const std::string& inPath = a.positional[1];

        CliBook book(CliMessageBox::Information::ToStdout);
        if (!book.Load(dataPath))
            return kExitFile;
        std::vector<char> buffer;
        const ScanResult scan = CountRecords(inPath, RealFileSystem(), book.Box(), buffer);
        if (scan.status == ScanStatus::NotOpened || scan.status == ScanStatus::Incompatible)
            return kExitFile;
        NoProgress progress;
        const ImportResult r = RunImport(inPath, scan.recordCount, rows, book.Records(),
                                         book.Categories(), RealFileSystem(), book.Box(), progress);
        // A file that cannot be read whole leaves the data file as it was.
        if (r.outcome != ImportOutcome::Completed)
            return kExitFile;
        return book.Save(dataPath);
    }
};

CliVerbRegistrar<ImportVerb> registrar;

} // namespace
