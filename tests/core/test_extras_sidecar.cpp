// What a record keeps beyond its fields lives in a cards file beside the data file: it must
// come back exactly, stay with its own record whenever a save is cut short, and a damaged
// cards file must cost nothing else.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordExtras.h"
#include "port/IFileSystem.h"
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string RandomText(std::mt19937& rng, std::size_t maxSize) {
    // Separators, quotes, carets, line breaks, UTF-8 and stray bytes all turn up.
    static const std::vector<std::string> kBits = {"a",    "Z",  "0",  " ",        ",",
                                                   ";",    ":",  "\"", "^",        "\\",
                                                   "\r\n", "\n", "\t", "\xC3\xA9", "\xE2\x82\xAC",
                                                   "\xFF", "%",  "=",  "."};
    std::string s;
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, maxSize)(rng);
    while (s.size() < n)
        s += kBits[rng() % kBits.size()];
    return s;
}

VCardProperty RandomProperty(std::mt19937& rng) {
    static const std::vector<std::string> kNames = {
        "BDAY", "PHOTO", "TEL", "X-ABLABEL", "ORG", "END", "X-KINBOOK-PROPERTY", "bad name"};
    VCardProperty p;
    p.name = kNames[rng() % kNames.size()];
    p.group = rng() % 3 == 0 ? "item" + std::to_string(rng() % 9) : "";
    p.value = rng() % 5 == 0 ? std::string(300 + rng() % 3000, 'Q') : RandomText(rng, 90);
    for (int k = static_cast<int>(rng() % 3); k > 0; --k) {
        VCardParam param{rng() % 4 == 0 ? "X-KINBOOK-KEPT" : "TYPE", {}};
        for (int v = static_cast<int>(rng() % 3); v > 0; --v)
            param.values.push_back(RandomText(rng, 8));
        p.params.push_back(std::move(param));
    }
    p.held = rng() % 2 == 0;
    p.binary = rng() % 4 == 0;
    return p;
}

std::unique_ptr<CContactRecord> Record(int id) {
    auto r = std::make_unique<CContactRecord>();
    r->m_strLastName = "Last" + std::to_string(id);
    r->m_strOtherRef = "id-" + std::to_string(id);
    r->m_strNotes = std::string(150, static_cast<char>('a' + id % 26));
    return r;
}

void GiveExtras(CContactRecord& r, std::mt19937& rng, int count) {
    CRecordExtras& extras = r.EditExtras();
    extras.properties.clear();
    extras.properties.push_back(VCardProperty::Text("X-ID", std::string(r.m_strOtherRef)));
    for (int i = 0; i < count; ++i)
        extras.properties.push_back(RandomProperty(rng));
}

// Each record's extras by the id in its Other Reference field (none: empty).
std::map<std::string, CRecordExtras> ExtrasById(const CRecordList& records) {
    std::map<std::string, CRecordExtras> out;
    for (const auto& r : records)
        out[std::string(r->m_strOtherRef)] = r->Extras() ? *r->Extras() : CRecordExtras{};
    return out;
}

TEST(ExtrasSidecar, RandomExtrasComeBackExactlyAndOnlyWhereThereAreAny) {
    TempDir dir;
    FakeMessageBox mb;
    const std::string path = dir.File("book.kbk");
    std::mt19937 rng(7);
    CKinbookDoc doc(mb, RealFileSystem());
    doc.GetCategories().ResetToDefaults();
    ASSERT_TRUE(doc.Save(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".cards")) << "a book without extras has none";
    for (int i = 0; i < 300; ++i) {
        doc.GetRecords().push_back(Record(i));
        if (i % 3 != 0)
            GiveExtras(*doc.GetRecords().back(), rng, static_cast<int>(rng() % 6));
    }
    ASSERT_TRUE(doc.Save(path));
    const std::string cards = ReadFileBytes(path + ".cards");

    CKinbookDoc loaded(mb, RealFileSystem());
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_TRUE(mb.shown.empty());
    EXPECT_EQ(ExtrasById(loaded.GetRecords()), ExtrasById(doc.GetRecords()));
    for (std::size_t i = 0; i < doc.GetRecords().size(); ++i)
        EXPECT_EQ(*loaded.Uids().Find(*loaded.GetRecords()[i]),
                  doc.Uids().UidOf(*doc.GetRecords()[i]));
    ASSERT_TRUE(loaded.Save(path));
    EXPECT_EQ(ReadFileBytes(path + ".cards"), cards) << "a save with no change writes the same";

    for (const auto& r : loaded.GetRecords())
        r->SetExtras(nullptr);
    ASSERT_TRUE(loaded.Save(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".cards"));
}

