// The CardDAV client against real servers: discovery, listing, changes since a token,
// conditional writes, and each way a server or network can fail.
#include "CCardDavClient.h"
#include "CDavBlocking.h"
#include "DavServer.h"
#include "RawDav.h"
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QByteArray Card(const QString& uid, const QString& family, const QString& given,
                const QString& extra = {}) {
    QString c = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%3 %2\r\nN:%2;%3;;;\r\n")
                    .arg(uid, family, given);
    c += extra;
    c += QStringLiteral("END:VCARD\r\n");
    return c.toUtf8();
}

class DavClientTest : public ::testing::TestWithParam<DavServer::Kind> {
protected:
    void SetUp() override {
        server = &SharedServer(static_cast<int>(GetParam()));
        ASSERT_TRUE(server->Running()) << server->Error();
        raw = std::make_unique<RawDav>(*server);
        book = raw->MakeAddressBook(UniqueBookName("client"));
        ASSERT_FALSE(book.isEmpty());
        client.SetAccount(Url(book), QString::fromStdString(server->User()),
                          QString::fromStdString(server->Password()));
    }
    QUrl Url(const QString& path) const {
        return QUrl(QString::fromStdString(server->BaseUrl()) + path);
    }

    DavServer* server = nullptr;
    std::unique_ptr<RawDav> raw;
    QString book;
    CCardDavClient client;
    CDavBlocking sync{client};
};

TEST_P(DavClientTest, DiscoveryFromTheServerAddressFindsEveryAddressBook) {
    client.SetAccount(Url(QString()), QString::fromStdString(server->User()),
                      QString::fromStdString(server->Password()));
    QList<DavAddressBook> books;
    ASSERT_FALSE(sync.Discover(books)) << sync.Discover(books).Message().toStdString();
    QStringList paths;
    for (const auto& b : books)
        paths << b.url.path();
    EXPECT_TRUE(paths.contains(QString::fromStdString(server->DefaultAddressBookPath())))
        << paths.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(paths.contains(book));
    for (const auto& b : books)
        EXPECT_TRUE(b.supportsSyncCollection) << b.url.toString().toStdString();
}

TEST_P(DavClientTest, DiscoveryFromAnAddressBookOrThePrincipal) {
    QList<DavAddressBook> books;
    ASSERT_FALSE(sync.Discover(books));
    ASSERT_EQ(books.size(), 1);
    EXPECT_EQ(books[0].url.path(), book);

    client.SetAccount(Url(QStringLiteral("/") + QString::fromStdString(server->User()) +
                          QStringLiteral("/")),
                      QString::fromStdString(server->User()),
                      QString::fromStdString(server->Password()));
    ASSERT_FALSE(sync.Discover(books));
    EXPECT_GE(books.size(), 2);
}

TEST_P(DavClientTest, WrongPasswordIsRefusedWithItsOwnMessage) {
    client.SetAccount(Url(book), QString::fromStdString(server->User()), QStringLiteral("wrong"));
    QList<DavAddressBook> books;
    const DavError e = sync.Discover(books);
    EXPECT_EQ(e.kind, DavError::Unauthorized);
    EXPECT_EQ(e.Message().toStdString(), "The server did not accept the user name or password.");
    DavListing listing;
    EXPECT_EQ(sync.ListCards(Url(book), listing).kind, DavError::Unauthorized);
}

TEST_P(DavClientTest, WritesAreConditionalOnTheETag) {
    const QString href = book + QStringLiteral("a1.vcf");
    QString etag;
    ASSERT_FALSE(sync.Put(href, Card(QStringLiteral("a1"), QStringLiteral("Abel"), QStringLiteral("Ann")), {}, etag));
    EXPECT_FALSE(etag.isEmpty());
    // A second new card under the same name must not overwrite the first.
    QString ignored;
    EXPECT_EQ(sync.Put(href, Card(QStringLiteral("a1"), QStringLiteral("Other"), QStringLiteral("X")), {}, ignored).kind,
              DavError::PreconditionFailed);
    // Someone else changes it: our stale ETag no longer matches.
    const auto theirs = raw->Put(href, Card(QStringLiteral("a1"), QStringLiteral("Abel"), QStringLiteral("Anne")));
    ASSERT_TRUE(theirs.status == 201 || theirs.status == 204) << theirs.status;
    EXPECT_EQ(sync.Put(href, Card(QStringLiteral("a1"), QStringLiteral("Abel"), QStringLiteral("Annie")), etag, ignored).kind,
              DavError::PreconditionFailed);
    EXPECT_EQ(sync.Delete(href, etag).kind, DavError::PreconditionFailed);
    EXPECT_TRUE(raw->Get(href).body.contains("FN:Anne Abel"));

    DavCard current;
    ASSERT_FALSE(sync.Get(href, current));
    QString newer;
    ASSERT_FALSE(sync.Put(href, Card(QStringLiteral("a1"), QStringLiteral("Abel"), QStringLiteral("Annie")), current.etag, newer));
    EXPECT_NE(newer, current.etag);
    EXPECT_TRUE(raw->Get(href).body.contains("FN:Annie Abel"));
    ASSERT_FALSE(sync.Delete(href, newer.isEmpty() ? QString() : newer));
    EXPECT_EQ(raw->Get(href).status, 404);
    // Deleting what is already gone is no failure.
    EXPECT_FALSE(sync.Delete(href, {}));
}

