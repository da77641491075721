#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "FaultyFileSystem.h"
#include "MemorySettingsStore.h"
#include "model/CKinbookDoc.h"
#include "model/DataFileOps.h"
#include "model/IDataFileView.h"
#include "model/NoCase.h"
#include "port/IFileSystem.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

// The main view's filter and refresh, kept as plain state; every call is logged so the
// tests can check the order of refreshes and saves.
class FakeDataFileView final : public IDataFileView {
public:
    FakeDataFileView(CKinbookDoc& doc, ISettingsStore& settings)
        : m_doc(doc), m_settings(settings) {}
    void RefreshView(bool save) override {
        log.push_back(save ? "refresh+save" : "refresh");
        if (save)
            m_doc.Save();
    }
    void RefillCategoryFilter() override {
        log.push_back("refill");
        filter = m_doc.FilterEntries();
        selection = -1;
    }
    void SelectFilterAll(int start) override {
        log.push_back("all@" + std::to_string(start));
        const int n = static_cast<int>(filter.size());
        for (int k = 0; k < n; ++k) {
            const int i = (start + k) % n;
            if (kb::StartsWithNoCase(filter[static_cast<std::size_t>(i)], "All")) {
                selection = i;
                return;
            }
        }
    }
    void ReselectFilter() override {
        log.push_back("reselect");
        const int stored = m_settings.GetInt("Selected Category", -1);
        if (stored == -1)
            SelectFilterAll(2);
        else if (stored >= 0 && stored < static_cast<int>(filter.size()))
            selection = stored;
        else
            SelectFilterAll(1);
    }
    int GetFilterSelectedPosition() const override { return selection; }
    void SetCategoryRecordCount(int count) override {
        log.push_back("count=" + std::to_string(count));
    }
    void OnCategoryFilterChanged() override { log.push_back("filter-changed"); }
    bool ListHasEntries() const override { return listHasEntries; }

    std::string Selected() const {
        return selection >= 0 ? filter.at(static_cast<std::size_t>(selection)) : std::string();
    }
    std::vector<std::string> log;
    std::vector<std::string> filter;
    int selection = -1;
    bool listHasEntries = true;

private:
    CKinbookDoc& m_doc;
    ISettingsStore& m_settings;
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DataFileOpsTest : public testing::Test {
protected:
    DataFileOpsTest()
        : dir(fs::temp_directory_path() /
              ("kinbook-dfo-" + std::to_string(std::random_device{}()))),
          doc(messageBox, files), view(doc, settings),
          ops(doc, view, messageBox, chooser, settings, files) {
        fs::create_directories(dir);
        dataPath = (dir / "book.kbk").string();
        doc.SetDataPath(dataPath);
        doc.GetCategories().ResetToDefaults();
        doc.GetCategories().AddTail("Friends");
        AddRecord(doc, "Lee", 1);
        AddRecord(doc, "Moss", 3);
        EXPECT_TRUE(doc.Save());
        view.RefillCategoryFilter();
        view.SelectFilterAll(2);
        view.log.clear();
        dataBytes = ReadBytes(dataPath);
    }
    ~DataFileOpsTest() override { fs::remove_all(dir); }

    static void AddRecord(CKinbookDoc& d, const std::string& last, std::uint16_t category) {
        auto r = std::make_unique<CContactRecord>();
        r->m_strLastName = last;
        r->m_nCategory = category;
        d.GetRecords().push_back(std::move(r));
    }
    // A second book, "Other" in its own category, written to path.
    void WriteOtherBook(const std::string& path) {
        FakeMessageBox quiet;
        CKinbookDoc other(quiet, RealFileSystem());
        other.GetCategories().ResetToDefaults();
        other.GetCategories().AddTail("Club");
        AddRecord(other, "Other", 3);
        ASSERT_TRUE(other.Save(path));
    }
    std::vector<std::string> LastNames() const {
        std::vector<std::string> names;
        for (const auto& r : doc.GetRecords())
            names.push_back(r->m_strLastName);
        return names;
    }
    void Choose(const std::string& path) { chooser.answers.push_back(FileChoice{path, 1}); }
    std::string Path(const char* name) const { return (dir / name).string(); }

    fs::path dir;
    std::string dataPath;
    std::string dataBytes;
    FakeMessageBox messageBox;
    FakeFileChooser chooser;
    MemorySettingsStore settings;
    FaultyFileSystem files; // the machine's, with faults on request
    CKinbookDoc doc;
    FakeDataFileView view;
    DataFileOps ops;
};

const std::vector<std::string> kOriginalNames{"Lee", "Moss"};

} // namespace