TEST(ExtrasSidecar, DamagedCardsAreReportedAndKeptAsideWhileTheRestLoads) {
    TempDir dir;
    FakeMessageBox mb;
    const std::string path = dir.File("book.kbk");
    std::mt19937 rng(3);
    CKinbookDoc doc(mb, RealFileSystem());
    doc.GetCategories().ResetToDefaults();
    for (int i = 0; i < 3; ++i) {
        doc.GetRecords().push_back(Record(i));
        GiveExtras(*doc.GetRecords().back(), rng, 2);
    }
    ASSERT_TRUE(doc.Save(path));
    std::string cards = ReadFileBytes(path + ".cards");
    const std::size_t second = cards.find("BEGIN:VCARD", 1);
    cards.insert(second + 14, "garbage\r\n"); // the second card is no card of ours
    WriteFileBytes(path + ".cards", cards);

    CKinbookDoc loaded(mb, RealFileSystem());
    EXPECT_TRUE(loaded.Load(path));
    ASSERT_EQ(mb.shown.size(), 1u);
    EXPECT_NE(mb.shown[0].text.find("book.kbk.cards could not be read"), std::string::npos);
    EXPECT_EQ(loaded.GetRecords().size(), 3u);
    EXPECT_EQ(*loaded.GetRecords()[0]->Extras(), *doc.GetRecords()[0]->Extras());
    EXPECT_EQ(loaded.GetRecords()[1]->Extras(), nullptr);
    EXPECT_EQ(*loaded.GetRecords()[2]->Extras(), *doc.GetRecords()[2]->Extras());

    ASSERT_TRUE(loaded.Save(path));
    EXPECT_EQ(ReadFileBytes(path + ".cards.damaged"), cards);
    EXPECT_EQ(mb.shown.back().text, "Kinbook has kept an unchanged copy of the damaged file as " +
                                        path + ".cards.damaged.");
}

TEST(ExtrasSidecar, AnotherWritersExtrasEditIsMergedNotOverwritten) {
    TempDir dir;
    FakeMessageBox mb;
    const std::string path = dir.File("book.kbk");
    std::mt19937 rng(5);
    {
        CKinbookDoc first(mb, RealFileSystem());
        first.GetCategories().ResetToDefaults();
        for (int i = 0; i < 4; ++i)
            first.GetRecords().push_back(Record(i));
        ASSERT_TRUE(first.Save(path));
    }
    CKinbookDoc a(mb, RealFileSystem()), b(mb, RealFileSystem());
    ASSERT_TRUE(a.Load(path));
    ASSERT_TRUE(b.Load(path));
    GiveExtras(*a.GetRecords()[1], rng, 3);
    ASSERT_TRUE(a.Save(path));
    b.GetRecords()[2]->m_strTitle = "Dr";
    ASSERT_TRUE(b.Save(path));

    CKinbookDoc check(mb, RealFileSystem());
    ASSERT_TRUE(check.Load(path));
    const auto byId = ExtrasById(check.GetRecords());
    EXPECT_EQ(byId.at("id-1"), *a.GetRecords()[1]->Extras());
    EXPECT_TRUE(mb.shown.empty());
}

