// Whole syncs of a book with real servers (radicale and xandikos): first sync both ways,
// edits and deletions either way, conflicts, what Kinbook has no field for, interrupted
// syncs, a wrong password, a full disk here. The server side is changed with plain HTTP,
// as a phone would change it.
#include "CCardDavClient.h"
#include "CSyncEngine.h"
#include "DavServer.h"
#include "FakeMessageBox.h"
#include "FaultyFileSystem.h"
#include "RawDav.h"
#include "RunCli.h"
#include "TempDir.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "model/CRecordExtras.h"
#include "transfer/CVCardReader.h"
#include "port/IFileSystem.h"
#include "sync/CSyncState.h"
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/stat.h>

namespace {

QByteArray PhoneCard(const QString& uid, const QString& family, const QString& given,
                     const QString& extra = {}) {
    return (QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%3 %2\r\nN:%2;%3;;;\r\n")
                .arg(uid, family, given) +
            extra + QStringLiteral("END:VCARD\r\n"))
        .toUtf8();
}

CContactRecord Person(const std::string& last, const std::string& first, const std::string& phone,
                      const std::string& mail = {}) {
    CContactRecord r;
    r.m_strLastName = last;
    r.m_strFirstName = first;
    r.m_strItem[0] = phone;
    r.m_nItemLabel[0] = LABEL_MOBILE;
    if (!mail.empty()) {
        r.m_strItem[1] = mail;
        r.m_nItemLabel[1] = LABEL_EMAIL;
    }
    return r;
}

struct SyncResult {
    DavError error;
    SyncCounts counts;
};

class SyncEngineTest : public ::testing::TestWithParam<DavServer::Kind> {
protected:
    void SetUp() override {
        server = &SharedServer(static_cast<int>(GetParam()));
        ASSERT_TRUE(server->Running()) << server->Error();
        raw = std::make_unique<RawDav>(*server);
        base = server->BaseUrl();
        book = raw->MakeAddressBook(UniqueBookName("engine"));
        ASSERT_FALSE(book.isEmpty());
        path = dir.File("book.kbk");
        doc = NewDoc();
        doc->SetDataPath(path);
        doc->GetCategories().ResetToDefaults();
        ASSERT_TRUE(doc->Save(path));
        client.SetAccount(BookUrl(), QString::fromStdString(server->User()),
                          QString::fromStdString(server->Password()));
    }
    std::unique_ptr<CKinbookDoc> NewDoc() { return std::make_unique<CKinbookDoc>(box, RealFileSystem()); }
    QUrl BookUrl() const { return QUrl(QString::fromStdString(base) + book); }

    void Add(const CContactRecord& r) {
        FileRecord(doc->GetRecords(), std::make_unique<CContactRecord>(r));
        ASSERT_TRUE(doc->Save(path));
    }
    CContactRecord* Find(const std::string& last, const std::string& first = {}) {
        for (auto& r : doc->GetRecords())
            if (r->m_strLastName == last && (first.empty() || r->m_strFirstName == first))
                return r.get();
        return nullptr;
    }
    // beforeWrites runs once the book has changed here and before the first write goes out.
    SyncResult Sync(const std::function<void()>& beforeWrites = {}) {
        CSyncEngine engine(*doc, client);
        SyncResult result;
        QEventLoop loop;
        bool wrote = false;
        QObject::connect(&engine, &CSyncEngine::progress, &loop, [&](int done, int total) {
            if (beforeWrites && !wrote && done == 0 && total > 0) {
                wrote = true;
                beforeWrites();
            }
        });
        QObject::connect(&engine, &CSyncEngine::finished, &loop,
                         [&](const DavError& e, const SyncCounts& c) {
                             result = {e, c};
                             loop.quit();
                         });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit); // never hang the suite
        engine.Start(BookUrl());
        if (engine.IsRunning())
            loop.exec();
        return result;
    }
    static std::string Summary(const SyncResult& r) {
        return CSyncEngine::Summary(r.counts).toStdString();
    }
    // The cards on the server, by href.
    std::map<QString, QByteArray> ServerCards() {
        std::map<QString, QByteArray> cards;
        for (const QString& href : raw->List(book))
            cards[href] = raw->Get(href).body;
        return cards;
    }
    QString HrefOf(const char* needle) {
        for (const auto& [href, data] : ServerCards())
            if (data.contains(needle))
                return href;
        return {};
    }