TEST_F(DataFileOpsTest, FileDialogUsesTheDataFileFilterAndPattern) {
    FakeClock clock;
    ops.SetClock(clock);
    EXPECT_FALSE(ops.Backup()); // cancelled
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_TRUE(chooser.asked[0].save);
    EXPECT_EQ(chooser.asked[0].request.filter,
              "Kinbook Data file (*.kbk)|*.kbk|All Files (*.*)|*.*||");
    // Backup suggests a dated name; the others start from the pattern.
    EXPECT_EQ(chooser.asked[0].request.initialName, "Kinbook backup 2024-03-05.kbk");
    EXPECT_EQ(DataFileOps::FileRequest().initialName, "*.kbk");
    EXPECT_EQ(chooser.asked[0].request.defaultExt, "");
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(DataFileOpsTest, BackupNamedWithoutAnExtensionGetsTheDataFilesOwn) {
    Choose(Path("backup1"));
    EXPECT_TRUE(ops.Backup());
    EXPECT_EQ(ReadBytes(Path("backup1.kbk")), dataBytes);
    EXPECT_FALSE(fs::exists(Path("backup1")));
    // A name with an extension of its own keeps it.
    Choose(Path("copy.bak"));
    EXPECT_TRUE(ops.Backup());
    EXPECT_EQ(ReadBytes(Path("copy.bak")), dataBytes);
    EXPECT_FALSE(fs::exists(Path("copy.bak.kbk")));
    // The extension is looked for in the name, not in a folder's.
    fs::create_directories(dir / "old.d");
    Choose((dir / "old.d" / "plain").string());
    EXPECT_TRUE(ops.Backup());
    EXPECT_TRUE(fs::exists(dir / "old.d" / "plain.kbk"));
}

TEST_F(DataFileOpsTest, BackupIsEnabledOnlyWhileTheListShowsAnEntry) {
    EXPECT_TRUE(ops.CanBackup());
    view.listHasEntries = false; // records exist under other letters
    EXPECT_FALSE(ops.CanBackup());
}

TEST_F(DataFileOpsTest, BackupWritesACopyAndChangesNothingElse) {
    const std::string copy = Path("copy.kbk");
    Choose(copy);
    EXPECT_TRUE(ops.Backup());
    EXPECT_EQ(ReadBytes(copy), dataBytes);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Backup complete.");
    EXPECT_EQ(messageBox.shown[0].caption, "Backup");
    EXPECT_EQ(messageBox.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(doc.GetDataPath(), dataPath);
    EXPECT_TRUE(view.log.empty());
}

TEST_F(DataFileOpsTest, BackupOverAnExistingFileAnsweredNoWritesNothing) {
    const std::string copy = Path("copy.kbk");
    std::ofstream(copy) << "keep me";
    Choose(copy);
    messageBox.answers = {MbResult::No};
    files.creates = 0;
    EXPECT_FALSE(ops.Backup());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "The file " + copy + " already exists, overwrite it?");
    EXPECT_EQ(messageBox.shown[0].caption, "Overwrite Confirmation");
    EXPECT_EQ(messageBox.shown[0].icon, MbIcon::Question);
    EXPECT_EQ(messageBox.shown[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(files.creates, 0);
    EXPECT_EQ(ReadBytes(copy), "keep me");
}

TEST_F(DataFileOpsTest, BackupToAReadOnlyFolderReportsTheCreateFailureThenAborts) {
    // A read-only folder (root ignores the permission bits, so the fault is injected).
    files.failCreate = CFileException::AccessDenied;
    const std::string copy = Path("copy.kbk");
    Choose(copy);
    EXPECT_FALSE(ops.Backup());
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].text,
              "The file " + copy +
                  " could not be written to.  Make sure it is not write protected.");
    EXPECT_EQ(messageBox.shown[0].icon, MbIcon::Stop);
    EXPECT_EQ(messageBox.shown[1].text, "Backup aborted!");
    EXPECT_EQ(messageBox.shown[1].caption, "Backup");
    EXPECT_FALSE(fs::exists(copy));
}

TEST_F(DataFileOpsTest, RestoreAnsweredNoShowsNoFileDialog) {
    messageBox.answers = {MbResult::No};
    EXPECT_FALSE(ops.Restore());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text,
              "WARNING:\n\nAll current data will be replaced by the data stored in the backup "
              "file.  Do you still want to continue?");
    EXPECT_EQ(messageBox.shown[0].caption, "Restore Data?");
    EXPECT_EQ(messageBox.shown[0].icon, MbIcon::Exclamation);
    EXPECT_EQ(messageBox.shown[0].buttons, MbButtons::YesNo);
    EXPECT_TRUE(chooser.asked.empty());
}

