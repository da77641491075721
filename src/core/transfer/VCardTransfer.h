#pragma once
// Export of records to a vCard file and import of a vCard file into the book, with the
// messages, progress and Cancel of the delimited export and import.
//
// How to use it:
//   VCardExportRequest req{path, category /* -1: all */, VCardVersion::V40};
//   RunVCardExport(doc.GetRecords(), doc.GetCategories(), doc.Uids(), req, fs, box, progress);
//   RunVCardImport(path, doc.GetRecords(), doc.GetCategories(), &doc.Uids(), fs, box, progress);
#include "model/CRecordList.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportProcedure.h"
#include "transfer/VCardMapping.h"
#include <string>
#include <vector>

class CCategoryList;
class CRecordUids;
class IFileSystem;
class IMessageBox;
class IProgress;

// The formats the export dialog offers beside the delimited ones.
inline constexpr const char* kVariantVCard40Name = "vCard 4.0 (*.vcf)";
inline constexpr const char* kVariantVCard30Name = "vCard 3.0 (*.vcf, for older phones)";

// The save dialog of the export and the open dialog of the import, with vCard added after
// the entries they always had (so their positions stay).
inline constexpr const char* kExportFilterWithVCard =
    "Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv|All Files (*.*)|*.*|"
    "vCard 4.0 (*.vcf)|*.vcf|vCard 3.0 (*.vcf, for older phones)|*.vcf||";
inline constexpr int kFilterIndexVCard40 = 4;
inline constexpr int kFilterIndexVCard30 = 5;
inline constexpr const char* kImportFilterWithVCard =
    "Tab-Quote Delimited (*.tab)|*.tab|Tab-Only Delimited (*.tab)|*.tab|Comma-Quote Delimited "
    "(*.csv)|*.csv|Comma-Only Delimited (*.csv)|*.csv|All Files (*.*)|*.*|vCard (*.vcf)|*.vcf||";

// The path with its extension made "vcf" (appended when it has none).
std::string PathForVCard(const std::string& path);

// Whether a variant name is one of the vCard formats, and which version.
bool IsVCardVariant(const std::string& variantText);
VCardVersion VCardVersionOf(const std::string& variantText);

struct VCardExportRequest {
    std::string path;
    int nCategory = -1; // -1: every record
    VCardVersion version = VCardVersion::V40;
};

// Writes one card per record of the category, every field, UTF-8 with CR LF; asks before
// it replaces a file and reports every outcome as the delimited export does.
ExportResult RunVCardExport(const CRecordList& records, const CCategoryList& categories,
                            CRecordUids& uids, const VCardExportRequest& request,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress);

struct VCardImportResult {
    ImportOutcome outcome = ImportOutcome::Completed;
    int imported = 0;
    std::vector<int> refusedLines;     // where the cards that could not be read begin
    std::vector<std::string> binaries; // "photo", ... for every value not imported
    std::vector<std::string> createdCategories;
};

// Adds every card of the file as a record, filed by the filing rule. A card's category is
// the first of its CATEGORIES that is a category or can be made one (made at the end of
// the list); a card without one is Unfiled. A card's UID stays with its record when no
// other record has it. Cards that cannot be read are skipped and named by line in the
// finish message, as are the photos and other binary values that were not imported.
VCardImportResult RunVCardImport(const std::string& path, CRecordList& records,
                                 CCategoryList& categories, CRecordUids* uids,
                                 IFileSystem& fileSystem, IMessageBox& messageBox,
                                 IProgress& progress);

// The finish message of an import ("3 records imported.  1 photo was not imported.").
std::string VCardImportMessage(const VCardImportResult& result);

// Whether bytes (the start of a file) look like a vCard file: after blanks and a
// byte-order mark, the first line is BEGIN:VCARD.
bool LooksLikeVCard(std::string_view head);
// LooksLikeVCard for the start of a file; false when it cannot be read.
bool IsVCardFile(const std::string& path, IFileSystem& fileSystem);