// A child loads the book, edits fields, extras and the list at random, and is killed at a
// random moment of its save. Whatever files it leaves, every record has its own extras:
// with the new data file exactly the new ones, with the old one the old or the new ones.
TEST(ExtrasSidecar, KilledSavesLeaveEveryRecordItsOwnExtras) {
    TempDir dir;
    FakeMessageBox mb;
    const std::string path = dir.File("book.kbk");
    std::mt19937 rng(11);
    CKinbookDoc base(mb, RealFileSystem());
    base.GetCategories().ResetToDefaults();
    for (int i = 0; i < 1500; ++i) {
        base.GetRecords().push_back(Record(i));
        if (i % 2 == 0)
            GiveExtras(*base.GetRecords().back(), rng, 1 + static_cast<int>(rng() % 4));
    }
    ASSERT_TRUE(base.Save(path));
    const std::vector<std::string> names = {"book.kbk", "book.kbk.uids", "book.kbk.cards"};
    std::vector<std::string> saved;
    for (const std::string& name : names)
        saved.push_back(ReadFileBytes(dir.File(name)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(base.Save(path));
    const auto saveTime = std::chrono::steady_clock::now() - start;

    int oldData = 0, newData = 0;
    for (int round = 0; round < 30; ++round) {
        for (std::size_t k = 0; k < names.size(); ++k)
            WriteFileBytes(dir.File(names[k]), saved[k]);
        CKinbookDoc doc(mb, RealFileSystem());
        ASSERT_TRUE(doc.Load(path));
        const auto before = ExtrasById(doc.GetRecords());
        CRecordList& records = doc.GetRecords();
        for (int e = 0; e < 150; ++e) {
            CContactRecord& r = *records[rng() % records.size()];
            switch (rng() % 5) {
            case 0:
                r.m_strTitle = RandomText(rng, 6);
                break;
            case 1:
                GiveExtras(r, rng, static_cast<int>(rng() % 4));
                break;
            case 2:
                r.SetExtras(nullptr);
                break;
            case 3: { // as the delete command does
                const auto at = records.begin() + static_cast<long>(rng() % records.size());
                doc.Uids().Forget(**at);
                records.erase(at);
                break;
            }
            default:
                std::swap(records[rng() % records.size()], records[rng() % records.size()]);
            }
        }
        records.push_back(Record(9000 + round));
        GiveExtras(*records.back(), rng, 2);
        const auto after = ExtrasById(records);
        std::string newBytes;
        {
            CKinbookDoc copy(mb, RealFileSystem()); // what the new data file will hold
            copy.GetCategories().ResetToDefaults();
            for (const auto& r : records)
                copy.GetRecords().push_back(std::make_unique<CContactRecord>(*r));
            ASSERT_TRUE(copy.Save(dir.File("reference.kbk")));
            newBytes = ReadFileBytes(dir.File("reference.kbk"));
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            doc.Save(path);
            ::_exit(0);
        }
        std::this_thread::sleep_for(saveTime * (rng() % 1000) / 800);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        CKinbookDoc now(mb, RealFileSystem());
        ASSERT_TRUE(now.Load(path));
        const bool isNew = ReadFileBytes(path) == newBytes;
        ASSERT_TRUE(isNew || ReadFileBytes(path) == saved[0]);
        (isNew ? newData : oldData)++;
        for (const auto& [id, extras] : ExtrasById(now.GetRecords())) {
            const auto was = before.find(id), is = after.find(id);
            const bool asNew = is != after.end() && extras == is->second;
            const bool asOld = was != before.end() && extras == was->second;
            EXPECT_TRUE(isNew ? asNew : asNew || asOld) << id << " in round " << round;
        }
        ASSERT_TRUE(mb.shown.empty()) << mb.shown[0].text;
    }
    RecordProperty("old", oldData);
    RecordProperty("new", newData);
}

} // namespace
