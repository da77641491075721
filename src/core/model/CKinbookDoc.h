#pragma once
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include "model/CRecordUids.h"
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class IMessageBox;
class IFileSystem;

// The one document: owns the record list and the category list for the whole run,
// loads them from and saves them to a data file, and reports its own failures.
class CKinbookDoc {
public:
    CKinbookDoc(IMessageBox& messageBox, IFileSystem& fileSystem);
    ~CKinbookDoc();
    CKinbookDoc(const CKinbookDoc&) = delete;
    CKinbookDoc& operator=(const CKinbookDoc&) = delete;

    CRecordList& GetRecords() { return m_records; }
    const CRecordList& GetRecords() const { return m_records; }
    CCategoryList& GetCategories() { return m_categories; }
    const CCategoryList& GetCategories() const { return m_categories; }
    // The records' stable UIDs, read after every load and written beside the data file
    // after every save.
    CRecordUids& Uids() { return m_uids; }

    // The current data path (an empty path given to Load or Save means this one).
    const std::string& GetDataPath() const { return m_strDataPath; }
    void SetDataPath(std::string path) { m_strDataPath = std::move(path); }

    // Loads path (empty: the current data path). True on success; every failure has
    // been reported through the message box. An empty path whose file does not exist
    // starts a new book with the default categories, silently. A file that fails to load
    // is never overwritten later before an untouched copy of it exists: a damaged file is
    // copied beside itself ("<path>.damaged", ".damaged.1", ...) and the user told where;
    // a file that could not be read or copied is refused to every later Save until a load
    // of that path succeeds.
    bool Load(const std::string& path = {});
    // Saves to path (empty: the current data path), atomically: a failed save leaves the
    // previous file exactly as it was. True on success.
    bool Save(const std::string& path = {});

    // Whether Save refuses path because its content was never loaded and no copy of it
    // exists.
    bool IsProtected(const std::string& path) const { return m_protectedPaths.count(path) != 0; }
    // Tools that only read (kinbook-cli check and dump) switch the damaged-file copy off.
    void SetKeepDamagedCopies(bool keep) { m_bKeepDamagedCopies = keep; }

    // What the category filter holds after a load: the category names in list
    // order, then "All" and "- Edit Categories" (the control sorts them).
    std::vector<std::string> FilterEntries() const;

    // Destroys every record and category.
    void DeleteContents();

    // Replaces the book by other's records and categories, which are the whole content of
    // the file at path (loaded from it or just written to it); other is left empty. Lets a
    // command read or build a book aside and take it over only when that succeeded. A
    // later Save to path no longer needs protecting.
    void TakeContents(CKinbookDoc& other, const std::string& path) {
        m_records = std::move(other.m_records);
        m_categories = std::move(other.m_categories);
        m_uids = std::move(other.m_uids);
        other.m_uids.Clear();
        m_categories.m_pRecords = &m_records;
        other.m_records.clear();
        other.m_categories.RemoveAll();
        other.m_categories.m_pRecords = &other.m_records;
        m_protectedPaths.erase(path);
    }

    IMessageBox& MessageBox() { return m_messageBox; }
    IFileSystem& FileSystem() { return m_fileSystem; }

private:
    // Copies a damaged file beside itself; the message that tells the user where (or why
    // not, and then path is protected), or nothing when copies are off.
    std::string KeepDamagedCopy(const std::string& path);
    void CopyFile(const std::string& from, const std::string& to);
    bool SaveStep(const std::function<void()>& step);
    void NoteSavedForSync(const std::string& file);

    CRecordList m_records;
    CCategoryList m_categories;
    CRecordUids m_uids;
    std::string m_strDataPath;
    IMessageBox& m_messageBox;
    IFileSystem& m_fileSystem;
    std::set<std::string> m_protectedPaths;
    bool m_bKeepDamagedCopies = true;
};
