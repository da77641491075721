// Data file paths that are not plain files: links that lead nowhere, and full disks
// while a backup or a new book is written.
#include "FakeMessageBox.h"
#include "FaultyFileSystem.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

void AddContact(CKinbookDoc& doc, const std::string& last) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = last;
    doc.GetRecords().push_back(std::move(r));
}

} // namespace

TEST(HostilePaths, ADanglingLinkStartsANewBookAndTheSaveCreatesItsTarget) {
    TempDir dir;
    fs::create_directory(dir.Path() / "elsewhere");
    const std::string link = dir.File("YourContactRecords.kbk");
    fs::create_symlink("elsewhere/book.kbk", link);

    FakeMessageBox mb;
    CKinbookDoc doc(mb, RealFileSystem());
    doc.SetDataPath(link);
    EXPECT_TRUE(doc.LoadDataFile());
    EXPECT_TRUE(mb.shown.empty()) << "a link to a file not yet made is a first start";
    EXPECT_EQ(doc.GetCategories().GetCount(), 3u);

    AddContact(doc, "Lee");
    ASSERT_TRUE(doc.Save());
    EXPECT_TRUE(fs::is_symlink(link)) << "the link is kept";
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "elsewhere" / "book.kbk"));

    CKinbookDoc again(mb, RealFileSystem());
    again.SetDataPath(link);
    ASSERT_TRUE(again.LoadDataFile());
    ASSERT_EQ(again.GetRecords().size(), 1u);
    EXPECT_EQ(again.GetRecords()[0]->m_strLastName, "Lee");
}

// A backup or a new book's file on a full disk: the program's message, the target as it
// was (absent or the old bytes), and the book in memory untouched.
class FullDiskWhileWriting : public ::testing::TestWithParam<bool> {};

TEST_P(FullDiskWhileWriting, ReportsTheFullDriveAndKeepsTheTarget) {
    const bool targetExists = GetParam();
    TempDir dir;
    const std::string target = dir.File("copy.kbk");
    if (targetExists)
        WriteFileBytes(target, "old bytes");
    FaultyFileSystem files;
    files.failWriteAfter = 40;
    files.writeCause = CFileException::DiskFull;
    FakeMessageBox mb;
    CKinbookDoc doc(mb, files);
    doc.GetCategories().ResetToDefaults();
    for (int i = 0; i < 50; ++i)
        AddContact(doc, "Name" + std::to_string(i));

    EXPECT_FALSE(doc.Save(target));
    ASSERT_EQ(mb.shown.size(), 1u);
    EXPECT_EQ(mb.shown[0].text, "The destination drive is full.");
    EXPECT_EQ(doc.GetRecords().size(), 50u);
    if (targetExists)
        EXPECT_EQ(ReadFileBytes(target), "old bytes");
    else
        EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(dir.Entries().size(), targetExists ? 1u : 0u) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Targets, FullDiskWhileWriting, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Existing" : "New"; });
