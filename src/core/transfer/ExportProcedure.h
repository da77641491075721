#pragma once
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
inline constexpr const char* kExportFilter =
    "Tab Delimited (*.tab)|*.tab|Comma-Quote Delimited (*.csv)|*.csv|All Files (*.*)|*.*||";
inline constexpr const char* kTransferInitialName = "*.tab";

struct ExportRequest {
    std::string path;
    int nCategory = -1;               // -1: every record
    std::vector<std::string> columns; // export rows in order, names of the vocabulary
    std::string variantText;          // one of the two variant names
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
};

// "All" names every category; any other name the category list's index for it.
int ExportCategoryIndex(const CCategoryList& categories, const std::string& selectedText);

// The variant code of a variant name; Tab for a name that is neither.
ExportVariant VariantFromText(const std::string& text);

// The path as the records dialog opens with it: ".csv" (filter 2) or ".tab" appended when
// the chosen name has no extension.
std::string PathWithExtension(const std::string& path, int filterIndex);
// The extension of the file name in a path (after its last dot), or empty.
std::string ExtensionOf(const std::string& path);
// The extension replaced by the variant's "csv" or "tab" (appended when there is none).
std::string PathForVariant(const std::string& path, ExportVariant variant);

// Writes the records of the category to the path, asking before it replaces a file and
// reporting every outcome through the message box. A cancel keeps the lines written so
// far; a failed write leaves no new file behind (a file it would have replaced stays as
// it was).
ExportResult RunExport(const CRecordList& records, const CCategoryList& categories,
                       const ExportRequest& request, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress);
