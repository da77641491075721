// A sync session without a server: the book and its state file, told what the server
// holds. The rules under test: a record deleted here goes to the server as a deletion, but a
// record missing because another program rewrote the data file is never deleted there; a
// new ETag on an unchanged card is no edit there.
#include "FakeMessageBox.h"
#include "TempDir.h"
#include "edit/FilingRule.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "sync/CSyncSession.h"
#include "sync/CSyncState.h"
#include <gtest/gtest.h>

namespace {

class SyncSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("book.kbk");
        doc.SetDataPath(path);
        doc.GetCategories().ResetToDefaults();
        for (const char* name : {"Alpha", "Beta"}) {
            auto r = std::make_unique<CContactRecord>();
            r->m_strLastName = name;
            r->m_strItem[0] = std::string("555 ") + name;
            r->m_nItemLabel[0] = LABEL_HOME;
            FileRecord(doc.GetRecords(), std::move(r));
        }
        ASSERT_TRUE(doc.Save());
        // The first sync sends both.
        CSyncSession s(doc, kUrl, "/book/");
        s.ServerListing({});
        bool ok = false;
        const auto out = s.ApplyHere(ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(out.size(), 2u);
        for (const auto& change : out) {
            EXPECT_EQ(change.kind, OutgoingChange::PutNew);
            EXPECT_EQ(change.href.rfind("/book/", 0), 0u);
            sent.push_back(change);
            s.Sent(change, "\"e-" + change.uid + "\"");
        }
        ASSERT_TRUE(s.Finish("token-1"));
    }
    void DeleteAlpha() {
        auto& records = doc.GetRecords();
        records.erase(std::find_if(records.begin(), records.end(),
                                   [](const auto& r) { return r->m_strLastName == "Alpha"; }));
    }

    static constexpr const char* kUrl = "http://127.0.0.1:1/book/";
    TempDir dir;
    std::string path;
    FakeMessageBox box;
    CKinbookDoc doc{box, RealFileSystem()};
    std::vector<OutgoingChange> sent;
};

TEST_F(SyncSessionTest, ADeletionHereIsSentAsADeletion) {
    DeleteAlpha();
    ASSERT_TRUE(doc.Save());
    CSyncSession s(doc, kUrl, "/book/");
    EXPECT_EQ(s.Token(), "token-1");
    s.ServerDelta({}, {});
    bool ok = false;
    const auto out = s.ApplyHere(ok);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, OutgoingChange::Delete);
    EXPECT_EQ(out[0].etag, "\"e-" + out[0].uid + "\"");
}

