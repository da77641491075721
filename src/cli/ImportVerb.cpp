#include "CliArgs.h"
#include "CliSupport.h"
#include "CliVerb.h"
#include "TransferCliSupport.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include "transfer/ImportColumns.h"
#include "transfer/ImportProcedure.h"
#include "transfer/ImportScan.h"
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
               "[--encoding auto|utf8|utf16|cp1252] [--separator auto|tab-comma|semicolon] "
               "[--category NAME] [--no-create-categories]";
    }
    const char* Summary() const override {
        return "add the records of a delimited text file, filed and saved";
    }

    int Run(const std::vector<std::string>& args) override {
        const CliArgs a =
            ParseCliArgs(args, {"--no-create-categories"},
                         {"--fields", "--header", "--encoding", "--separator", "--category"});
        if (!a.error.empty())
            return CliUsageError(*this, a.error);
        if (a.positional.size() != 2)
            return CliUsageError(*this, "expected FILE and IN");
        ImportFormatChoice choice;
        if (a.values.count("--header")) {
            const auto h =
                OneOf<HeaderChoice>(a.values.at("--header"), {{"yes", HeaderChoice::Yes},
                                                              {"no", HeaderChoice::No},
                                                              {"auto", HeaderChoice::Auto}});
            if (!h)
                return CliUsageError(*this, "--header takes yes, no or auto");
            choice.header = *h;
        }
        if (a.values.count("--encoding")) {
            const auto e =
                OneOf<TextEncoding>(a.values.at("--encoding"), {{"auto", TextEncoding::Auto},
                                                                {"utf8", TextEncoding::Utf8},
                                                                {"utf16", TextEncoding::Utf16LE},
                                                                {"cp1252", TextEncoding::Cp1252}});
            if (!e)
                return CliUsageError(*this, "--encoding takes auto, utf8, utf16 or cp1252");
            choice.encoding = *e;
        }
        if (a.values.count("--separator")) {
            const auto s =
                OneOf<Separator>(a.values.at("--separator"), {{"auto", Separator::Auto},
                                                              {"tab-comma", Separator::TabComma},
                                                              {"semicolon", Separator::Semicolon}});
            if (!s)
                return CliUsageError(*this, "--separator takes auto, tab-comma or semicolon");
            choice.separator = *s;
        }
        std::optional<std::vector<std::string>> fields;
        if (a.values.count("--fields")) {
            fields = SplitFieldList(a.values.at("--fields"));
            for (const std::string& name : *fields) {
                if (transfer::ParseRowName(name).kind == transfer::ColumnRole::Kind::Invalid)
                    return CliUsageError(*this, "'" + name + "' is not a contact field");
            }
        }
        const std::string& dataPath = a.positional[0];
        const std::string& inPath = a.positional[1];

        TransferCliMessageBox box;
        IFileSystem& fs = RealFileSystem();
        CKinbookDoc doc(box, fs);
        if (!doc.Load(dataPath))
            return kExitFile;
        ImportOptions options;
        options.defaultCategory =
            a.values.count("--category") ? a.values.at("--category") : std::string(kUnfiled);
        if (!kb::EqualsNoCase(options.defaultCategory, kUnfiled) &&
            doc.GetCategories().IndexOf(options.defaultCategory) == 0)
            return CliUsageError(*this, "no category named '" + options.defaultCategory + "'");
        options.createCategories = !a.Has("--no-create-categories");

        std::vector<char> buffer;
        const ScanResult scan = CountRecords(inPath, fs, box, buffer, choice);
        if (scan.status == ScanStatus::NotOpened || scan.status == ScanStatus::Incompatible)
            return kExitFile;
        options.format = scan.format;
        if (fields)
            options.rowNames = *fields;
        else if (scan.format.hasHeader)
            options.rowNames = transfer::ArrangeColumns(scan.format.firstRecord).rowNames;
        else
            options.rowNames = kImportRowOrder;
        NoProgress progress;
        const ImportResult r = RunImport(inPath, scan.recordCount, options, doc.GetRecords(),
                                         doc.GetCategories(), fs, box, progress);
        // A file that cannot be read whole leaves the data file as it was.
        if (r.outcome != ImportOutcome::Completed)
            return kExitFile;
        return doc.Save(dataPath) ? kExitOk : kExitFile;
    }
};

CliVerbRegistrar<ImportVerb> registrar;

} // namespace
