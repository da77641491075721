#include "model/DataFileOps.h"
#include "model/CKinbookDoc.h"
#include "model/DocMessages.h"
#include "model/IDataFileView.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/ISettingsStore.h"
#include "view/CSettingsSchema.h"

namespace {

std::string FormatOverwriteQuestion(const std::string& path) {
    return "The file " + path + " already exists, overwrite it?";
}

} // namespace

DataFileOps::DataFileOps(CKinbookDoc& doc, IDataFileView& view, IMessageBox& messageBox,
                         IFileChooser& fileChooser, ISettingsStore& settings,
                         IFileSystem& fileSystem)
    : m_doc(doc), m_view(view), m_messageBox(messageBox), m_fileChooser(fileChooser),
      m_settings(settings), m_fileSystem(fileSystem) {}

FileDialogRequest DataFileOps::FileRequest() {
    FileDialogRequest request;
    request.filter = "Kinbook Data file (*.kbk)|*.kbk|All Files (*.*)|*.*||";
    request.initialName = "*.kbk";
    return request;
}

bool DataFileOps::CanBackup() const {
    return m_view.ListHasEntries();
}

bool DataFileOps::ConfirmOverwrite(const std::string& path) {
    if (!m_fileSystem.Exists(path))
        return true;
    return m_messageBox.Show(FormatOverwriteQuestion(path), "Overwrite Confirmation",
                             MbIcon::Question, MbButtons::YesNo) == MbResult::Yes;
}

bool DataFileOps::LoadWhole(const std::string& path) {
    if (path.empty()) {
        // An empty path would make the reader start a new book; there is no file to open.
        m_messageBox.Show(std::string(DocMessages::kCannotOpenBackup), MbIcon::Exclamation);
        return false;
    }
    CKinbookDoc loaded(m_messageBox, m_fileSystem);
    loaded.SetDataPath(path);
    // A damaged file that is not the current data file is never written over (the book
    // in memory stays as it was), so it needs no safety copy; the current one does.
    loaded.SetKeepDamagedCopies(path == m_doc.GetDataPath());
    if (!loaded.Load(path))
        return false;
    m_doc.TakeContents(loaded, path);
    m_view.RefillCategoryFilter();
    return true;
}

bool DataFileOps::Backup() {
    const std::optional<FileChoice> choice = m_fileChooser.ChooseSave(FileRequest());
    if (!choice)
        return false;
    if (!ConfirmOverwrite(choice->path))
        return false;
    const bool saved = m_doc.Save(choice->path);
    m_messageBox.Show(saved ? "Backup complete." : "Backup aborted!", "Backup", MbIcon::Exclamation,
                      MbButtons::Ok);
    return saved;
}

bool DataFileOps::Restore() {
    if (m_messageBox.Show("WARNING:\n\nAll current data will be replaced by the data stored in "
                          "the backup file.  Do you still want to continue?",
                          "Restore Data?", MbIcon::Exclamation, MbButtons::YesNo) != MbResult::Yes)
        return false;
    const std::optional<FileChoice> choice = m_fileChooser.ChooseOpen(FileRequest());
    if (!choice)
        return false;
    if (!LoadWhole(choice->path)) {
        m_messageBox.Show("Backup was not restored.", "Restore Error", MbIcon::Exclamation,
                          MbButtons::Ok);
        return false;
    }
    m_view.ReselectFilter();
    m_messageBox.Show("Backup restored.", "Restore", MbIcon::Exclamation, MbButtons::Ok);
    // A restore copies the backup's content into the data file in use.
    m_view.RefreshView(true);
    return true;
}

bool DataFileOps::NewArchive() {
    const std::optional<FileChoice> choice = m_fileChooser.ChooseSave(FileRequest());
    if (!choice)
        return false;
    const std::string& path = choice->path;
    if (!ConfirmOverwrite(path))
        return false;
    // The empty book is built and written aside: when the new file cannot be written, the
    // book in memory and its data file stay exactly as they were.
    CKinbookDoc fresh(m_messageBox, m_fileSystem);
    fresh.SetDataPath(path); // the book written there is the one later saves compare with
    fresh.GetCategories().ResetToDefaults();
    if (!fresh.Save(path)) {
        m_messageBox.Show("Create aborted!", "Create Aborted", MbIcon::Exclamation, MbButtons::Ok);
        return false;
    }
    m_doc.TakeContents(fresh, path);
    m_view.RefillCategoryFilter();
    m_doc.SetDataPath(path);
    SettingsSchema::WriteCurrentPath(m_settings, path);
    m_messageBox.Show(
        "Your new Kinbook database was created successfully and is now the current database.",
        "Save Complete", MbIcon::Exclamation, MbButtons::Ok);
    m_view.SelectFilterAll(2);
    m_view.RefreshView(true);
    m_view.SetCategoryRecordCount(0);
    m_view.OnCategoryFilterChanged();
    return true;
}

bool DataFileOps::OpenArchive(const OpenArchiveDialog& runDialog) {
    const std::optional<std::string> load = runDialog(m_doc.GetDataPath());
    if (!load)
        return false;
    if (!LoadWhole(*load)) {
        m_messageBox.Show("The archive was NOT loaded successfully.", "Load Error",
                          MbIcon::Exclamation, MbButtons::Ok);
        return false;
    }
    m_doc.SetDataPath(*load);
    SettingsSchema::WriteCurrentPath(m_settings, *load);
    m_view.ReselectFilter();
    m_messageBox.Show("The archive was loaded successfully.", "Load Complete", MbIcon::Exclamation,
                      MbButtons::Ok);
    m_view.RefreshView(true);
    m_view.SetCategoryRecordCount(0);
    m_view.OnCategoryFilterChanged();
    return true;
}

bool DataFileOps::Reload() {
    const std::string path = m_doc.GetDataPath();
    if (path.empty())
        return false;
    SettingsSchema::WriteSelectedCategory(m_settings, m_view.GetFilterSelectedPosition());
    if (!LoadWhole(path))
        return false;
    m_view.ReselectFilter();
    m_view.RefreshView(true);
    return true;
}