TEST_F(SyncSessionTest, ARecordLostToAnotherProgramIsNeverDeletedOnTheServer) {
    // Another program rewrites the data file without Alpha and without touching the state.
    const std::string state = ReadFileBytes(CSyncState::SidecarPath(path));
    DeleteAlpha();
    ASSERT_TRUE(doc.Save());
    WriteFileBytes(CSyncState::SidecarPath(path), state);
    CKinbookDoc reopened(box, RealFileSystem());
    reopened.SetDataPath(path);
    ASSERT_TRUE(reopened.Load(path));

    CSyncSession s(reopened, kUrl, "/book/");
    std::map<std::string, std::string> all;
    for (const auto& c : sent)
        all[c.href] = "\"e-" + c.uid + "\"";
    s.ServerListing(all);
    EXPECT_TRUE(s.HrefsToFetch().size() == 1u); // Alpha's card is new to this book now
    for (const auto& c : sent)
        if (c.data.find("Alpha") != std::string::npos)
            s.Fetched({c.href, all[c.href], c.data});
    bool ok = false;
    const auto out = s.ApplyHere(ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(s.Counts().addedHere, 1); // back as a new record, not deleted anywhere
    EXPECT_EQ(reopened.GetRecords().size(), 2u);
}

TEST_F(SyncSessionTest, TwoEditsOfOneContactKeepBoth) {
    // Ours: Beta gets a city. Theirs: Beta's card gets another phone.
    const auto beta = std::find_if(sent.begin(), sent.end(),
                                   [](const auto& c) { return c.data.find("Beta") != std::string::npos; });
    ASSERT_NE(beta, sent.end());
    for (auto& r : doc.GetRecords())
        if (r->m_strLastName == "Beta")
            r->m_strCity = "Bath";
    ASSERT_TRUE(doc.Save());
    std::string theirs = beta->data;
    const auto at = theirs.find("555 Beta");
    ASSERT_NE(at, std::string::npos);
    theirs.replace(at, 8, "555 0000");

    CSyncSession s(doc, kUrl, "/book/");
    s.ServerDelta({{beta->href, "\"e-new\""}}, {});
    ASSERT_EQ(s.HrefsToFetch(), std::vector<std::string>{beta->href});
    s.Fetched({beta->href, "\"e-new\"", theirs});
    bool ok = false;
    const auto out = s.ApplyHere(ok);
    EXPECT_EQ(s.Counts().conflicts, 1);
    ASSERT_EQ(out.size(), 1u); // our version, marked, goes out as a new card
    EXPECT_EQ(out[0].kind, OutgoingChange::PutNew);
    EXPECT_NE(out[0].data.find("Bath"), std::string::npos);
    EXPECT_NE(out[0].data.find("(conflict)"), std::string::npos);
    int ours = 0, server = 0;
    for (const auto& r : doc.GetRecords()) {
        ours += r->m_strCity == "Bath" && r->m_strOtherInfo[0] == "(conflict)";
        server += r->m_strItem[0] == "555 0000" && r->m_strCity.empty();
    }
    EXPECT_EQ(ours, 1);
    EXPECT_EQ(server, 1);
}

TEST_F(SyncSessionTest, ANewETagOnAnUnchangedCardIsNoEditThere) {
    // Ours: Beta gets a city. The server lists both cards under new ETags, unchanged.
    for (auto& r : doc.GetRecords())
        if (r->m_strLastName == "Beta")
            r->m_strCity = "Bath";
    ASSERT_TRUE(doc.Save());
    CSyncSession s(doc, kUrl, "/book/");
    std::map<std::string, std::string> moved;
    for (const auto& c : sent)
        moved[c.href] = "\"moved-" + c.uid + "\"";
    s.ServerListing(moved);
    ASSERT_EQ(s.HrefsToFetch().size(), 2u);
    for (const auto& c : sent)
        s.Fetched({c.href, moved[c.href], c.data});
    bool ok = false;
    const auto out = s.ApplyHere(ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.Counts().conflicts, 0);
    EXPECT_EQ(doc.GetRecords().size(), 2u);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, OutgoingChange::Put);
    EXPECT_EQ(out[0].etag, moved[out[0].href]);
    EXPECT_NE(out[0].data.find("Bath"), std::string::npos);

    // Refused all the same, and the card is still as it was under yet another ETag: the
    // edit goes again against that one, once, and no copy is made.
    const auto beta = std::find_if(sent.begin(), sent.end(),
                                   [&](const auto& c) { return c.href == out[0].href; });
    ASSERT_NE(beta, sent.end());
    const ServerCard same{beta->href, "\"again\"", beta->data};
    const auto again = s.Refused(out[0], same);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->etag, "\"again\"");
    EXPECT_FALSE(s.Refused(*again, same).has_value());
    EXPECT_EQ(s.Counts().conflicts, 1); // a second refusal is a conflict after all
}

} // namespace

namespace {

// A card new to the book, for a contact the book holds but has never sent, names a category
// the book lacks. Pairing compares the two; the record keeps its own category, so the card's
// must not be made.
TEST_F(SyncSessionTest, ComparingACardWithANewCategoryMakesNoCategory) {
    auto gamma = std::make_unique<CContactRecord>();
    gamma->m_strLastName = "Gamma";
    gamma->m_strItem[0] = "555 Gamma";
    gamma->m_nItemLabel[0] = LABEL_HOME;
    FileRecord(doc.GetRecords(), std::move(gamma));
    ASSERT_TRUE(doc.Save());

    std::string card = sent[0].data;
    const std::string name = card.find("Alpha") != std::string::npos ? "Alpha" : "Beta";
    for (std::size_t at; (at = card.find(name)) != std::string::npos;)
        card.replace(at, name.size(), "Gamma");
    for (std::size_t at; (at = card.find(sent[0].uid)) != std::string::npos;)
        card.replace(at, sent[0].uid.size(), "gamma-uid");
    if (const std::size_t at = card.find("\r\nCATEGORIES:"); at != std::string::npos)
        card.erase(at, card.find("\r\n", at + 2) - at);
    card.insert(card.find("END:VCARD"), "CATEGORIES:Chess\r\n");

    CSyncSession s(doc, kUrl, "/book/");
    s.ServerDelta({{"/book/gamma.vcf", "\"g\""}}, {});
    s.Fetched({"/book/gamma.vcf", "\"g\"", card});
    bool ok = false;
    s.ApplyHere(ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.Counts().addedHere, 0); // paired with the record, not added
    EXPECT_EQ(doc.GetRecords().size(), 3u);
    EXPECT_FALSE(doc.GetCategories().Find("Chess").has_value());
}

} // namespace
