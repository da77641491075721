#include "model/CKinbookDoc.h"
#include "model/CArchive.h"
#include "model/CExtrasSidecar.h"
#include "model/CategoryOps.h"
#include "model/DocMessages.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "sync/CSyncState.h"
#include "sync/SyncRules.h"
#include <algorithm>
#include <chrono>
#include <new>

using namespace DocMessages;

namespace {
// Names tried for the copy of a damaged file before giving up.
constexpr int kDamagedCopyAttempts = 1000;
// Rounds of merging and writing a save makes while a program that takes no lock keeps
// changing the file.
constexpr int kSaveAttempts = 4;
// How long a writer waits for another program to finish changing the file.
constexpr std::chrono::milliseconds kLockWait{5000};

// Hands the data file's bytes on as they are read, taking their digest on the way.
class DigestSource final : public IByteSource {
public:
    DigestSource(IByteSource& source, bool on) : m_source(source), m_bOn(on) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t n = m_source.Read(buffer, size);
        if (m_bOn)
            m_digest.Add(buffer, n);
        return n;
    }
    std::uint64_t Digest() const { return m_digest.Value(); }

private:
    IByteSource& m_source;
    bool m_bOn;
    CBookDigest m_digest;
};

// The same for the bytes a save writes; the caller commits the sink itself.
class DigestSink final : public IByteSink {
public:
    DigestSink(IByteSink& sink, bool on) : m_sink(sink), m_bOn(on) {}
    void Write(const char* data, std::size_t size) override {
        m_sink.Write(data, size);
        if (m_bOn)
            m_digest.Add(data, size);
    }
    void Commit() override { m_sink.Commit(); }
    std::uint64_t Digest() const { return m_digest.Value(); }

private:
    IByteSink& m_sink;
    bool m_bOn;
    CBookDigest m_digest;
};
} // namespace

CKinbookDoc::CKinbookDoc(IMessageBox& messageBox, IFileSystem& fileSystem)
    : m_messageBox(messageBox), m_fileSystem(fileSystem) {}

CKinbookDoc::~CKinbookDoc() = default;

void CKinbookDoc::DeleteContents() {
    ++m_nGeneration;
    m_categories.RemoveAll();
    m_records.clear();
    m_uids.Clear();
}

bool CKinbookDoc::LoadDataFile() {
    return LoadFile(m_strDataPath, true, true);
}

bool CKinbookDoc::Load(const std::string& path) {
    if (path.empty()) {
        // No file to open: an empty path never means "start a new book" here.
        m_messageBox.Show(std::string(kCannotOpenBackup), MbIcon::Exclamation);
        return false;
    }
    return LoadFile(path, m_bKeepDamagedCopies, false);
}

