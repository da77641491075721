#pragma once
#include "model/BookMerge.h"
#include "model/CCategoryList.h"
#include "model/CRecordList.h"
#include "model/CRecordUids.h"
#include "port/IFileSystem.h"
#include <cstdint>
#include <functional>
#include <optional>
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

    // Loads the current data file, the one the window works on: a file that does not
    // exist yet starts a new book with the default categories, silently (it is written by
    // the first save). A damaged one is copied beside itself before any save can replace
    // it ("<path>.damaged", ".damaged.1", ...; an identical earlier copy is kept instead of
    // making another) and the user is told where; one that could not be read or copied is
    // refused to every later Save until a load of that path succeeds. True on success.
    bool LoadDataFile();
    // Loads path, an existing data file (a missing file or an empty path is reported as a
    // file that cannot be opened). True on success; every failure has been reported
    // through the message box. Damaged files are copied only when SetKeepDamagedCopies
    // asked for it: a caller that goes on to save over the file needs the copy.
    bool Load(const std::string& path);
    // Saves to path (empty: the current data path), atomically: a failed save leaves the
    // previous file exactly as it was. True on success. A save holds the file's writers'
    // lock (one writer at a time among all programs) from before its merge until the new
    // content has replaced the file, and fails with kBookBusy when another program keeps
    // it. Before it writes over the file this book was last read from or written to, and
    // again before its new content replaces it, a save looks whether another program
    // changed that file meanwhile, and if so merges those changes in first
    // (MergeFileChanges): nothing another program wrote is ever overwritten.
    bool Save(const std::string& path = {});
    // Takes the writers' lock of path for a change that reads the file, changes the book
    // and saves it back, and holds it for the document's life: no other program's save
    // comes in between, and the Save to path uses this lock. False when it could not be
    // taken (reported). The window never holds it between saves.
    bool LockForChange(const std::string& path);

    // Whether the file this book was last read from or written to changed on disk since:
    // its size, modification time or identity (another file renamed over it) differs, or
    // it appeared or went away.
    bool FileChangedOnDisk();
    // When FileChangedOnDisk: reads the file again and merges what the other program
    // changed into the book, keeping the book's own changes that are not saved yet
    // (MergeChangesFromFile). A file that went away leaves the book as it is (the next
    // save writes it again); one that cannot be read is reported once, as a load reports
    // it. True when the records or categories changed.
    bool MergeFileChanges();
    // Counts the merges that changed the book: a view compares it across a Save to know
    // that records it pointed to may be gone.
    std::uint64_t MergeCount() const { return m_nMerges; }

    // Whether Save refuses path because its content was never loaded and no copy of it
    // exists.
    bool IsProtected(const std::string& path) const { return m_protectedPaths.count(path) != 0; }
    // Whether Load copies a damaged file beside itself; off unless asked for.
    void SetKeepDamagedCopies(bool keep) { m_bKeepDamagedCopies = keep; }
    // Whether loads and saves remember the file as it was, so that a later save merges
    // another program's changes to it; on unless turned off. Remembering costs a pass over
    // every record: a caller that will not save to the file again (a command that only
    // reads, or one that ends with its save) turns it off. What is remembered already
    // stays for the next save.
    void SetTrackFile(bool track) { m_bTrackFile = track; }
    // Whether a load reads the record UIDs kept beside the file; on unless turned off.
    // Matching them to the records costs a pass over every record: only a caller that
    // neither saves nor asks for a UID (a command writing delimited text) turns it off.
    void SetReadUids(bool read) { m_bReadUids = read; }

    // What the category filter holds after a load: the category names, "All" and
    // "- Edit Categories", sorted as the drop-down shows them.
    std::vector<std::string> FilterEntries() const;

    // Destroys every record and category.
    void DeleteContents();

    // Counts the changes of the book: every save to the data path, load and take-over
    // moves it on, so a caller can tell whether the book changed since it looked.
    std::uint64_t Generation() const { return m_nGeneration; }

    // Replaces the book by other's records and categories, which are the whole content of
    // the file at path (loaded from it or just written to it); other is left empty. Lets a
    // command read or build a book aside and take it over only when that succeeded. A
    // later Save to path no longer needs protecting.
    void TakeContents(CKinbookDoc& other, const std::string& path) {
        m_records = std::move(other.m_records);
        m_categories = std::move(other.m_categories);
        m_uids = std::move(other.m_uids);
        other.m_uids.Clear();
        other.m_records.clear();
        other.m_categories.RemoveAll();
        m_protectedPaths.erase(path);
        m_damagedCards.insert(other.m_damagedCards.begin(), other.m_damagedCards.end());
        ++m_nGeneration;
        m_tracked.reset();
        if (other.m_tracked && other.m_tracked->path == path)
            m_tracked = std::move(other.m_tracked);
        other.m_tracked.reset();
    }

    IMessageBox& MessageBox() { return m_messageBox; }
    IFileSystem& FileSystem() { return m_fileSystem; }

private:
    // The file the book was last read from or written to, as it was then.
    struct TrackedFile {
        std::string path;
        std::optional<FileStamp> stamp; // nothing: there was no file
        CBookSnapshot snapshot;
    };

    // dataFile: a missing file starts a new book (LoadDataFile).
    bool LoadFile(const std::string& file, bool keepDamagedCopy, bool dataFile);
    void Track(const std::string& path, std::optional<FileStamp> stamp);
    // Copies a damaged file beside itself; the message that tells the user where (or why
    // not, and then path is protected).
    std::string KeepDamagedCopy(const std::string& path);
    void CopyFile(const std::string& from, const std::string& to);
    bool SameBytes(const std::string& a, const std::string& b);
    bool SaveStep(const std::function<void()>& step);
    // The writers' lock of file, waited for a few seconds; null after telling the user.
    std::unique_ptr<FileLock> TakeLock(const std::string& file);
    void NoteSavedForSync(const std::string& file);
    // Gives the loaded records the extras kept in the cards file path; book: the digest of
    // the data file they were read from. A damaged file is reported and kept for SaveCards.
    void LoadCards(const std::string& path, std::uint64_t book);
    // Writes the cards file path for the data file whose digest is book, after putting a
    // damaged one aside; false after telling the user.
    bool SaveCards(const std::string& path, std::uint64_t book);

    CRecordList m_records;
    CCategoryList m_categories;
    CRecordUids m_uids;
    std::string m_strDataPath;
    IMessageBox& m_messageBox;
    IFileSystem& m_fileSystem;
    std::set<std::string> m_protectedPaths;
    // Cards files a load could not read whole: copied aside before a save replaces them.
    std::set<std::string> m_damagedCards;
    bool m_bKeepDamagedCopies = false;
    bool m_bTrackFile = true;
    bool m_bReadUids = true;
    std::optional<TrackedFile> m_tracked;
    std::unique_ptr<FileLock> m_lock; // LockForChange's
    std::string m_strLockedPath;
    std::uint64_t m_nMerges = 0;
    std::uint64_t m_nGeneration = 0;
};
