#include "CliSupport.h"
#include "CliVerb.h"
#include "TransferCliSupport.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"

namespace {

class ExportVerb final : public CliVerb {
public:
    const char* Name() const override { return "export"; }
    const char* Usage() const override {
        return "export FILE OUT [--fields \"Last Name,First Name,...\"] [--format "
               "tab|csv|vcard|vcard3] "
               "[--category NAME] [--force]";
    }
    const char* Summary() const override {
        return "write the records of a category to delimited text or vCard, as the Export "
               "dialog does";
    }

    int Run(const std::vector<std::string>& args) override {
        std::vector<std::string> positional;
        ExportRequest request;
        request.columns = kImportRowOrder; // the contact field list's order
        request.variantText = kVariantTabName;
        std::string category(kFilterAll);
        bool force = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            const bool hasValue = i + 1 < args.size();
            if (a == "--force") {
                force = true;
            } else if (a == "--fields" && hasValue) {
                request.columns = SplitFieldList(args[++i]);
            } else if (a == "--format" && hasValue) {
                const std::string& f = args[++i];
                if (f == "tab")
                    request.variantText = kVariantTabName;
                else if (f == "csv")
                    request.variantText = kVariantCommaName;
                else if (f == "vcard")
                    request.variantText = kVariantVCard40Name;
                else if (f == "vcard3")
                    request.variantText = kVariantVCard30Name;
                else
                    return UsageError("unknown format '" + f + "' (tab, csv, vcard or vcard3)");
            } else if (a == "--category" && hasValue) {
                category = args[++i];
            } else if (a.rfind("--", 0) == 0) {
                return UsageError("unknown or incomplete option '" + a + "'");
            } else {
                positional.push_back(a);
            }
        }
        if (positional.size() != 2)
            return UsageError("expected FILE and OUT");
        for (const std::string& name : request.columns) {
            if (transfer::ResolveField(name) < 0)
                return UsageError("'" + name + "' is not a contact field");
        }
        request.path = positional[1];

        TransferCliMessageBox box;
        IFileSystem& fs = RealFileSystem();
        if (!force && fs.Exists(request.path))
            return UsageError(request.path + " exists (use --force to overwrite it)");
        CKinbookDoc doc(box, fs);
        if (!doc.Load(positional[0]))
            return kExitFile;
        if (!kb::EqualsNoCase(category, kFilterAll)) {
            bool known = false;
            for (std::size_t i = 0; i < doc.GetCategories().GetCount(); ++i)
                known = known || kb::EqualsNoCase(doc.GetCategories().At(i).m_strName, category);
            if (!known)
                return UsageError("no category named '" + category + "'");
        }
        request.nCategory = ExportCategoryIndex(doc.GetCategories(), category);
        NoProgress progress;
        const ExportResult r =
            IsVCardVariant(request.variantText)
                ? RunVCardExport(
                      doc.GetRecords(), doc.GetCategories(), doc.Uids(),
                      {request.path, request.nCategory, VCardVersionOf(request.variantText)}, fs,
                      box, progress)
                : RunExport(doc.GetRecords(), doc.GetCategories(), request, fs, box, progress);
        switch (r.outcome) {
        case ExportOutcome::Completed:
        case ExportOutcome::NothingToDo:
            return kExitOk;
        default:
            return kExitFile;
        }
    }

private:
    static int UsageError(const std::string& why) {
        std::cerr << "kinbook-cli export: " << why << "\n";
        return kExitUsage;
    }
};

CliVerbRegistrar<ExportVerb> registrar;

} // namespace
