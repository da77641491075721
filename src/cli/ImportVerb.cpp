#include "CliSupport.h"
#include "CliVerb.h"
#include "TransferCliSupport.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"

namespace {

class ImportVerb final : public CliVerb {
public:
    const char* Name() const override { return "import"; }
    const char* Usage() const override {
        return "import FILE IN [--fields \"Last Name,First Name,...\"]";
    }
    const char* Summary() const override {
        return "add the lines of a delimited text file, or the cards of a vCard file, as "
               "records, filed and saved";
    }

    int Run(const std::vector<std::string>& args) override {
        std::vector<std::string> positional;
        std::vector<std::string> rows = kImportRowOrder;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--fields" && i + 1 < args.size())
                rows = SplitFieldList(args[++i]);
            else if (args[i].rfind("--", 0) == 0)
                return UsageError("unknown or incomplete option '" + args[i] + "'");
            else
                positional.push_back(args[i]);
        }
        if (positional.size() != 2)
            return UsageError("expected FILE and IN");
        for (const std::string& name : rows) {
            // An empty name or one that begins with "*" skips its column.
            if (!name.empty() && name[0] != '*' && transfer::ResolveField(name) < 0)
                return UsageError("'" + name + "' is not a contact field");
        }
        const std::string& dataPath = positional[0];
        const std::string& inPath = positional[1];

        TransferCliMessageBox box;
        IFileSystem& fs = RealFileSystem();
        CKinbookDoc doc(box, fs);
        if (!doc.Load(dataPath))
            return kExitFile;
        if (IsVCardFile(inPath, fs)) {
            // A vCard file names its own fields: --fields does not apply.
            NoProgress progress;
            const VCardImportResult r = RunVCardImport(
                inPath, doc.GetRecords(), doc.GetCategories(), &doc.Uids(), fs, box, progress);
            if (r.outcome != ImportOutcome::Completed)
                return kExitFile;
            return doc.Save(dataPath) ? kExitOk : kExitFile;
        }
        std::vector<char> buffer;
        const ScanResult scan = CountRecords(inPath, fs, box, buffer);
        if (scan.status == ScanStatus::NotOpened || scan.status == ScanStatus::Incompatible)
            return kExitFile;
        NoProgress progress;
        const ImportResult r = RunImport(inPath, scan.recordCount, rows, doc.GetRecords(),
                                         doc.GetCategories(), fs, box, progress);
        // A file that cannot be read whole leaves the data file as it was.
        if (r.outcome != ImportOutcome::Completed)
            return kExitFile;
        return doc.Save(dataPath) ? kExitOk : kExitFile;
    }

private:
    static int UsageError(const std::string& why) {
        std::cerr << "kinbook-cli import: " << why << "\n";
        return kExitUsage;
    }
};

CliVerbRegistrar<ImportVerb> registrar;

} // namespace