    DavServer* server = nullptr;
    std::unique_ptr<RawDav> raw;
    std::string base;
    QString book;
    TempDir dir;
    std::string path;
    FakeMessageBox box;
    FaultyFileSystem fs; // passes everything through until a test asks for a fault
    std::unique_ptr<CKinbookDoc> doc;
    CCardDavClient client;
};

TEST_P(SyncEngineTest, FirstSyncPairsTheSamePersonAndSendsTheRestEachWay) {
    Add(Person("Smith", "Ann", "+44 20 7946 0958"));
    Add(Person("Local", "Only", "555 0101"));
    ASSERT_EQ(raw->Put(book + QStringLiteral("ann.vcf"),
                       PhoneCard(QStringLiteral("ann-uid"), QStringLiteral("Smith"), QStringLiteral("Ann"),
                                 QStringLiteral("TEL;TYPE=cell:+44 (20) 7946-0958\r\nEMAIL:ann@example.org\r\n")))
                  .status, 201);
    ASSERT_EQ(raw->Put(book + QStringLiteral("srv.vcf"),
                       PhoneCard(QStringLiteral("srv-uid"), QStringLiteral("Server"), QStringLiteral("Only"),
                                 QStringLiteral("TEL:555 0202\r\n")))
                  .status, 201);

    const SyncResult first = Sync();
    ASSERT_FALSE(first.error) << first.error.Message().toStdString();
    // Ann is paired (her e-mail joins the record), Server comes here, Local goes there.
    EXPECT_EQ(Summary(first), "1 added here, 1 changed here, 0 removed here; 2 sent to the server, 0 conflicts");
    EXPECT_EQ(doc->GetRecords().size(), 3u);
    ASSERT_NE(Find("Smith", "Ann"), nullptr);
    EXPECT_EQ(Find("Smith", "Ann")->m_strItem[1], "ann@example.org");
    ASSERT_NE(Find("Server", "Only"), nullptr);
    const auto cards = ServerCards();
    EXPECT_EQ(cards.size(), 3u);
    EXPECT_FALSE(HrefOf("Local").isEmpty());
    // The paired card kept its place and UID.
    EXPECT_TRUE(cards.at(book + QStringLiteral("ann.vcf")).contains("ann-uid"));

    const SyncResult again = Sync();
    ASSERT_FALSE(again.error);
    EXPECT_EQ(Summary(again), "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");

    // A second Kinbook on the same file sees the same: nothing new either way.
    doc = NewDoc();
    doc->SetDataPath(path);
    ASSERT_TRUE(doc->Load(path));
    const SyncResult reopened = Sync();
    ASSERT_FALSE(reopened.error);
    EXPECT_EQ(Summary(reopened), "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    EXPECT_EQ(doc->GetRecords().size(), 3u);
}

TEST_P(SyncEngineTest, EditsAndDeletionsTravelBothWays) {
    Add(Person("Here", "Hal", "555 1000"));
    ASSERT_EQ(raw->Put(book + QStringLiteral("there.vcf"),
                       PhoneCard(QStringLiteral("there-uid"), QStringLiteral("There"), QStringLiteral("Tia"),
                                 QStringLiteral("TEL;TYPE=home:555 2000\r\n"))).status, 201);
    ASSERT_FALSE(Sync().error);

    // Here -> there.
    Find("Here")->m_strTitle = "Captain";
    ASSERT_TRUE(doc->Save(path));
    SyncResult r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(Summary(r), "0 added here, 0 changed here, 0 removed here; 1 sent to the server, 0 conflicts");
    const QString hereHref = HrefOf("Hal");
    ASSERT_FALSE(hereHref.isEmpty());
    EXPECT_TRUE(raw->Get(hereHref).body.contains("TITLE:Captain"));

    // There -> here, including a new last name that files the record anew.
    ASSERT_EQ(raw->Put(book + QStringLiteral("there.vcf"),
                       PhoneCard(QStringLiteral("there-uid"), QStringLiteral("Anywhere"), QStringLiteral("Tia"),
                                 QStringLiteral("TEL;TYPE=home:555 2001\r\n"))).status / 100, 2);
    r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(Summary(r), "0 added here, 1 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    ASSERT_NE(Find("Anywhere", "Tia"), nullptr);
    EXPECT_EQ(Find("Anywhere", "Tia")->m_strItem[0], "555 2001");
    EXPECT_EQ(doc->GetRecords().front()->m_strLastName, "Anywhere"); // filed in order

    // Deleted there -> deleted here.
    ASSERT_EQ(raw->Delete(book + QStringLiteral("there.vcf")).status / 100, 2);
    r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(Summary(r),
              "0 added here, 0 changed here, 1 removed here; 0 sent to the server, 0 conflicts; "
              "the book as it was before is kept as " +
                  path + ".before-sync");
    EXPECT_EQ(Find("Anywhere"), nullptr);

    // Deleted here -> deleted there.
    auto& records = doc->GetRecords();
    records.erase(std::find_if(records.begin(), records.end(),
                               [](const auto& p) { return p->m_strLastName == "Here"; }));
    ASSERT_TRUE(doc->Save(path));
    r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(Summary(r), "0 added here, 0 changed here, 0 removed here; 1 sent to the server, 0 conflicts");
    EXPECT_TRUE(ServerCards().empty());
    EXPECT_TRUE(doc->GetRecords().empty());
}

TEST_P(SyncEngineTest, AnEditOnBothSidesKeepsBothVersions) {
    Add(Person("Both", "Bea", "555 3000"));
    ASSERT_FALSE(Sync().error);
    const QString href = HrefOf("Bea");
    ASSERT_FALSE(href.isEmpty());
    // The phone's edit...
    QByteArray theirs = raw->Get(href).body;
    theirs.replace("555 3000", "555 3999");
    ASSERT_EQ(raw->Put(href, theirs).status / 100, 2);
    // ...and ours.
    Find("Both")->m_strCity = "Leeds";
    ASSERT_TRUE(doc->Save(path));

    const SyncResult r = Sync();
    ASSERT_FALSE(r.error) << r.error.Message().toStdString();
    EXPECT_EQ(r.counts.conflicts, 1);
    ASSERT_EQ(doc->GetRecords().size(), 2u);
    int marked = 0, phoneVersion = 0;
    for (const auto& rec : doc->GetRecords()) {
        if (rec->m_strOtherInfo[0] == "(conflict)") {
            ++marked;
            EXPECT_EQ(rec->m_strCity, "Leeds");
        }
        if (rec->m_strItem[0] == "555 3999")
            ++phoneVersion;
    }
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(phoneVersion, 1);
    // Nothing on the server was overwritten: the phone's version is still there.
    EXPECT_TRUE(raw->Get(href).body.contains("555 3999"));
    // And the next sync is quiet.
    const SyncResult again = Sync();
    ASSERT_FALSE(again.error);
    EXPECT_EQ(again.counts.conflicts, 0);
    EXPECT_EQ(again.counts.addedHere + again.counts.changedHere + again.counts.removedHere, 0);
}

TEST_P(SyncEngineTest, AWriteRefusedForAnEditOnTheServerKeepsOursAsAConflictCopy) {
    Add(Person("Race", "Rae", "555 3100"));
    ASSERT_FALSE(Sync().error);
    const QString href = HrefOf("Rae");
    ASSERT_FALSE(href.isEmpty());
    Find("Race")->m_strCity = "York";
    ASSERT_TRUE(doc->Save(path));
    // The phone changes the card after Kinbook has looked and before its write arrives.
    const SyncResult r = Sync([&] {
        QByteArray theirs = raw->Get(href).body;
        theirs.replace("555 3100", "555 3199");
        EXPECT_EQ(raw->Put(href, theirs).status / 100, 2);
    });
    ASSERT_FALSE(r.error) << r.error.Message().toStdString();
    EXPECT_EQ(r.counts.conflicts, 1);
    ASSERT_EQ(doc->GetRecords().size(), 2u);
    int ours = 0, theirs = 0;
    for (const auto& rec : doc->GetRecords()) {
        ours += rec->m_strCity == "York" && rec->m_strOtherInfo[0] == "(conflict)";
        theirs += rec->m_strItem[0] == "555 3199" && rec->m_strCity.empty();
    }
    EXPECT_EQ(ours, 1);
    EXPECT_EQ(theirs, 1);
    EXPECT_TRUE(raw->Get(href).body.contains("555 3199"));
    // Our version reaches the server as a card of its own; nothing was lost on either side.
    const SyncResult next = Sync();
    ASSERT_FALSE(next.error);
    EXPECT_EQ(next.counts.sentToServer, 1);
    EXPECT_EQ(ServerCards().size(), 2u);
    EXPECT_FALSE(HrefOf("York").isEmpty());
    EXPECT_TRUE(raw->Get(href).body.contains("555 3199"));
}

// The disk here fills up during a sync: the message says so, not that the server failed,
// and a removal waits until the book as it was can be kept.
TEST_P(SyncEngineTest, AFullDiskHereIsSaidAsSuchAndRemovesNothing) {
    ASSERT_EQ(raw->Put(book + QStringLiteral("gone.vcf"),
                       PhoneCard(QStringLiteral("gone-uid"), QStringLiteral("Gone"),
                                 QStringLiteral("Gil"), QStringLiteral("TEL:555 3300\r\n")))
                  .status,
              201);
    doc = std::make_unique<CKinbookDoc>(box, fs);
    doc->SetDataPath(path);
    ASSERT_TRUE(doc->Load(path));
    ASSERT_FALSE(Sync().error);
    const std::string before = ReadFileBytes(path);

    ASSERT_EQ(raw->Put(book + QStringLiteral("new.vcf"),
                       PhoneCard(QStringLiteral("new-uid"), QStringLiteral("New"),
                                 QStringLiteral("Nia"), QStringLiteral("TEL:555 3301\r\n")))
                  .status,
              201);
    fs.failWriteAfter = 0;
    SyncResult r = Sync();
    EXPECT_EQ(r.error.Message().toStdString(),
              "The book could not be saved on this computer, so the "
              "sync stopped. Sync again once it can be saved.");
    EXPECT_EQ(box.Texts().back(), "The destination drive is full.");

    ASSERT_EQ(raw->Delete(book + QStringLiteral("gone.vcf")).status / 100, 2);
    r = Sync();
    EXPECT_EQ(r.error.Message().toStdString(),
              "The book could not be saved on this computer (the disk "
              "is full), so the sync stopped. Sync again once it can "
              "be saved.");
    EXPECT_NE(Find("Gone"), nullptr);
    EXPECT_EQ(ReadFileBytes(path), before);

    fs.failWriteAfter.reset();
    r = Sync();
    ASSERT_FALSE(r.error) << r.error.Message().toStdString();
    EXPECT_EQ(Summary(r), "0 added here, 0 changed here, 1 removed here; 0 sent to the server, 0 "
                          "conflicts; the book as it was before is kept as " +
                              path + ".before-sync");
    EXPECT_EQ(ReadFileBytes(path + ".before-sync"), before);
    EXPECT_EQ(Find("Gone"), nullptr);
    EXPECT_NE(Find("New"), nullptr);
}

TEST_P(SyncEngineTest, APhotoAndABirthdaySurviveAKinbookEdit) {
    const QByteArray photo = "PHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(600, '\x5a').toBase64() + "\r\n";
    // The photo line folded as a phone writes it.
    QByteArray folded;
    for (int i = 0; i < photo.size() - 2; i += 74)
        folded += (i == 0 ? QByteArray() : QByteArray(" ")) + photo.mid(i, std::min(74, static_cast<int>(photo.size()) - 2 - i)) + "\r\n";
    const QByteArray card = PhoneCard(QStringLiteral("pic-uid"), QStringLiteral("Picture"), QStringLiteral("Pam"),
                                      QStringLiteral("TEL;TYPE=cell:555 4000\r\nBDAY:1980-04-04\r\n"
                                                     "X-CUSTOM-THING:keep me\r\n") +
                                          QString::fromLatin1(folded));
    ASSERT_EQ(raw->Put(book + QStringLiteral("pic.vcf"), card).status, 201);
    ASSERT_FALSE(Sync().error);
    ASSERT_NE(Find("Picture"), nullptr);
    Find("Picture")->m_strTitle = "Painter";
    ASSERT_TRUE(doc->Save(path));
    const SyncResult r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.counts.sentToServer, 1);
    QByteArray after = raw->Get(book + QStringLiteral("pic.vcf")).body;
    after.replace("\r\n ", ""); // unfold
    EXPECT_TRUE(after.contains("TITLE:Painter"));
    EXPECT_TRUE(after.contains("BDAY:1980-04-04"));
    EXPECT_TRUE(after.contains("X-CUSTOM-THING:keep me"));
    EXPECT_TRUE(after.contains(QByteArray(600, '\x5a').toBase64()));
    // The birthday is not written a second time from the record's plain-words copy.
    EXPECT_EQ(after.count("1980-04-04"), 1);
}

// The properties of the card at href, one a line, the way the server now holds them.
std::vector<std::string> CardLines(const QByteArray& data) {
    std::vector<std::string> lines;
    const std::vector<VCard> cards = ParseVCards(data.toStdString());
    for (const VCardProperty& p :
         cards.empty() ? std::vector<VCardProperty>() : cards[0].properties) {
        std::string line = p.group + "." + p.name;
        for (const VCardParam& param : p.params)
            for (const std::string& v : param.values)
                line += ";" + param.name + "=" + v;
        lines.push_back(line + ":" + p.value);
    }
    return lines;
}

// A rich card edited here comes back to the server as it was but for what changed; what
// another client adds there reaches the record once; a change of what only the card holds
// counts as an edit here. Twins go out under their own name.
TEST_P(SyncEngineTest, TheWholeCardTravelsBothWays) {
    const QByteArray rich = QByteArray::fromStdString(
        ReadFileBytes(std::string(KINBOOK_TEST_DATA_DIR) + "/vcard/rich-3.0.vcf"));
    ASSERT_EQ(raw->Put(book + QStringLiteral("rich.vcf"), rich).status, 201);
    // As the server keeps it (one of them writes the properties in an order of its own).
    const std::vector<std::string> was =
        CardLines(raw->Get(book + QStringLiteral("rich.vcf")).body);
    ASSERT_EQ(raw->Put(book + QStringLiteral("twin.vcf"),
                       PhoneCard(QStringLiteral("twin-uid"), QStringLiteral("Adams"),
                                 QStringLiteral("Emily"), QStringLiteral("TEL:555 0099\r\n")))
                  .status,
              201);
    ASSERT_FALSE(Sync().error);
    CContactRecord* twin = Find("Adams #1", "Emily");
    ASSERT_NE(twin, nullptr);
    CContactRecord* emily = Find("Adams", "Emily");
    if (emily->m_strTitle.empty())
        std::swap(twin, emily); // the filing rule numbered the other one
    EXPECT_EQ(emily->m_strOtherInfo[0], "");
    emily->m_strTitle = "Chief Scientist";
    twin->m_strTitle = "Twin";
    ASSERT_TRUE(doc->Save(path));
    ASSERT_FALSE(Sync().error);
    const QString richHref = book + QStringLiteral("rich.vcf");
    const QString twinHref = book + QStringLiteral("twin.vcf");
    std::vector<std::string> now = CardLines(raw->Get(richHref).body);
    const QByteArray twinCard = raw->Get(twinHref).body;
    if (twinCard.contains("Chief")) { // the numbered one was the rich card
        now = CardLines(twinCard);
        EXPECT_NE(std::find(now.begin(), now.end(), ".X-KINBOOK-TWIN:1"), now.end());
        now.erase(std::find(now.begin(), now.end(), ".X-KINBOOK-TWIN:1"));
    } else {
        EXPECT_TRUE(twinCard.contains("\r\nN:Adams;Emily;;;\r\n")) << twinCard.toStdString();
        EXPECT_TRUE(twinCard.contains("\r\nX-KINBOOK-TWIN:1\r\n"));
    }
    ASSERT_EQ(now.size(), was.size());
    for (std::size_t i = 0; i < was.size(); ++i) {
        if (was[i].rfind(".TITLE:", 0) == 0)
            EXPECT_EQ(now[i], ".TITLE:Chief Scientist");
        else if (was[i].rfind(".REV:", 0) == 0)
            EXPECT_NE(now[i], was[i]); // renewed
        else
            EXPECT_EQ(now[i], was[i]);
    }

    // Another client adds an anniversary: it reaches the record once, as a property.
    QByteArray changed = raw->Get(richHref).body;
    changed.replace("END:VCARD", "ANNIVERSARY:2010-06-12\r\nEND:VCARD");
    ASSERT_EQ(raw->Put(richHref, changed).status / 100, 2);
    ASSERT_FALSE(Sync().error);
    emily = Find("Adams", "Emily")->m_strTitle == "Chief Scientist" ? Find("Adams", "Emily")
                                                                    : Find("Adams #1", "Emily");
    ASSERT_NE(emily->Extras(), nullptr);
    ASSERT_NE(emily->Extras()->FindShown("ANNIVERSARY"), nullptr);
    EXPECT_EQ(emily->m_strOtherInfo[0], "");
    EXPECT_EQ(emily->m_strNotes, "Plays the Sicilian, always.");

    // A new nickname here is an edit here, and goes to the server.
    emily->EditExtras().FindShown("NICKNAME")->value = "Emmy";
    ASSERT_TRUE(doc->Save(path));
    const SyncResult r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.counts.sentToServer, 1);
    const QByteArray after = raw->Get(richHref).body + raw->Get(twinHref).body;
    EXPECT_TRUE(after.contains("\r\nNICKNAME:Emmy\r\n"));
    EXPECT_EQ(after.count("ANNIVERSARY"), 1);
}

