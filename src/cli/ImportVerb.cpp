#include "CliBook.h"
#include "CliVerb.h"
#include "TransferSupport.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
#include <iostream>
#include <optional>

namespace {

template <class T>
std::optional<T> OneOf(const std::string& value,
                       std::initializer_list<std::pair<std::string_view, T>> choices) {
    for (const auto& [name, v] : choices) {
        if (value == name)
            return v;
    }
    return std::nullopt;
}

class ImportVerb final : public CliVerb {
public:
    const char* Name() const override { return "import"; }
    const char* Usage() const override {
        return "import FILE IN [--fields \"Last Name,First Name,...\"] [--header yes|no|auto] "
               "[--encoding auto|utf8|utf16|cp1252|CHARSET] [--separator auto|tab-comma|semicolon] "
               "[--category NAME] [--no-create-categories]";
    }
    const char* Summary() const override {
        return "add the lines of a delimited text file, or the cards of a vCard file, as "
               "records, filed and saved";
    }
    CliSyntax Syntax() const override {
        return {{{"FILE"}, {"IN"}},
                {{"--fields", 1},
                 {"--header", 1},
                 {"--encoding", 1},
                 {"--separator", 1},
                 {"--category", 1},
                 {"--no-create-categories"}}};
    }

    int Run(const CliArgs& a) override {
        ImportFormatChoice choice;
        if (const auto v = a.Value("--header")) {
            const auto h = OneOf<HeaderChoice>(*v, {{"yes", HeaderChoice::Yes},
                                                    {"no", HeaderChoice::No},
                                                    {"auto", HeaderChoice::Auto}});
            if (!h)
                return UsageError("--header takes yes, no or auto");
            choice.header = *h;
        }
        if (const auto v = a.Value("--encoding")) {
            const auto e = OneOf<TextEncoding>(*v, {{"auto", TextEncoding::Auto},
                                                    {"utf8", TextEncoding::Utf8},
                                                    {"utf16", TextEncoding::Utf16LE},
                                                    {"cp1252", TextEncoding::Cp1252}});
            // Beside those, any charset the system knows, by its name.
            choice.encoding = e ? *e : EncodingOfCharset(*v);
            if (!e && choice.encoding == TextEncoding::Auto)
                return UsageError("unknown encoding '" + *v +
                                  "': --encoding takes auto, utf8, utf16, cp1252 or the name "
                                  "of a charset the system knows (iso-8859-2, koi8-r, ...)");
            if (choice.encoding == TextEncoding::Named)
                choice.charset = *v;
        }
        if (const auto v = a.Value("--separator")) {
            const auto s = OneOf<Separator>(*v, {{"auto", Separator::Auto},
                                                 {"tab-comma", Separator::TabComma},
                                                 {"semicolon", Separator::Semicolon}});
            if (!s)
                return UsageError("--separator takes auto, tab-comma or semicolon");
            choice.separator = *s;
        }
        std::optional<std::vector<std::string>> fields;
        if (const auto v = a.Value("--fields")) {
            fields = SplitFieldList(*v);
            for (const std::string& name : *fields) {
                if (transfer::ParseRowName(name).kind == transfer::ColumnRole::Kind::Invalid)
                    return UsageError("'" + name + "' is not a contact field");
            }
        }
        const std::string& dataPath = a.positional[0];
        const std::string& inPath = a.positional[1];

        CliBook book(CliMessageBox::Information::ToStdout);
        if (!book.LoadToChange(dataPath))
            return kExitFile;
        ImportOptions options;
        options.defaultCategory = a.Value("--category").value_or(std::string(kUnfiled));
        if (!kb::EqualsNoCase(options.defaultCategory, kUnfiled) &&
            !book.Category(*this, options.defaultCategory))
            return kExitUsage;
        options.createCategories = !a.Has("--no-create-categories");
        options.showFinish = false; // an import is done only once it is saved

        // No progress to pace: the file is read once for its format and once to import it.
        const ScanResult scan = DetectImportFormat(inPath, RealFileSystem(), book.Box(), choice);
        if (scan.status == ScanStatus::NotOpened || scan.status == ScanStatus::Incompatible)
            return kExitFile;
        options.format = scan.format;
        options.uids = &book.Doc().Uids();
        if (scan.format.kind == FileKind::VCard) {
            // A card names its own fields.
            if (fields || a.Has("--header") || a.Has("--separator"))
                return UsageError(inPath + " is a vCard file: --fields, --header and "
                                           "--separator do not apply");
        } else if (fields)
            options.rowNames = *fields;
        else if (scan.format.hasHeader)
            options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
        else
            options.rowNames = kImportRowOrder;
        NoProgress progress;
        const ImportResult r = RunImport(inPath, scan.recordCount, options, book.Records(),
                                         book.Categories(), RealFileSystem(), book.Box(), progress);
        // A file that cannot be read whole leaves the data file as it was.
        if (r.outcome != ImportOutcome::Completed)
            return kExitFile;
        if (book.Save(dataPath) != kExitOk) {
            std::cerr << "The import was not saved; " << dataPath << " is as it was.\n";
            return kExitFile;
        }
        ShowImportFinished(r, book.Box());
        return FlushedStdout();
    }
};

CliVerbRegistrar<ImportVerb> registrar;

} // namespace