TEST_F(DataFileOpsTest, RestoreCopiesTheBackupIntoTheCurrentDataFile) {
    const std::string backup = Path("backup.kbk");
    WriteOtherBook(backup);
    Choose(backup);
    EXPECT_TRUE(ops.Restore());
    EXPECT_FALSE(chooser.asked.at(0).save);
    EXPECT_EQ(LastNames(), std::vector<std::string>{"Other"});
    EXPECT_EQ(doc.GetCategories().NameOf(3), "Club");
    EXPECT_EQ(doc.GetDataPath(), dataPath);
    EXPECT_EQ(ReadBytes(dataPath), ReadBytes(backup));
    EXPECT_EQ(messageBox.Texts(),
              (std::vector<std::string>{messageBox.shown[0].text, "Backup restored."}));
    EXPECT_EQ(messageBox.shown[1].caption, "Restore");
    EXPECT_EQ(view.log, (std::vector<std::string>{"refill", "reselect", "all@2", "refresh+save"}));
    EXPECT_EQ(view.Selected(), "All");
}

TEST_F(DataFileOpsTest, RestoreOfADamagedBackupLeavesBookAndDataFileUntouched) {
    const std::string backup = Path("backup.kbk");
    WriteOtherBook(backup);
    const std::string whole = ReadBytes(backup);
    // Cut short; a good book with other bytes after it; zeros, which read as no categories
    // and no records.
    for (const std::string& damaged :
         {whole.substr(0, whole.size() - 3), whole + std::string(5000, '\x5A'),
          std::string(1 << 20, '\0')}) {
        SCOPED_TRACE(damaged.size());
        messageBox.shown.clear();
        std::ofstream(backup, std::ios::binary | std::ios::trunc) << damaged;
        Choose(backup);
        EXPECT_FALSE(ops.Restore());
        ASSERT_EQ(messageBox.shown.size(), 3u);
        EXPECT_EQ(messageBox.shown[1].text,
                  "ERROR: Kinbook could not load your saved data as it appears to be corrupted.");
        EXPECT_EQ(messageBox.shown[2].text, "Backup was not restored.");
        EXPECT_EQ(messageBox.shown[2].caption, "Restore Error");
        EXPECT_EQ(messageBox.shown[2].icon, MbIcon::Exclamation);
        EXPECT_EQ(LastNames(), kOriginalNames);
        EXPECT_EQ(doc.GetCategories().NameOf(3), "Friends");
        EXPECT_EQ(ReadBytes(dataPath), dataBytes);
        EXPECT_FALSE(fs::exists(backup + ".damaged"))
            << "a backup that is never written needs no copy";
        EXPECT_TRUE(view.log.empty());
    }
}

TEST_F(DataFileOpsTest, NewArchiveOverAnExistingFileAsksThenWritesTheEmptyBook) {
    const std::string fresh = Path("fresh.kbk");
    std::ofstream(fresh) << "old";
    Choose(fresh);
    EXPECT_TRUE(ops.NewArchive());
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].caption, "Overwrite Confirmation");
    EXPECT_EQ(messageBox.shown[1].text, "Your new Kinbook database was created successfully and "
                                        "is now the current database.");
    EXPECT_EQ(messageBox.shown[1].caption, "Save Complete");
    EXPECT_EQ(messageBox.shown[1].icon, MbIcon::Exclamation);
    EXPECT_EQ(fs::file_size(fresh), 39u);
    EXPECT_EQ(doc.GetDataPath(), fresh);
    EXPECT_EQ(settings.GetString("Current Path", ""), fresh);
    EXPECT_TRUE(doc.GetRecords().empty());
    EXPECT_EQ(doc.GetCategories().FillComboNames(),
              (std::vector<std::string>{"Unfiled", "Business", "Personal"}));
    EXPECT_EQ(view.log, (std::vector<std::string>{"refill", "all@2", "refresh+save", "count=0",
                                                  "filter-changed"}));
    EXPECT_EQ(view.Selected(), "All");
    EXPECT_EQ(ReadBytes(dataPath), dataBytes) << "the previous data file is left alone";
}

TEST_F(DataFileOpsTest, FailingNewArchiveKeepsThePreviousBookAndDataFile) {
    files.failCreate = CFileException::AccessDenied;
    const std::string fresh = Path("fresh.kbk");
    Choose(fresh);
    EXPECT_FALSE(ops.NewArchive());
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].icon, MbIcon::Stop);
    EXPECT_EQ(messageBox.shown[1].text, "Create aborted!");
    EXPECT_EQ(messageBox.shown[1].caption, "Create Aborted");
    EXPECT_EQ(LastNames(), kOriginalNames);
    EXPECT_EQ(doc.GetCategories().GetCount(), 4u);
    EXPECT_EQ(doc.GetDataPath(), dataPath);
    EXPECT_TRUE(settings.values.empty());
    EXPECT_FALSE(fs::exists(fresh));
    // The next change saves the whole book, not an empty one.
    files.failCreate.reset();
    EXPECT_TRUE(doc.Save());
    EXPECT_EQ(ReadBytes(dataPath), dataBytes);
}