// More cards than one request fetches and more writes than go out at once: every card
// arrives whole, in both directions, once; and a sync with nothing to do writes nothing.
TEST_P(SyncEngineTest, ABookOfManyCardsTravelsWholeBothWays) {
    constexpr int kEach = 120;
    const QByteArray photo = "PHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(300, '\x42').toBase64() + "\r\n";
    for (int i = 0; i < kEach; ++i) {
        const std::string n = std::to_string(1000 + i);
        FileRecord(doc->GetRecords(), std::make_unique<CContactRecord>(Person("Near" + n, "N", "555 6" + n)));
        ASSERT_EQ(raw->Put(book + QStringLiteral("far%1.vcf").arg(i),
                           PhoneCard(QStringLiteral("far-%1").arg(i), QStringLiteral("Far%1").arg(1000 + i),
                                     QStringLiteral("F"),
                                     QStringLiteral("TEL:555 7%1\r\n").arg(1000 + i) +
                                         (i == 7 ? QString::fromLatin1(photo) + QStringLiteral("BDAY:1971-07-07\r\n")
                                                 : QString())))
                      .status, 201);
    }
    ASSERT_TRUE(doc->Save(path));

    const SyncResult first = Sync();
    ASSERT_FALSE(first.error) << first.error.Message().toStdString();
    EXPECT_EQ(Summary(first), "120 added here, 0 changed here, 0 removed here; 120 sent to the server, 0 conflicts");
    EXPECT_EQ(doc->GetRecords().size(), 2u * kEach);
    EXPECT_EQ(raw->List(book).size(), 2 * kEach);

    // The card with a photo came in whole: an edit here sends it back with its photo.
    ASSERT_NE(Find("Far1007"), nullptr);
    Find("Far1007")->m_strTitle = "Pilot";
    ASSERT_TRUE(doc->Save(path));
    const SyncResult edit = Sync();
    ASSERT_FALSE(edit.error);
    EXPECT_EQ(Summary(edit), "0 added here, 0 changed here, 0 removed here; 1 sent to the server, 0 conflicts");
    QByteArray after = raw->Get(book + QStringLiteral("far7.vcf")).body;
    after.replace("\r\n ", "");
    EXPECT_TRUE(after.contains("TITLE:Pilot"));
    EXPECT_TRUE(after.contains(QByteArray(300, '\x42').toBase64()));
    EXPECT_TRUE(after.contains("BDAY:1971-07-07"));

    // Nothing to do (once the server's token has moved past our own writes): the state
    // file beside the book is left as it is.
    ASSERT_EQ(Summary(Sync()), "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    const std::string statePath = CSyncState::SidecarPath(path);
    struct stat before {};
    ASSERT_EQ(::stat(statePath.c_str(), &before), 0);
    const SyncResult quiet = Sync();
    ASSERT_FALSE(quiet.error);
    EXPECT_EQ(Summary(quiet), "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    struct stat later {};
    ASSERT_EQ(::stat(statePath.c_str(), &later), 0);
    EXPECT_EQ(later.st_ino, before.st_ino) << "the state file was rewritten";

    // Another, empty book gets every card once, the edit included.
    const std::string otherPath = dir.File("other.kbk");
    doc = NewDoc();
    doc->SetDataPath(otherPath);
    doc->GetCategories().ResetToDefaults();
    ASSERT_TRUE(doc->Save(otherPath));
    const SyncResult other = Sync();
    ASSERT_FALSE(other.error) << other.error.Message().toStdString();
    EXPECT_EQ(Summary(other), "240 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    std::set<std::string> names;
    for (const auto& r : doc->GetRecords())
        names.insert(r->m_strLastName);
    EXPECT_EQ(names.size(), 2u * kEach);
    ASSERT_NE(Find("Far1007"), nullptr);
    EXPECT_EQ(Find("Far1007")->m_strTitle, "Pilot");
    ASSERT_NE(Find("Near1119"), nullptr);
    EXPECT_EQ(Find("Near1119")->m_strItem[0], "555 61119");
}

TEST_P(SyncEngineTest, AWrongPasswordChangesNothing) {
    Add(Person("Kept", "Kay", "555 5000"));
    const std::string before = ReadFileBytes(path);
    client.SetAccount(BookUrl(), QString::fromStdString(server->User()), QStringLiteral("not-it"));
    const SyncResult r = Sync();
    EXPECT_EQ(r.error.kind, DavError::Unauthorized);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(ServerCards().empty());
}

TEST_P(SyncEngineTest, CategoriesTravelAndDeletingOneDeletesNoContact) {
    CContactRecord p = Person("Cat", "Carl", "555 6000");
    p.m_nCategory = 2; // Personal
    Add(p);
    ASSERT_EQ(raw->Put(book + QStringLiteral("club.vcf"),
                       PhoneCard(QStringLiteral("club-uid"), QStringLiteral("Club"), QStringLiteral("Cleo"),
                                 QStringLiteral("CATEGORIES:Chess Club\r\n"))).status, 201);
    ASSERT_FALSE(Sync().error);
    EXPECT_TRUE(raw->Get(HrefOf("Carl")).body.contains("CATEGORIES:Personal"));
    ASSERT_NE(Find("Club"), nullptr);
    EXPECT_EQ(doc->GetCategories().NameOf(Find("Club")->m_nCategory), "Chess Club");

    // The category goes (its records become Unfiled): the contacts stay on the server.
    Find("Cat")->m_nCategory = 0;
    ASSERT_TRUE(doc->Save(path));
    const SyncResult r = Sync();
    ASSERT_FALSE(r.error);
    EXPECT_EQ(ServerCards().size(), 2u);
    EXPECT_FALSE(raw->Get(HrefOf("Carl")).body.contains("CATEGORIES"));
}

// The server stops after k requests, k at random; each run goes on from where the last
// stopped, and in the end both sides agree with no duplicate.
TEST_P(SyncEngineTest, AnInterruptedSyncRunAgainConverges) {
    DavServer own(GetParam());
    ASSERT_TRUE(own.Start()) << own.Error();
    RawDav ownRaw(own);
    const QString ownBook = QString::fromStdString(own.DefaultAddressBookPath());
    for (int i = 0; i < 15; ++i) {
        Add(Person("Local" + std::to_string(i), "L", "555 7" + std::to_string(100 + i)));
        ASSERT_EQ(ownRaw.Put(ownBook + QStringLiteral("r%1.vcf").arg(i),
                             PhoneCard(QStringLiteral("r%1").arg(i), QStringLiteral("Remote%1").arg(i),
                                       QStringLiteral("R"), QStringLiteral("TEL:555 8%1\r\n").arg(100 + i)))
                      .status, 201);
    }
    book = ownBook;
    base = own.BaseUrl();
    client.SetAccount(QUrl(QString::fromStdString(own.BaseUrl()) + ownBook),
                      QString::fromStdString(own.User()), QString::fromStdString(own.Password()));
    std::mt19937 rng(static_cast<unsigned>(std::random_device{}()));
    int stopAfter = 0;
    QObject::connect(&client, &CCardDavClient::requestStarting, [&](int n) {
        if (stopAfter > 0 && n == stopAfter)
            own.Stop();
    });
    int runs = 0;
    for (;; ++runs) {
        ASSERT_LT(runs, 20);
        if (!own.Running()) {
            ASSERT_TRUE(own.Restart()) << own.Error();
        }
        stopAfter = client.RequestCount() + std::uniform_int_distribution<int>(1, 12)(rng);
        const SyncResult r = Sync();
        if (!r.error)
            break;
        // Several writes are on the wire at once: one the server was in the middle of when
        // it was stopped may be answered with a server error instead of a lost connection.
        EXPECT_TRUE(r.error.kind == DavError::ConnectionLost || r.error.kind == DavError::Unreachable ||
                    r.error.kind == DavError::Truncated ||
                    (r.error.kind == DavError::Http && r.error.httpStatus >= 500))
            << r.error.Message().toStdString();
    }
    stopAfter = 0;
    if (!own.Running()) {
        ASSERT_TRUE(own.Restart());
    }
    const SyncResult quiet = Sync();
    ASSERT_FALSE(quiet.error);
    EXPECT_EQ(Summary(quiet), "0 added here, 0 changed here, 0 removed here; 0 sent to the server, 0 conflicts");
    EXPECT_EQ(doc->GetRecords().size(), 30u);
    EXPECT_EQ(ownRaw.List(ownBook).size(), 30);
    std::set<std::string> names;
    for (const auto& r : doc->GetRecords())
        names.insert(r->m_strLastName);
    EXPECT_EQ(names.size(), 30u) << "a duplicate was filed";
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncEngineTest,
                         ::testing::Values(DavServer::Kind::Radicale, DavServer::Kind::Xandikos),
                         [](const auto& info) {
                             return std::string(info.param == DavServer::Kind::Radicale ? "radicale" : "xandikos");
                         });

} // namespace
