#pragma once
#include "model/CRecordList.h"
#include <string>
#include <vector>

class CCategoryList;
class IFileSystem;
class IMessageBox;
class IProgress;

enum class ImportOutcome {
    NotOpened,    // reported; nothing imported
    Incompatible, // reported; the records before the bad line stay
    Cancelled,    // the records imported so far stay
    Completed,
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Completed;
    int imported = 0;
};

// Row i of rowNames names the contact field that receives the file's column i; an empty
// name or one that begins with "*" skips its column.
// Every line of the file becomes a new record filed into records; recordCount (from the
// counting scan) only paces the progress bar.
ImportResult RunImport(const std::string& path, int recordCount,
                       const std::vector<std::string>& rowNames, CRecordList& records,
                       const CCategoryList& categories, IFileSystem& fileSystem,
                       IMessageBox& messageBox, IProgress& progress);