TEST_F(DataFileOpsTest, OpenArchiveWithoutBrowseReloadsTheCurrentFile) {
    std::vector<std::string> offered;
    EXPECT_TRUE(ops.OpenArchive([&](const std::string& current) {
        offered.push_back(current);
        return std::optional<std::string>(current);
    }));
    EXPECT_EQ(offered, std::vector<std::string>{dataPath});
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "The archive was loaded successfully.");
    EXPECT_EQ(messageBox.shown[0].caption, "Load Complete");
    EXPECT_EQ(LastNames(), kOriginalNames);
    EXPECT_EQ(settings.GetString("Current Path", ""), dataPath);
    EXPECT_EQ(view.log, (std::vector<std::string>{"refill", "reselect", "all@2", "refresh+save",
                                                  "count=0", "filter-changed"}));
}

TEST_F(DataFileOpsTest, OpenArchiveMakesTheChosenFileCurrent) {
    const std::string other = Path("other.kbk");
    WriteOtherBook(other);
    EXPECT_TRUE(ops.OpenArchive([&](const std::string&) { return std::optional(other); }));
    EXPECT_EQ(doc.GetDataPath(), other);
    EXPECT_EQ(settings.GetString("Current Path", ""), other);
    EXPECT_EQ(LastNames(), std::vector<std::string>{"Other"});
    EXPECT_EQ(ReadBytes(dataPath), dataBytes);
}

TEST_F(DataFileOpsTest, OpenArchiveCancelledDoesNothing) {
    EXPECT_FALSE(ops.OpenArchive([](const std::string&) { return std::optional<std::string>(); }));
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_TRUE(view.log.empty());
}

TEST_F(DataFileOpsTest, OpenArchiveOfAFileDeletedAfterBrowseKeepsEverything) {
    const std::string other = Path("other.kbk");
    WriteOtherBook(other);
    EXPECT_FALSE(ops.OpenArchive([&](const std::string&) {
        fs::remove(other); // gone between Browse and Load
        return std::optional(other);
    }));
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].text, "Could not open the backup file.  Check to make sure it "
                                        "still exists and is not damaged.");
    EXPECT_EQ(messageBox.shown[1].text, "The archive was NOT loaded successfully.");
    EXPECT_EQ(messageBox.shown[1].caption, "Load Error");
    EXPECT_EQ(LastNames(), kOriginalNames);
    EXPECT_EQ(doc.GetDataPath(), dataPath);
    EXPECT_TRUE(settings.values.empty());
    EXPECT_TRUE(view.log.empty());
}

TEST_F(DataFileOpsTest, ReloadKeepsTheFilterOnTheSamePosition) {
    // Filter: "- Edit Categories", "All", "Business", "Friends", "Personal".
    view.selection = 3;
    AddRecord(doc, "Unsaved", 1); // dropped: the file is read again
    EXPECT_TRUE(ops.Reload());
    EXPECT_EQ(settings.GetInt("Selected Category", -1), 3);
    EXPECT_EQ(view.Selected(), "Friends");
    EXPECT_EQ(LastNames(), kOriginalNames);
    EXPECT_EQ(view.log, (std::vector<std::string>{"refill", "reselect", "refresh+save"}));
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(DataFileOpsTest, ReloadOfAMissingOrDamagedFileKeepsTheBook) {
    fs::remove(dataPath);
    EXPECT_FALSE(ops.Reload());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Could not open the backup file.  Check to make sure it "
                                        "still exists and is not damaged.");

    std::ofstream(dataPath, std::ios::binary) << dataBytes.substr(0, 20);
    EXPECT_FALSE(ops.Reload());
    ASSERT_EQ(messageBox.shown.size(), 3u);
    EXPECT_EQ(messageBox.shown[1].text,
              "ERROR: Kinbook could not load your saved data as it appears to be corrupted.");
    // The damaged data file is kept aside before the next save replaces it.
    EXPECT_EQ(messageBox.shown[2].text,
              "Kinbook has kept an unchanged copy of the damaged file as " + dataPath +
                  ".damaged.");
    EXPECT_EQ(LastNames(), kOriginalNames);
    EXPECT_EQ(doc.GetCategories().GetCount(), 4u);
    EXPECT_TRUE(view.log.empty());
}

TEST_F(DataFileOpsTest, ReloadWithoutADataPathDoesNothing) {
    doc.SetDataPath("");
    EXPECT_FALSE(ops.Reload());
    EXPECT_TRUE(settings.values.empty());
    EXPECT_TRUE(messageBox.shown.empty());
}