TEST_P(DavClientTest, ListingMultigetAndQueryGiveTheCardsAsStored) {
    QByteArray photo = "PHOTO;ENCODING=b;TYPE=JPEG:";
    photo += QByteArray(300, 'A').toBase64().left(200) + "\r\n";
    const QByteArray withPhoto = Card(QStringLiteral("p1"), QStringLiteral("Photo"), QStringLiteral("Pat"),
                                      QString::fromUtf8(photo) + QStringLiteral("BDAY:1980-04-04\r\n"));
    ASSERT_EQ(raw->Put(book + QStringLiteral("p1.vcf"), withPhoto).status, 201);
    ASSERT_EQ(raw->Put(book + QStringLiteral("p2.vcf"), Card(QStringLiteral("p2"), QStringLiteral("Two"), QStringLiteral("T\xc3\xa9o"))).status, 201);

    DavListing listing;
    ASSERT_FALSE(sync.ListCards(Url(book), listing));
    ASSERT_EQ(listing.cards.size(), 2);
    QStringList hrefs;
    for (const auto& c : listing.cards) {
        hrefs << c.href;
        EXPECT_FALSE(c.etag.isEmpty());
    }
    QList<DavCard> cards;
    ASSERT_FALSE(sync.Multiget(Url(book), hrefs, cards));
    ASSERT_EQ(cards.size(), 2);
    for (const auto& c : cards) {
        const auto stored = raw->Get(c.href);
        // The server may normalise what it stores, but multiget and GET agree on it.
        EXPECT_EQ(c.data, stored.body) << c.href.toStdString();
        if (c.href.endsWith(QLatin1String("p1.vcf"))) {
            EXPECT_TRUE(c.data.contains("BDAY:1980-04-04"));
        }
    }
    // The query for the whole book gives the same cards, bytes and ETags.
    QList<DavCard> all;
    ASSERT_FALSE(sync.QueryAll(Url(book), all));
    ASSERT_EQ(all.size(), 2);
    for (const auto& c : all) {
        const auto same = std::find_if(cards.begin(), cards.end(),
                                       [&](const DavCard& m) { return m.href == c.href; });
        ASSERT_NE(same, cards.end()) << c.href.toStdString();
        EXPECT_EQ(c.data, same->data);
        EXPECT_EQ(c.etag, same->etag);
    }
}

TEST_P(DavClientTest, SyncCollectionReportsChangesAndRemovalsSinceAToken) {
    DavDelta first;
    ASSERT_FALSE(sync.SyncCollection(Url(book), {}, first));
    EXPECT_FALSE(first.tokenRejected);
    EXPECT_TRUE(first.changed.isEmpty());
    ASSERT_FALSE(first.token.isEmpty());

    ASSERT_EQ(raw->Put(book + QStringLiteral("s1.vcf"), Card(QStringLiteral("s1"), QStringLiteral("One"), QStringLiteral("S"))).status, 201);
    ASSERT_EQ(raw->Put(book + QStringLiteral("s2.vcf"), Card(QStringLiteral("s2"), QStringLiteral("Two"), QStringLiteral("S"))).status, 201);
    DavDelta second;
    ASSERT_FALSE(sync.SyncCollection(Url(book), first.token, second));
    EXPECT_EQ(second.changed.size(), 2);
    EXPECT_TRUE(second.removed.isEmpty());

    ASSERT_EQ(raw->Delete(book + QStringLiteral("s1.vcf")).status / 100, 2);
    ASSERT_EQ(raw->Put(book + QStringLiteral("s2.vcf"), Card(QStringLiteral("s2"), QStringLiteral("Two"), QStringLiteral("Sue"))).status / 100, 2);
    DavDelta third;
    ASSERT_FALSE(sync.SyncCollection(Url(book), second.token, third));
    ASSERT_EQ(third.changed.size(), 1);
    EXPECT_TRUE(third.changed[0].href.endsWith(QLatin1String("s2.vcf")));
    ASSERT_EQ(third.removed.size(), 1);
    EXPECT_TRUE(third.removed[0].endsWith(QLatin1String("s1.vcf")));

    DavDelta none;
    ASSERT_FALSE(sync.SyncCollection(Url(book), third.token, none));
    EXPECT_TRUE(none.changed.isEmpty());
    EXPECT_TRUE(none.removed.isEmpty());

    // A token the server never gave: fall back to comparing ETags.
    DavDelta bogus;
    ASSERT_FALSE(sync.SyncCollection(Url(book), QStringLiteral("http://radicale.org/ns/sync/0000"), bogus));
    EXPECT_TRUE(bogus.tokenRejected);
}

