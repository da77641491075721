#include "transfer/CImportUndo.h"
#include "model/CExtrasSidecar.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordUids.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include <vector>

std::string CImportUndo::CopyPathFor(const std::string& dataPath) {
    const std::size_t slash = dataPath.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : dataPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? dataPath : dataPath.substr(slash + 1);
    return folder + "." + name + ".before-import";
}

namespace {

void CopyFile(IFileSystem& fs, const std::string& from, const std::string& to) {
    auto source = fs.OpenRead(from);
    auto sink = fs.CreateAtomic(to);
    std::vector<char> buffer(64 * 1024);
    while (const std::size_t n = source->Read(buffer.data(), buffer.size()))
        sink->Write(buffer.data(), n);
    sink->Commit();
}

} // namespace

bool CImportUndo::Prepare(CKinbookDoc& doc) {
    m_bAvailable = false;
    m_bPrepared = false;
    m_strDataPath = doc.GetDataPath();
    if (m_strDataPath.empty())
        return false;
    m_bPrepared = doc.Save(CopyPathFor(m_strDataPath));
    return m_bPrepared;
}

void CImportUndo::Completed(const CKinbookDoc& doc, int imported, std::string source) {
    m_bAvailable = m_bPrepared && imported > 0 && doc.GetDataPath() == m_strDataPath;
    m_nGeneration = doc.Generation();
    m_nImported = imported;
    m_strSource = std::move(source);
}

bool CImportUndo::Available(const CKinbookDoc& doc) const {
    return m_bAvailable && doc.Generation() == m_nGeneration && doc.GetDataPath() == m_strDataPath;
}

std::string CImportUndo::Question() const {
    return "Remove the " + std::to_string(m_nImported) + " contacts imported from " + m_strSource +
           "?";
}

bool CImportUndo::Undo(CKinbookDoc& doc) {
    if (!Available(doc))
        return false;
    const std::string copy = CopyPathFor(m_strDataPath);
    IFileSystem& fs = doc.FileSystem();
    // Read the kept book into a document of its own first: the book in memory is replaced
    // only by one that loaded whole.
    CKinbookDoc kept(doc.MessageBox(), fs);
    kept.SetKeepDamagedCopies(false);
    if (!kept.Load(copy))
        return false;
    try {
        CopyFile(fs, copy, m_strDataPath);
    } catch (const CFileException&) {
        doc.MessageBox().Show(m_strDataPath + " could not be written to.", "Undo Import",
                              MbIcon::Stop, MbButtons::Ok);
        return false;
    }
    // The records' UIDs as they were: an import may have given its records the UIDs of
    // the cards it read. Without them the UIDs are found again from the records' content.
    const std::string keptUids = CRecordUids::SidecarPath(copy);
    if (fs.Exists(keptUids)) {
        try {
            CopyFile(fs, keptUids, CRecordUids::SidecarPath(m_strDataPath));
        } catch (const CFileException&) {
        }
        fs.Remove(keptUids);
    } else if (fs.Exists(CRecordUids::SidecarPath(m_strDataPath))) {
        // The book had no UIDs to keep before the import: those of the import go with it.
        fs.Remove(CRecordUids::SidecarPath(m_strDataPath));
    }
    // The extras as they were, the same way: the import's cards go with the import.
    const std::string keptCards = CExtrasSidecar::SidecarPath(copy);
    const std::string cards = CExtrasSidecar::SidecarPath(m_strDataPath);
    if (fs.Exists(keptCards)) {
        try {
            CopyFile(fs, keptCards, cards);
        } catch (const CFileException&) {
        }
        fs.Remove(keptCards);
    } else if (fs.Exists(cards)) {
        fs.Remove(cards);
    }
    // The book comes from the data file as now written, so the document follows that file
    // again as after any load.
    CKinbookDoc restored(doc.MessageBox(), fs);
    if (!restored.Load(m_strDataPath))
        return false;
    doc.TakeContents(restored, m_strDataPath);
    m_bAvailable = false;
    fs.Remove(copy);
    return true;
}
