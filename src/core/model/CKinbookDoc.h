#pragma once
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
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

    // The current data path (an empty path given to Load or Save means this one).
    const std::string& GetDataPath() const { return m_strDataPath; }
    void SetDataPath(std::string path) { m_strDataPath = std::move(path); }

    // Loads path (empty: the current data path). True on success; every failure has
    // been reported through the message box.
    bool Load(const std::string& path = {});
    // Saves to path (empty: the current data path), atomically. True on success.
    bool Save(const std::string& path = {});

    // What the category filter holds after a load: the category names in list
    // order, then "All" and "- Edit Categories" (the control sorts them).
    std::vector<std::string> FilterEntries() const;

    // Destroys every record and category.
    void DeleteContents();

    // Replaces the book by other's records and categories; other is left empty. Lets a
    // command read a file aside and take it over only when all of it loaded.
    void TakeContents(CKinbookDoc& other) {
        m_records = std::move(other.m_records);
        m_categories = std::move(other.m_categories);
        m_categories.m_pRecords = &m_records;
        other.m_records.clear();
        other.m_categories.RemoveAll();
        other.m_categories.m_pRecords = &other.m_records;
    }

    IMessageBox& MessageBox() { return m_messageBox; }
    IFileSystem& FileSystem() { return m_fileSystem; }

private:
    CRecordList m_records;
    CCategoryList m_categories;
    std::string m_strDataPath;
    IMessageBox& m_messageBox;
    IFileSystem& m_fileSystem;
};
