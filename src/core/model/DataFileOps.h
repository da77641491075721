#pragma once
#include "port/IFileChooser.h"
#include <ctime>
#include <functional>
#include <optional>
#include <string>

class CKinbookDoc;
class IDataFileView;
class IMessageBox;
class IFileChooser;
class ISettingsStore;
class IFileSystem;
class IClock;

// The five commands on whole data files: Backup Data, Restore From Backup, New Archive,
// Open Archive and Reload Data. No command may lose the book: another file is read into
// a document of its own and taken over only when it loaded completely, and a new book is
// built aside and taken over only when it was written.
class DataFileOps {
public:
    // Runs the Open Archive dialog on the current data path; the path to load, or nothing
    // when the dialog was cancelled.
    using OpenArchiveDialog = std::function<std::optional<std::string>(const std::string& current)>;

    DataFileOps(CKinbookDoc& doc, IDataFileView& view, IMessageBox& messageBox,
                IFileChooser& fileChooser, ISettingsStore& settings, IFileSystem& fileSystem);

    // The file dialog all five commands use.
    static FileDialogRequest FileRequest();
    // Backup's dialog: the same, suggesting "Kinbook backup YYYY-MM-DD.kbk" for today.
    static FileDialogRequest BackupRequest(const std::tm& today);
    // The clock that dates Backup's suggestion (the system's when none is set).
    void SetClock(const IClock& clock) { m_clock = &clock; }

    bool CanBackup() const;
    // Each returns true when it completed.
    bool Backup();
    bool Restore();
    bool NewArchive();
    bool OpenArchive(const OpenArchiveDialog& runDialog);
    bool Reload();

private:
    // False when P exists and the user declined to overwrite it.
    bool ConfirmOverwrite(const std::string& path);
    // Reads path into a document of its own and, only when all of it loaded, makes that
    // the book in memory. On failure the book stays exactly as it was.
    bool LoadWhole(const std::string& path);

    CKinbookDoc& m_doc;
    IDataFileView& m_view;
    IMessageBox& m_messageBox;
    IFileChooser& m_fileChooser;
    ISettingsStore& m_settings;
    IFileSystem& m_fileSystem;
    const IClock* m_clock = nullptr;
};