bool CKinbookDoc::LoadFile(const std::string& file, bool keepDamagedCopy, bool dataFile) {
    // Taken before the file is opened: should another program replace the file between
    // the two, the next look at the disk sees a change and merges again, which is harmless.
    const std::optional<FileStamp> stamp = m_fileSystem.Stamp(file);
    std::unique_ptr<IByteSource> source;
    try {
        source = m_fileSystem.OpenRead(file);
    } catch (const CFileException& e) {
        if (!dataFile) {
            m_messageBox.Show(std::string(kCannotOpenBackup), MbIcon::Exclamation);
            return false;
        }
        // The data file: a missing one simply starts a new book.
        m_categories.ResetToDefaults();
        if (e.m_cause == CFileException::NotFound) {
            Track(file, std::nullopt);
            return true;
        }
        // It exists but cannot be read: that is not a new book, and a later save must
        // not replace what was never read.
        m_protectedPaths.insert(file);
        m_messageBox.Show(std::string(kLoadDrive), MbIcon::Exclamation);
        return false;
    }

    DeleteContents();
    // Only a book that keeps extras needs the digest its cards are matched with.
    const std::string cardsPath = CExtrasSidecar::SidecarPath(file);
    const bool cards = m_fileSystem.Exists(cardsPath);
    DigestSource digesting(*source, cards);
    CArchive ar(digesting);
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
        guarded([&] {
            SerializeRecords(ar, m_records);
            ar.ReadEnd();
        });
    source.reset();
    // The cards need the UIDs to find their records after a save that was cut short.
    if (m_bReadUids || cards)
        m_uids.Load(file, m_records, m_fileSystem);
    if (cards)
        LoadCards(cardsPath, digesting.Digest());
    // Even a partial book is what this file held: another program's later changes to it
    // are told apart from it.
    Track(file, stamp);

    switch (failure) {
    case Failure::None:
        m_protectedPaths.erase(file);
        return true;
    case Failure::Archive: {
        // The copy is made before the user is told, so it exists whatever happens next.
        const std::string copyMessage = keepDamagedCopy ? KeepDamagedCopy(file) : std::string();
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

void CKinbookDoc::LoadCards(const std::string& path, std::uint64_t book) {
    const std::optional<std::string> text = ReadWholeFile(m_fileSystem, path);
    bool damaged = !text;
    if (text)
        damaged = CExtrasSidecar::Attach(m_records, m_uids, *text, book).damaged;
    if (!damaged)
        return;
    // The records that lost their details keep their fields; the file stays as it is until
    // a save has put a copy of it aside.
    m_damagedCards.insert(path);
    m_messageBox.Show(WithPath(kCardsDamaged, path), MbIcon::Exclamation);
}

bool CKinbookDoc::SaveCards(const std::string& path, std::uint64_t book) {
    if (m_damagedCards.count(path) != 0) {
        const std::string copyMessage = KeepDamagedCopy(path);
        const bool kept = !IsProtected(path);
        m_messageBox.Show(copyMessage, kept ? MbIcon::Information : MbIcon::Exclamation);
        if (!kept)
            return false;
        m_damagedCards.erase(path);
    }
    // Records that leave no UID file entry behind must not hand their UIDs on.
    m_uids.Retain(m_records);
    const std::string previous = ReadWholeFile(m_fileSystem, path).value_or(std::string());
    return SaveStep([&] {
        auto sink = m_fileSystem.CreateAtomic(path);
        CExtrasSidecar::Write(m_records, m_uids, book, previous, [&sink](std::string_view piece) {
            sink->Write(piece.data(), piece.size());
        });
        sink->Commit();
    });
}

void CKinbookDoc::Track(const std::string& path, std::optional<FileStamp> stamp) {
    if (!m_bTrackFile) {
        m_tracked.reset();
        return;
    }
    m_tracked = TrackedFile{path, stamp, CBookSnapshot::Of(m_records, m_categories)};
}

bool CKinbookDoc::FileChangedOnDisk() {
    return m_tracked && m_fileSystem.Stamp(m_tracked->path) != m_tracked->stamp;
}

bool CKinbookDoc::MergeFileChanges() {
    if (!m_tracked)
        return false;
    const std::string path = m_tracked->path;
    const std::optional<FileStamp> stamp = m_fileSystem.Stamp(path);
    if (stamp == m_tracked->stamp)
        return false;
    if (!stamp) {
        // The file went away: nothing to bring in. The book keeps everything and the next
        // save writes it again.
        m_tracked->stamp = std::nullopt;
        return false;
    }
    CKinbookDoc file(m_messageBox, m_fileSystem);
    // The next save writes over a damaged file: keep what it holds first.
    file.SetKeepDamagedCopies(true);
    if (!file.Load(path)) {
        // Reported by the load; told once, not at every look at the disk.
        if (file.IsProtected(path))
            m_protectedPaths.insert(path);
        m_tracked->stamp = stamp;
        return false;
    }
    const CMergeOutcome outcome = MergeChangesFromFile(m_records, m_categories, m_tracked->snapshot,
                                                       file.m_records, file.m_categories);
    // The records the merge took away lose their UIDs; those it brought in keep the UIDs the
    // other program gave them.
    m_uids.Retain(m_records);
    for (const auto& r : m_records) {
        if (!m_uids.Knows(*r) && file.m_uids.Knows(*r))
            m_uids.Set(*r, file.m_uids.UidOf(*r));
    }
    m_damagedCards.insert(file.m_damagedCards.begin(), file.m_damagedCards.end());
    // From now on the file as it was just read is what the book's own changes are told
    // apart from.
    m_tracked = std::move(file.m_tracked);
    if (!outcome.Changed())
        return false;
    ++m_nMerges;
    return true;
}

std::string CKinbookDoc::KeepDamagedCopy(const std::string& path) {
    for (int k = 0; k < kDamagedCopyAttempts; ++k) {
        std::string copy = path + ".damaged";
        if (k > 0)
            copy += "." + std::to_string(k);
        if (m_fileSystem.Exists(copy)) {
            // Never overwrite an earlier copy, and never make a second one of the same
            // damaged file (each start on it would add one).
            if (SameBytes(path, copy))
                return WithPath(kDamagedCopyKept, copy);
            continue;
        }
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

bool CKinbookDoc::SameBytes(const std::string& a, const std::string& b) {
    try {
        auto left = m_fileSystem.OpenRead(a);
        auto right = m_fileSystem.OpenRead(b);
        char bufferA[CArchive::kBufferSize];
        char bufferB[CArchive::kBufferSize];
        for (;;) {
            // Sources may return short reads: fill each buffer as far as it goes.
            auto fill = [](IByteSource& source, char* buffer) {
                std::size_t n = 0;
                while (n < sizeof bufferA) {
                    const std::size_t got = source.Read(buffer + n, sizeof bufferA - n);
                    if (got == 0)
                        break;
                    n += got;
                }
                return n;
            };
            const std::size_t n = fill(*left, bufferA);
            if (n != fill(*right, bufferB) || !std::equal(bufferA, bufferA + n, bufferB))
                return false;
            if (n < sizeof bufferA)
                return true;
        }
    } catch (const CFileException&) {
        return false;
    }
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

std::unique_ptr<FileLock> CKinbookDoc::TakeLock(const std::string& file) {
    try {
        if (auto lock = m_fileSystem.LockForWriting(file, kLockWait))
            return lock;
        m_messageBox.Show(std::string(kBookBusy), MbIcon::Exclamation);
    } catch (const CFileException&) {
        m_messageBox.Show(WithPath(kCannotCreate, file), MbIcon::Stop);
    }
    return nullptr;
}

bool CKinbookDoc::LockForChange(const std::string& path) {
    m_lock = TakeLock(path);
    m_strLockedPath = m_lock ? path : std::string();
    return m_lock != nullptr;
}

bool CKinbookDoc::Save(const std::string& path) {
    const std::string file = path.empty() ? m_strDataPath : path;
    if (file == m_strDataPath)
        ++m_nGeneration;
    std::unique_ptr<FileLock> lock;
    if (!m_lock || file != m_strLockedPath) {
        lock = TakeLock(file);
        if (!lock)
            return false;
    }
    const bool tracked = m_tracked && m_tracked->path == file;
    for (int attempt = 1;; ++attempt) {
        // Another program's changes to the file come in before it is written over.
        if (tracked)
            MergeFileChanges();
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
        const std::string cardsPath = CExtrasSidecar::SidecarPath(file);
        const bool anyExtras = CExtrasSidecar::AnyExtras(m_records);
        const bool cards = anyExtras || m_fileSystem.Exists(cardsPath);
        DigestSink digesting(*sink, cards);
        CArchive ar(digesting);
        if (!SaveStep([&] { m_categories.SerializeCategories(ar); }) ||
            !SaveStep([&] { SerializeRecords(ar, m_records); }) || !SaveStep([&] { ar.Flush(); }))
            return false;
        // Changed while this save was writing, by a program that took no lock: merge
        // again and write it afresh (the temporary file goes with the sink). A file that
        // keeps changing is never written over regardless.
        if (tracked && FileChangedOnDisk()) {
            if (attempt < kSaveAttempts)
                continue;
            m_messageBox.Show(std::string(kBookBusy), MbIcon::Exclamation);
            return false;
        }
        // The cards go first: whichever of the two files a save cut short leaves, each card
        // still finds its own record (see CExtrasSidecar).
        if (cards && !SaveCards(cardsPath, digesting.Digest()))
            return false;
        if (!SaveStep([&] { sink->Commit(); }))
            return false;
        // A book that keeps no extras any more needs no cards: the file holds none now.
        if (cards && !anyExtras)
            m_fileSystem.Remove(cardsPath);
        if (tracked || file == m_strDataPath) {
            std::optional<FileStamp> stamp = sink->CommittedStamp();
            Track(file, stamp ? stamp : m_fileSystem.Stamp(file));
        }
        // The UIDs follow the data file; a sidecar that cannot be written costs only the
        // UIDs of records edited before the next save that succeeds, never the save.
        m_uids.Save(file, m_records, m_fileSystem);
        NoteSavedForSync(file);
        return true;
    }
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
    return CategoryOps::DropDownNames(m_categories, {kFilterAll, kFilterEditCategories});
}
