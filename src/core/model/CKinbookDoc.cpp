#include "sync/CSyncState.h"
#include "sync/SyncRules.h"
#include "model/CKinbookDoc.h"
#include "model/CArchive.h"
#include "model/DocMessages.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include <new>

using namespace DocMessages;

namespace {
// Names tried for the copy of a damaged file before giving up.
constexpr int kDamagedCopyAttempts = 1000;
} // namespace

CKinbookDoc::CKinbookDoc(IMessageBox& messageBox, IFileSystem& fileSystem)
    : m_messageBox(messageBox), m_fileSystem(fileSystem) {
    m_categories.m_pRecords = &m_records;
}

CKinbookDoc::~CKinbookDoc() = default;

void CKinbookDoc::DeleteContents() {
    m_categories.RemoveAll();
    m_records.clear();
    m_uids.Clear();
}

bool CKinbookDoc::Load(const std::string& path) {
    const std::string file = path.empty() ? m_strDataPath : path;
    std::unique_ptr<IByteSource> source;
    try {
        source = m_fileSystem.OpenRead(file);
    } catch (const CFileException& e) {
        if (!path.empty()) {
            m_messageBox.Show(std::string(kCannotOpenBackup), MbIcon::Exclamation);
            return false;
        }
        // The default data file: a missing one simply starts a new book.
        m_categories.ResetToDefaults();
        if (e.m_cause == CFileException::NotFound)
            return true;
        // It exists but cannot be read: that is not a new book, and a later save must
        // not replace what was never read.
        m_protectedPaths.insert(file);
        m_messageBox.Show(std::string(kLoadDrive), MbIcon::Exclamation);
        return false;
    }

    DeleteContents();
    CArchive ar(*source);
    enum class Failure { None, Archive, File } failure = Failure::None;
    auto guarded = [&](auto&& step) {
        try {
            step();
        } catch (const CArchiveException&) {
            failure = Failure::Archive;
        } catch (const CFileException&) {
            failure = Failure::File;
        }
    };
    guarded([&] { m_categories.SerializeCategories(ar); });
    if (failure != Failure::None)
        m_categories.ResetToDefaults(); // what was read stays behind the defaults
    else
        guarded([&] { SerializeRecords(ar, m_records); });
    source.reset();
    m_uids.Load(file, m_records, m_fileSystem);

    switch (failure) {
    case Failure::None:
        m_protectedPaths.erase(file);
        return true;
    case Failure::Archive: {
        // The copy is made before the user is told, so it exists whatever happens next.
        const std::string copyMessage = KeepDamagedCopy(file);
        m_messageBox.Show(std::string(kLoadCorrupted), MbIcon::Exclamation);
        if (!copyMessage.empty())
            m_messageBox.Show(copyMessage,
                              IsProtected(file) ? MbIcon::Exclamation : MbIcon::Information);
        return false;
    }
    case Failure::File:
        m_protectedPaths.insert(file);
        m_messageBox.Show(std::string(kLoadDrive), MbIcon::Exclamation);
        return false;
    }
    return false;
}

std::string CKinbookDoc::KeepDamagedCopy(const std::string& path) {
    if (!m_bKeepDamagedCopies)
        return {};
    for (int k = 0; k < kDamagedCopyAttempts; ++k) {
        std::string copy = path + ".damaged";
        if (k > 0)
            copy += "." + std::to_string(k);
        if (m_fileSystem.Exists(copy))
            continue; // never overwrite an earlier copy
        try {
            CopyFile(path, copy);
        } catch (const CFileException&) {
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
        return WithPath(kDamagedCopyKept, copy);
    }
    m_protectedPaths.insert(path);
    return WithPath(kDamagedCopyFailed, path);
}

void CKinbookDoc::CopyFile(const std::string& from, const std::string& to) {
    auto source = m_fileSystem.OpenRead(from);
    auto sink = m_fileSystem.CreateAtomic(to);
    char buffer[CArchive::kBufferSize];
    while (const std::size_t n = source->Read(buffer, sizeof buffer))
        sink->Write(buffer, n);
    sink->Commit();
}

bool CKinbookDoc::SaveStep(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const CArchiveException&) {
        m_messageBox.Show(std::string(kSaveArchive), MbIcon::Exclamation);
    } catch (const CFileException& e) {
        m_messageBox.Show(
            std::string(e.m_cause == CFileException::DiskFull ? kDiskFull : kSaveDrive),
            MbIcon::Exclamation);
    } catch (const std::bad_alloc&) {
        m_messageBox.Show(std::string(kMemory), MbIcon::Exclamation);
    }
    return false;
}

bool CKinbookDoc::Save(const std::string& path) {
    const std::string file = path.empty() ? m_strDataPath : path;
    if (IsProtected(file)) {
        m_messageBox.Show(WithPath(kCannotCreate, file), MbIcon::Stop);
        return false;
    }
    std::unique_ptr<IByteSink> sink;
    try {
        sink = m_fileSystem.CreateAtomic(file);
    } catch (const CFileException&) {
        m_messageBox.Show(WithPath(kCannotCreate, file), MbIcon::Stop);
        return false;
    }
    // Each step runs only when the one before succeeded. A sink that is not committed
    // removes its temporary file and leaves the previous file as it was.
    CArchive ar(*sink);
    const bool saved = SaveStep([&] { m_categories.SerializeCategories(ar); }) &&
                       SaveStep([&] { SerializeRecords(ar, m_records); }) && SaveStep([&] {
                           ar.Flush();
                           sink->Commit();
                       });
    if (saved) {
        // The UIDs follow the data file; a sidecar that cannot be written costs only the
        // UIDs of records edited before the next save that succeeds, never the save.
        m_uids.Save(file, m_records, m_fileSystem);
        NoteSavedForSync(file);
    }
    return saved;
}

void CKinbookDoc::NoteSavedForSync(const std::string& file) {
    // A synced book notes which book it was last saved with, so that the next sync can
    // tell a record deleted here from a data file another program has changed.
    if (!m_fileSystem.Exists(CSyncState::SidecarPath(file)))
        return;
    std::vector<std::pair<std::string, std::uint64_t>> prints;
    for (const auto& r : m_records)
        prints.emplace_back(m_uids.UidOf(*r), CRecordUids::Fingerprint(*r));
    CSyncState::NoteBookSaved(file, kb::sync::BookFingerprint(std::move(prints)), m_fileSystem);
}

std::vector<std::string> CKinbookDoc::FilterEntries() const {
    std::vector<std::string> entries = m_categories.FillComboNames();
    entries.emplace_back(kFilterAll);
    entries.emplace_back(kFilterEditCategories);
    return entries;
}
