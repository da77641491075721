#include "CliBook.h"
#include "CliVerb.h"
#include "TransferSupport.h"
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
               "tab|csv|semicolon|vcard|vcard3] "
               "[--category NAME] [--header] [--encoding utf8|utf8-bom|cp1252] [--force]";
    }
    const char* Summary() const override {
        return "write the records of a category to delimited text or vCard, as the Export "
               "dialog does";
    }
    CliSyntax Syntax() const override {
        return {{{"FILE"}, {"OUT"}},
                {{"--fields", 1},
                 {"--format", 1},
                 {"--category", 1},
                 {"--header"},
                 {"--encoding", 1},
                 {"--force"}}};
    }

    int Run(const CliArgs& a) override {
        ExportRequest request;
        request.columns = kImportRowOrder; // the contact field list's order
        request.header = a.Has("--header");
        if (const auto e = a.Value("--encoding")) {
            if (*e == "utf8")
                request.encoding = ExportEncoding::Utf8;
            else if (*e == "utf8-bom")
                request.encoding = ExportEncoding::Utf8Bom;
            else if (*e == "cp1252")
                request.encoding = ExportEncoding::Cp1252;
            else
                return UsageError("unknown encoding '" + *e + "' (utf8, utf8-bom or cp1252)");
        }
        const auto fields = a.Value("--fields");
        if (fields)
            request.columns = SplitFieldList(*fields);
        for (const std::string& name : request.columns) {
            if (transfer::ResolveExportColumn(name) < 0)
                return UsageError("'" + name + "' is not a contact field");
        }
        const std::string format = a.Value("--format").value_or("tab");
        if (format == "tab")
            request.variantText = kVariantTabName;
        else if (format == "csv")
            request.variantText = kVariantCommaName;
        else if (format == "semicolon")
            request.variantText = kVariantSemicolonName;
        else if (format == "vcard")
            request.variantText = kVariantVCard40Name;
        else if (format == "vcard3")
            request.variantText = kVariantVCard30Name;
        else
            return UsageError("unknown format '" + format +
                              "' (tab, csv, semicolon, vcard or vcard3)");
        const bool vcard = IsVCardVariant(request.variantText);
        // A card holds every field, always in UTF-8.
        if (vcard && (a.Has("--fields") || a.Has("--header") || a.Has("--encoding")))
            return UsageError("--fields, --header and --encoding do not apply to vCard");
        request.path = a.positional[1];
        if (!a.Has("--force") && RealFileSystem().Exists(request.path))
            return UsageError(request.path + " exists (use --force to overwrite it)");

        CliBook book(CliMessageBox::Information::ToStdout);
        if (!book.LoadToRead(a.positional[0], vcard ? CliBook::Uids::Read : CliBook::Uids::Skip))
            return kExitFile;
        const auto category =
            book.Filter(*this, a.Value("--category").value_or(std::string(kFilterAll)));
        if (!category)
            return kExitUsage;
        request.category = *category;
        // Without a field list but with the names every item and kept value goes out: the
        // further columns follow the usual ones, which keep their places. Without names
        // such columns could not be told apart, so the file stays as it always was.
        if (!fields && !vcard && request.header)
            request.columns =
                ColumnsForEverything(book.Records(), request.category, request.columns);
        NoProgress progress;
        const ExportResult r =
            vcard ? RunVCardExport(
                        book.Records(), book.Categories(), book.Doc().Uids(),
                        {request.path, request.category, VCardVersionOf(request.variantText)},
                        RealFileSystem(), book.Box(), progress)
                  : RunExport(book.Records(), book.Categories(), request, RealFileSystem(),
                              book.Box(), progress);
        const bool done =
            r.outcome == ExportOutcome::Completed || r.outcome == ExportOutcome::NothingToDo;
        return done ? FlushedStdout() : kExitFile;
    }
};

CliVerbRegistrar<ExportVerb> registrar;

} // namespace
