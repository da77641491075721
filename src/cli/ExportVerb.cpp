#include "CliSupport.h"
#include "CliVerb.h"
#include "TransferCliSupport.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/ColumnVocabulary.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportScan.h"

namespace {

class ExportVerb final : public CliVerb {
public:
    const char* Name() const override { return "export"; }
    const char* Usage() const override {
        return "export FILE OUT [--fields \"Last Name,First Name,...\"] [--format "
               "tab|csv|semicolon] "
               "[--category NAME] [--header] [--encoding utf8|utf8-bom|cp1252] [--force]";
    }
    const char* Summary() const override {
        return "write the records of a category to delimited text, as the Export dialog does";
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
            } else if (a == "--header") {
                request.header = true;
            } else if (a == "--encoding" && hasValue) {
                const std::string& e = args[++i];
                if (e == "utf8")
                    request.encoding = ExportEncoding::Utf8;
                else if (e == "utf8-bom")
                    request.encoding = ExportEncoding::Utf8Bom;
                else if (e == "cp1252")
                    request.encoding = ExportEncoding::Cp1252;
                else
                    return UsageError("unknown encoding '" + e + "' (utf8, utf8-bom or cp1252)");
            } else if (a == "--fields" && hasValue) {
                request.columns = SplitFieldList(args[++i]);
            } else if (a == "--format" && hasValue) {
                const std::string& f = args[++i];
                if (f == "tab")
                    request.variantText = kVariantTabName;
                else if (f == "csv")
                    request.variantText = kVariantCommaName;
                else if (f == "semicolon")
                    request.variantText = kVariantSemicolonName;
                else
                    return UsageError("unknown format '" + f + "' (tab, csv or semicolon)");
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
                known =
                    known || kb::EqualsNoCaseDecoded(doc.GetCategories().At(i).m_strName, category);
            if (!known)
                return UsageError("no category named '" + category + "'");
        }
        request.nCategory = ExportCategoryIndex(doc.GetCategories(), category);
        NoProgress progress;
        const ExportResult r =
            RunExport(doc.GetRecords(), doc.GetCategories(), request, fs, box, progress);
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