TEST_P(DavClientTest, TheNetworkGoingAwayMidwayIsNotMistakenForAnAnswer) {
    DavServer own(GetParam());
    ASSERT_TRUE(own.Start()) << own.Error();
    RawDav ownRaw(own);
    const QString ownBook = QString::fromStdString(own.DefaultAddressBookPath());
    ASSERT_EQ(ownRaw.Put(ownBook + QStringLiteral("n1.vcf"), Card(QStringLiteral("n1"), QStringLiteral("Net"), QStringLiteral("N"))).status, 201);
    CCardDavClient c;
    c.SetAccount(QUrl(QString::fromStdString(own.BaseUrl()) + ownBook),
                 QString::fromStdString(own.User()), QString::fromStdString(own.Password()));
    CDavBlocking b(c);
    DavListing listing;
    ASSERT_FALSE(b.ListCards(c.Url(), listing));
    own.Stop();
    QList<DavCard> cards;
    const DavError e = b.Multiget(c.Url(), {listing.cards[0].href}, cards);
    EXPECT_EQ(e.kind, DavError::ConnectionLost) << e.Message().toStdString();
    EXPECT_TRUE(cards.isEmpty());
    // The server back: the same request succeeds again.
    ASSERT_TRUE(own.Restart()) << own.Error();
    ASSERT_FALSE(b.Multiget(c.Url(), {listing.cards[0].href}, cards));
    EXPECT_EQ(cards.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Servers, DavClientTest,
                         ::testing::Values(DavServer::Kind::Radicale, DavServer::Kind::Xandikos),
                         [](const auto& info) {
                             return std::string(info.param == DavServer::Kind::Radicale ? "radicale" : "xandikos");
                         });

// Failures that need no address book at all.
TEST(DavClientFailures, NobodyListeningIsUnreachable) {
    DavServer closed(DavServer::Kind::PlainHttp);
    ASSERT_TRUE(closed.Start()) << closed.Error();
    const std::string url = closed.BaseUrl();
    closed.Stop();
    CCardDavClient c;
    c.SetAccount(QUrl(QString::fromStdString(url) + QStringLiteral("/")), QStringLiteral("u"), QStringLiteral("p"));
    CDavBlocking b(c);
    QList<DavAddressBook> books;
    const DavError e = b.Discover(books);
    EXPECT_EQ(e.kind, DavError::Unreachable);
    EXPECT_TRUE(e.Message().startsWith(QLatin1String("The address book server cannot be reached (")));
}

TEST(DavClientFailures, AWebServerThatIsNoAddressBookServer) {
    DavServer web(DavServer::Kind::PlainHttp);
    ASSERT_TRUE(web.Start()) << web.Error();
    CCardDavClient c;
    const QString url = QString::fromStdString(web.BaseUrl()) + QStringLiteral("/");
    c.SetAccount(QUrl(url), QStringLiteral("u"), QStringLiteral("p"));
    CDavBlocking b(c);
    QList<DavAddressBook> books;
    const DavError e = b.Discover(books);
    EXPECT_EQ(e.kind, DavError::NotCardDav);
    EXPECT_EQ(e.Message(), url + QStringLiteral(" is not an address book (CardDAV) server."));
}

TEST(DavClientFailures, AnUntrustedCertificateIsRefused) {
    DavServer tls(DavServer::Kind::Radicale, DavServer::Transport::SelfSignedTls);
    ASSERT_TRUE(tls.Start()) << tls.Error();
    CCardDavClient c;
    c.SetAccount(QUrl(QString::fromStdString(tls.BaseUrl()) + QStringLiteral("/")),
                 QString::fromStdString(tls.User()), QString::fromStdString(tls.Password()));
    CDavBlocking b(c);
    QList<DavAddressBook> books;
    const DavError e = b.Discover(books);
    EXPECT_EQ(e.kind, DavError::TlsRefused) << e.Message().toStdString();
    EXPECT_TRUE(books.isEmpty());
}

} // namespace
