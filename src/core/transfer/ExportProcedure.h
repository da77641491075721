#pragma once
#include "model/CCategoryFilter.h"
#include "model/CRecordList.h"
#include "transfer/CDelimitedWriter.h"
#include <string>
#include <vector>

class CCategoryList;
class IFileSystem;
class IMessageBox;
class IProgress;

// The variant names the export dialog offers, and the filters of its save dialog.
inline constexpr const char* kVariantTabName = "Tab Delimited (*.tab)";
inline constexpr const char* kVariantCommaName = "Comma-Quote Delimited (*.csv)";
inline constexpr const char* kVariantSemicolonName = "Semicolon delimited (*.csv)";
inline constexpr const char* kExportFilter =
    "Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv|Semicolon delimited "
    "(*.csv)|*.csv|All Files (*.*)|*.*||";
// The encodings the export offers, in the order of ExportEncoding.
inline constexpr const char* kExportEncodingNames[] = {
    "UTF-8",
    "UTF-8 with byte-order mark (for spreadsheets)",
    "Western (Windows-1252)",
};
inline constexpr const char* kTransferInitialName = "*.tab";

struct ExportRequest {
    std::string path;
    CCategoryFilter category;         // every record unless narrowed
    std::vector<std::string> columns; // export rows in order: field names or kept columns
    std::string variantText;          // one of the variant names
    bool header = false;              // the field names as the first line
    ExportEncoding encoding = ExportEncoding::Utf8;
};

enum class ExportOutcome {
    NothingToDo, // no record in the category; no file touched
    Declined,    // the user kept the existing file
    NotWritable, // the file could not be created
    Cancelled,   // stopped by the user; what was written is kept
    Failed,      // a write failed; no file left under the path
    Completed,
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Completed;
    int written = 0;
    long long replaced = 0; // characters written as "?" (Windows-1252 lacks them)
};

// The columns named, and after them what else the records of the category hold that the
// columns would leave out: an item label once more for every further item with that label
// a record has, then each kept column (Birthday, ...) a record has a value for. Without
// such records the columns are returned as they are.
std::vector<std::string> ColumnsForEverything(const CRecordList& records,
                                              const CCategoryFilter& category,
                                              std::vector<std::string> columns);

// The variant code of a variant name; Tab for a name that is neither.
ExportVariant VariantFromText(const std::string& text);

// The path as the records dialog opens with it: ".csv" (filter 2 or 3) or ".tab" appended when
// the chosen name has no extension.
std::string PathWithExtension(const std::string& path, int filterIndex);
// The extension of the file name in a path (after its last dot), or empty.
std::string ExtensionOf(const std::string& path);
// The extension replaced by the variant's "csv" or "tab" (appended when there is none).
std::string PathForVariant(const std::string& path, ExportVariant variant);

// Asks before replacing an existing file and starts writing path atomically; null (with the
// outcome in result, after the message) when the user declined or it cannot be written.
std::unique_ptr<IByteSink> OpenExportFile(const std::string& path, IFileSystem& fileSystem,
                                          IMessageBox& messageBox, ExportResult& result);

// Writes the records of the category to the path, asking before it replaces a file and
// reporting every outcome through the message box. A cancel keeps the lines written so
// far; a failed write leaves no new file behind (a file it would have replaced stays as
// it was).
ExportResult RunExport(const CRecordList& records, const CCategoryList& categories,
                       const ExportRequest& request, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress);
