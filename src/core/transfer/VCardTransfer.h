#pragma once
// Export of records to a vCard file and import of a vCard file into the book, with the
// messages, progress and Cancel of the delimited export and import.
//
// How to use it:
//   VCardExportRequest req{path, category /* -1: all */, VCardVersion::V40};
//   RunVCardExport(doc.GetRecords(), doc.GetCategories(), doc.Uids(), req, fs, box, progress);
// Import goes through RunImport (ImportProcedure.h), which reads a file DetectFormat found
// to be vCard with RunVCardImport below.
#include "model/CCategoryFilter.h"
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
class IByteSource;
class IProgress;

// The formats the export dialog offers beside the delimited ones.
inline constexpr const char* kVariantVCard40Name = "vCard 4.0 (*.vcf)";
inline constexpr const char* kVariantVCard30Name = "vCard 3.0 (*.vcf, for older phones)";

// The save dialog of the export and the open dialog of the import, with vCard added after
// the entries they always had (so their positions stay).
inline constexpr const char* kExportFilterWithVCard =
    "Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv|Semicolon delimited "
    "(*.csv)|*.csv|All Files (*.*)|*.*|vCard 4.0 (*.vcf)|*.vcf|vCard 3.0 (*.vcf, for older "
    "phones)|*.vcf||";
inline constexpr int kFilterIndexVCard40 = 5;
inline constexpr int kFilterIndexVCard30 = 6;
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
    CCategoryFilter category; // the records written
    VCardVersion version = VCardVersion::V40;
};

// Writes one card per record of the category, every field, UTF-8 with CR LF; asks before
// it replaces a file and reports every outcome as the delimited export does.
ExportResult RunVCardExport(const CRecordList& records, const CCategoryList& categories,
                            CRecordUids& uids, const VCardExportRequest& request,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress);

// How many cards a source holds (lines that begin with BEGIN:VCARD), to pace the bar.
int CountVCards(IByteSource& source);
// The line of the first card longer than transfer::kMaxLineBytes, which an import refuses;
// 0 when there is none. Reads every card: only a file longer than that can hold one.
int FindTooLongCard(IByteSource& source);

// The import of a vCard file, as RunImport runs it for a file DetectFormat found to be
// vCard: adds every card as a record, filed by the filing rule, into the category its
// CATEGORIES name (the first that is a category or may be created, see CImportFiler) or
// the default one; a card the book holds already is skipped and counted. A card's UID
// stays with its record when options.uids is given and no other record has it. Cards
// that cannot be read are skipped and named by line in the finish message, as are the
// photos and other binary values that were not imported.
ImportResult RunVCardImport(const std::string& path, int cardCount, const ImportOptions& options,
                            CRecordList& records, CCategoryList& categories,
                            IFileSystem& fileSystem, IMessageBox& messageBox, IProgress& progress);
