// The CardDAV client against real servers: discovery, listing, changes since a token,
// conditional writes, and each way a server or network can fail.
#include "CCardDavClient.h"
#include "CDavBlocking.h"
#include "DavServer.h"
#include "RawDav.h"
#include "RunCli.h"
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

QByteArray Card(const QString& uid, const QString& family, const QString& given,
                const QString& extra = {}) {
    QString c = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%3 %2\r\nN:%2;%3;;;\r\n")
                    .arg(uid, family, given);
    c += extra;
    c += QStringLiteral("END:VCARD\r\n");
    return c.toUtf8();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "AB:CD:..." as openssl computes it, not as the client does.
std::string OpensslFingerprint(const std::string& pem) {
    const std::string command = "/usr/bin/openssl x509 -noout -fingerprint -sha256 -in " + pem;
    FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr)
        return {};
    char line[256] = {};
    const bool got = std::fgets(line, sizeof line, out) != nullptr;
    ::pclose(out);
    std::string text = got ? line : "";
    text = text.substr(text.find('=') + 1);
    return text.substr(0, text.find_first_of("\r\n"));
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

// Hrefs, principals and removals that point outside the address book: none is used, each
// is counted, and neither the victims nor the other server ever see a request.
TEST(DavClientHostile, NothingOutsideTheAddressBookIsTouched) {
    DavServer hostile(DavServer::Kind::Hostile);
    ASSERT_TRUE(hostile.Start()) << hostile.Error();
    const QString base = QString::fromStdString(hostile.BaseUrl());
    const QString book = QStringLiteral("/dav/alice/contacts/");
    CCardDavClient c;
    c.SetAccount(QUrl(base + book), QString::fromStdString(hostile.User()),
                 QString::fromStdString(hostile.Password()));
    CDavBlocking b(c);
    const QStringList own{book + QStringLiteral("good.vcf"), book + QStringLiteral("rel.vcf")};
    DavListing listing;
    ASSERT_FALSE(b.ListCards(c.Url(), listing));
    QStringList hrefs;
    for (const auto& card : listing.cards)
        hrefs << card.href;
    EXPECT_EQ(hrefs, own);
    EXPECT_EQ(c.IgnoredHrefCount(), 7);
    DavDelta delta;
    ASSERT_FALSE(b.SyncCollection(c.Url(), {}, delta));
    ASSERT_EQ(delta.changed.size(), 2);
    EXPECT_TRUE(delta.removed.isEmpty());
    QList<DavCard> cards;
    ASSERT_FALSE(b.Multiget(c.Url(), own, cards)); // the answer has every hostile card too
    EXPECT_EQ(cards.size(), 2);
    const int port = std::stoi(ReadText(hostile.Dir() + "/other-port"));
    for (const QString& href : {QStringLiteral("../other-user/victim.vcf"),
                                QStringLiteral("/dav/other-user/contacts/x.vcf"),
                                QStringLiteral("http://127.0.0.1:%1/y.vcf").arg(port),
                                QStringLiteral("//127.0.0.1:%1/z.vcf").arg(port)}) {
        QString etag;
        EXPECT_EQ(b.Put(href, "BEGIN:VCARD\r\nEND:VCARD\r\n", {}, etag).kind,
                  DavError::OutsideBook);
        EXPECT_EQ(b.Delete(href, {}).kind, DavError::OutsideBook);
    }
    // Discovery that leads to another server stops before any request goes there.
    c.SetAccount(QUrl(base + QStringLiteral("/")), QStringLiteral("alice"),
                 QString::fromStdString(hostile.Password()));
    QList<DavAddressBook> books;
    EXPECT_EQ(b.Discover(books).kind, DavError::OtherServer);

    const std::string log = ReadText(hostile.Dir() + "/requests.log");
    EXPECT_EQ(log.find("other "), std::string::npos) << log;
    EXPECT_EQ(log.find("other-user"), std::string::npos) << log;
    EXPECT_EQ(log.find("PUT"), std::string::npos) << log;
}

// An answer that never ends, or drips, is cut off with its own message.
TEST(DavClientHostile, EndlessAndDrippingAnswersAreCutOff) {
    DavServer hostile(DavServer::Kind::Hostile);
    ASSERT_TRUE(hostile.Start()) << hostile.Error();
    const QString base = QString::fromStdString(hostile.BaseUrl());
    CCardDavClient c;
    c.SetAccount(QUrl(base + QStringLiteral("/endless/")), QString::fromStdString(hostile.User()),
                 QString::fromStdString(hostile.Password()));
    CDavBlocking b(c);
    DavListing listing;
    DavError e = b.ListCards(c.Url(), listing);
    EXPECT_EQ(e.kind, DavError::TooLarge);
    EXPECT_EQ(e.Message(), QStringLiteral("The server's answer is larger than Kinbook accepts "
                                          "(64 MiB). The sync stopped before using it."));
    EXPECT_TRUE(listing.cards.isEmpty());
    c.SetLimits(CCardDavClient::kMaxMultistatusBytes, 1024 * 1024);
    DavCard card;
    EXPECT_EQ(b.Get(QStringLiteral("/endless/big.vcf"), card).kind, DavError::TooLarge);

    c.SetAccount(QUrl(base + QStringLiteral("/drip/")), QString::fromStdString(hostile.User()),
                 QString::fromStdString(hostile.Password()));
    c.SetDeadline(2000);
    e = b.ListCards(c.Url(), listing);
    EXPECT_EQ(e.kind, DavError::TooSlow) << e.Message().toStdString();
    EXPECT_EQ(e.Message(),
              QStringLiteral("The server did not finish its answer within 2 seconds. "
                             "The sync stopped before using it; sync again to finish."));
}

TEST(DavClientAuth, ADigestOnlyServerTakesTheRightPassword) {
    DavServer digest(DavServer::Kind::XandikosDigest);
    ASSERT_TRUE(digest.Start()) << digest.Error();
    const QUrl book(QString::fromStdString(digest.BaseUrl() + digest.DefaultAddressBookPath()));
    CCardDavClient c;
    c.SetAccount(book, QString::fromStdString(digest.User()),
                 QString::fromStdString(digest.Password()));
    CDavBlocking b(c);
    QList<DavAddressBook> books;
    const DavError e = b.Discover(books);
    ASSERT_FALSE(e) << e.Message().toStdString();
    QString etag;
    ASSERT_FALSE(b.Put(book.path() + QStringLiteral("d1.vcf"),
                       Card(QStringLiteral("d1"), QStringLiteral("Digest"), QStringLiteral("Dee")),
                       {}, etag));
    DavListing listing;
    ASSERT_FALSE(b.ListCards(book, listing));
    EXPECT_EQ(listing.cards.size(), 1);
    c.SetAccount(book, QString::fromStdString(digest.User()), QStringLiteral("wrong"));
    EXPECT_EQ(b.ListCards(book, listing).kind, DavError::Unauthorized);
}

// A certificate no authority vouches for: refused with its fingerprint, used when the
// user pins that fingerprint or names its authority, refused for any other pin.
TEST(DavClientTls, AnUntrustedCertificateIsRefusedUnlessPinnedOrItsAuthorityGiven) {
    DavServer tls(DavServer::Kind::Radicale, DavServer::Transport::SelfSignedTls);
    ASSERT_TRUE(tls.Start()) << tls.Error();
    const std::string fingerprint = OpensslFingerprint(tls.CertificatePath());
    ASSERT_EQ(fingerprint.size(), 95u) << fingerprint;
    CCardDavClient c;
    const QUrl url(QString::fromStdString(tls.BaseUrl()) + QStringLiteral("/"));
    c.SetAccount(url, QString::fromStdString(tls.User()), QString::fromStdString(tls.Password()));
    CDavBlocking b(c);
    QList<DavAddressBook> books;
    DavError e = b.Discover(books);
    EXPECT_EQ(e.kind, DavError::TlsRefused) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().endsWith(QStringLiteral(" Its SHA-256 fingerprint is %1.")
                                         .arg(QString::fromStdString(fingerprint))));
    EXPECT_TRUE(
        CCardDavClient::Describe(c.RefusedCertificate())
            .startsWith(QStringLiteral("Subject: 127.0.0.1\nIssued by: 127.0.0.1\nValid from ")));
    EXPECT_TRUE(books.isEmpty());

    ASSERT_TRUE(c.SetTrustedCertificate(QString(64, QLatin1Char('a'))));
    EXPECT_EQ(b.Discover(books).kind, DavError::TlsRefused);
    ASSERT_TRUE(c.SetTrustedCertificate(QString::fromStdString(fingerprint).toLower()));
    e = b.Discover(books);
    EXPECT_FALSE(e) << e.Message().toStdString();
    EXPECT_FALSE(books.isEmpty());

    CCardDavClient withCa;
    withCa.SetAccount(url, QString::fromStdString(tls.User()),
                      QString::fromStdString(tls.Password()));
    ASSERT_TRUE(withCa.SetCaFile(QString::fromStdString(tls.CertificatePath())));
    CDavBlocking b2(withCa);
    e = b2.Discover(books);
    EXPECT_FALSE(e) << e.Message().toStdString();
}

TEST(DavClientTls, TheCommandLineTakesAPinOrAnAuthority) {
    ASSERT_TRUE(CliIsThere());
    DavServer tls(DavServer::Kind::Radicale, DavServer::Transport::SelfSignedTls);
    ASSERT_TRUE(tls.Start()) << tls.Error();
    TempDir dir;
    const std::string file = dir.File("book.kbk");
    ASSERT_EQ(RunCli({"new", file}).exitCode, 0);
    ::setenv("KINBOOK_PASSWORD", tls.Password().c_str(), 1);
    const std::string fingerprint = OpensslFingerprint(tls.CertificatePath());
    auto sync = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"sync",   file,
                                      "--url",  tls.BaseUrl() + tls.DefaultAddressBookPath(),
                                      "--user", tls.User()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    };
    CliRun r = sync({});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("--trust-certificate " + fingerprint + "."), std::string::npos) << r.err;
    EXPECT_EQ(sync({"--trust-certificate", std::string(64, '0')}).exitCode, 3);
    r = sync({"--trust-certificate", fingerprint});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = sync({"--ca-file", tls.CertificatePath()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ::unsetenv("KINBOOK_PASSWORD");
}

} // namespace
