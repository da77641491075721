#pragma once
#include "transfer/FileFormat.h"
#include <string>
#include <vector>

class IFileSystem;
class IMessageBox;

// The open dialog of the import.
inline constexpr const char* kImportFilter =
    "Tab-Quote Delimited (*.tab)|*.tab|Tab-Only Delimited (*.tab)|*.tab|Comma-Quote Delimited "
    "(*.csv)|*.csv|Comma-Only Delimited (*.csv)|*.csv|All Files (*.*)|*.*||";

inline constexpr const char* kIncompatibleText =
    "This data file is not in a compatable format and cannot be imported.";
inline constexpr const char* kFileErrorCaption = "File Error";

// The 22 field names in the order the matching list starts with.
extern const std::vector<std::string> kImportRowOrder;
// The mark that makes a matching row skip its column.
inline constexpr const char* kSkippedFieldMarker = "** Skipped Field ** ";

enum class ScanStatus { Ok, NotOpened, NoData, Incompatible };

struct ScanResult {
    ScanStatus status = ScanStatus::Ok;
    int recordCount = 0;      // records to import: blank lines and the header row left out
    int fieldCount = 0;       // the fields of the file's widest record
    std::vector<bool> valued; // per column: whether any record holds a value there
    DetectedFormat format;
};

// Detects the file's format (within what choice fixes), then reads the whole file once
// and counts its records (a vCard file's cards); reports a file that cannot be opened, is empty or
// cannot be read as delimited text (naming the line that breaks the rules).
ScanResult CountRecords(const std::string& path, IFileSystem& fileSystem, IMessageBox& messageBox,
                        std::vector<char>& buffer, const ImportFormatChoice& choice = {});

// Detects the file's format as CountRecords does, without reading the file through once
// more to count its records (recordCount stays 0): for an import that shows no progress.
// RunImport reports a file that cannot be read as delimited text, before anything is saved.
ScanResult DetectImportFormat(const std::string& path, IFileSystem& fileSystem,
                              IMessageBox& messageBox, const ImportFormatChoice& choice = {});

struct PreviewResult {
    ScanStatus status = ScanStatus::Ok;
    int record = 1;                  // the record shown (the last one when k was beyond it)
    bool hasNext = false;            // whether ">>" is offered
    std::vector<std::string> values; // its fields in file order
};

// The values of record k (1-based, not counting blank lines or the header row), read
// again from the start of the file.
PreviewResult PreviewRecord(const std::string& path, int k, int recordCount,
                            IFileSystem& fileSystem, IMessageBox& messageBox,
                            std::vector<char>& buffer, const DetectedFormat& format = {});

// The names of the columns that hold values (valued, as CountRecords found) and that no
// row of the matching list takes: the header's name, or "column N" (1-based).
std::vector<std::string> SkippedColumns(const std::vector<std::string>& rowNames,
                                        const DetectedFormat& format,
                                        const std::vector<bool>& valued);
// "3 columns with values will not be imported: A, B and C." (after the import: "were not
// imported"); empty for none.
std::string SkippedColumnsMessage(const std::vector<std::string>& columns, bool done = false);

// The matching list's row marking: the marker put in front of a name, or taken off again.
std::string ToggleSkippedMarker(const std::string& rowName);
