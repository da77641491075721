#pragma once
#include "model/CRecordList.h"
#include "transfer/FileFormat.h"
#include <string>
#include <vector>

class CCategoryList;
class CDelimitedReader;
class CRecordUids;
class IFileSystem;
class IMessageBox;
class IProgress;

enum class ImportOutcome {
    NotOpened,    // reported; nothing imported
    Incompatible, // reported; the records before the bad line stay (a line or card too
                  // long to import is refused so)
    Cancelled,    // the records imported so far stay
    Completed,
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Completed;
    int imported = 0;
    int duplicates = 0; // lines skipped because the book already held them
    int categoriesCreated = 0;
    // vCard: where the cards that could not be read begin, and what was not imported
    // ("photo", ... once for every binary value).
    std::vector<int> refusedLines;
    std::vector<std::string> binaries;
    // Values longer than transfer::kMaxValueBytes, cut to that length.
    int shortened = 0;
    // Delimited text: the columns that held values no row took (see SkippedColumns).
    std::vector<std::string> skippedColumns;
    // vCard: values whose charset could not be honoured (an unknown name, or bytes that
    // are not text in it). Delimited: bytes that are not text in the file's encoding,
    // each read as U+FFFD.
    std::vector<kb::CharsetNote> charsetNotes;
    long long replaced = 0;
};

// How one import reads its file and where its records go.
struct ImportOptions {
    // How to read the file: encoding, separator, and whether its first line holds column
    // names (never imported) whose names label the extras and pair value columns with
    // their type columns.
    DetectedFormat format;
    // Row i names the destination of the file's column i (see ImportColumns.h); an empty
    // name or one that begins with "*" skips its column.
    std::vector<std::string> rowNames;
    // Where a record without a category goes; empty keeps a new record's own default.
    std::string defaultCategory;
    // Whether a category named in the file that does not exist yet is created (otherwise
    // such records go to the default).
    bool createCategories = false;
    // Whether a line equal to a record already in the book is skipped and counted.
    bool skipDuplicates = true;
    // vCard: where a card's UID stays with its record (null: UIDs are not kept).
    CRecordUids* uids = nullptr;
    // Whether the import shows its finish message; a caller that saves the book first
    // shows it (ShowImportFinished) only when the save succeeded.
    bool showFinish = true;
};

// Files every record of the file (a line of delimited text, or a card of a vCard file, as
// options.format.kind says) into records; recordCount (from the counting scan) only paces
// the progress bar. Reports the outcome: the finish message, or why the file could not be
// read.
ImportResult RunImport(const std::string& path, int recordCount, const ImportOptions& options,
                       CRecordList& records, CCategoryList& categories, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress);

// A file read as it comes: detected encoding and separator, no column names.
ImportResult RunImport(const std::string& path, int recordCount,
                       const std::vector<std::string>& rowNames, CRecordList& records,
                       CCategoryList& categories, IFileSystem& fileSystem, IMessageBox& messageBox,
                       IProgress& progress);

// "3 records imported, 1 already in the book. 1 photo was not imported. 1 card could not
// be read (line 12)."
std::string ImportFinishMessage(const ImportResult& result);
void ShowImportFinished(const ImportResult& result, IMessageBox& messageBox);

// "This data file is not in a compatable format..." and, when known, the line and text
// that broke the rules.
std::string IncompatibleMessage(long long line, const std::string& text);
// A line of delimited text (card: a card) that begins on line and is longer than
// transfer::kMaxLineBytes.
std::string TooLongMessage(long long line, bool card = false);
// Reports what stopped a delimited reader (Incompatible or TooLong).
void ShowReadRefusal(const CDelimitedReader& reader, TokenizeResult result, IMessageBox& box);
