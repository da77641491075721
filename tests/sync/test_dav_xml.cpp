// The multistatus reader on answers as servers write them, and on answers cut short.
#include "DavMultistatusReader.h"
#include "DavXml.h"
#include <gtest/gtest.h>

namespace {

const QByteArray kSyncAnswer =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<multistatus xmlns=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
    "<response><href>/alice/book/a.vcf</href><propstat><prop><getetag>\"e1\"</getetag></prop>"
    "<status>HTTP/1.1 200 OK</status></propstat></response>"
    "<response><href>/alice/book/b%20c.vcf</href><status>HTTP/1.1 404 Not Found</status></response>"
    "<response><href>/alice/book/d.vcf</href><propstat><prop><getetag>\"e4\"</getetag>"
    "<CR:address-data>BEGIN:VCARD&#13;\nEND:VCARD&#13;\n</CR:address-data></prop>"
    "<status>HTTP/1.1 200 OK</status></propstat>"
    "<propstat><prop><displayname/></prop><status>HTTP/1.1 404 Not Found</status></propstat></response>"
    "<sync-token>http://example/ns/sync/42</sync-token></multistatus>";

TEST(DavXml, ReadsResponsesTokensAndCardData) {
    DavMultistatus ms;
    QString error;
    ASSERT_TRUE(DavXml::ParseMultistatus(kSyncAnswer, ms, error)) << error.toStdString();
    ASSERT_EQ(ms.responses.size(), 3);
    EXPECT_EQ(ms.syncToken, QStringLiteral("http://example/ns/sync/42"));
    EXPECT_EQ(ms.responses[0].etag, QStringLiteral("\"e1\""));
    EXPECT_EQ(ms.responses[1].status, 404);
    EXPECT_EQ(ms.responses[1].href, QStringLiteral("/alice/book/b%20c.vcf"));
    EXPECT_TRUE(ms.responses[2].hasAddressData);
    // Character references keep the card's CR LF line ends.
    EXPECT_EQ(ms.responses[2].addressData, QStringLiteral("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    // A failed propstat adds nothing.
    EXPECT_TRUE(ms.responses[2].displayName.isEmpty());
}

TEST(DavXml, AnAnswerReadByteByByteReadsAsWhole) {
    DavMultistatusReader reader;
    for (const char c : kSyncAnswer)
        reader.Feed(QByteArray(1, c));
    DavMultistatus ms;
    QString error;
    ASSERT_TRUE(reader.Finish(ms, error)) << error.toStdString();
    ASSERT_EQ(ms.responses.size(), 3);
    EXPECT_EQ(ms.responses[1].href, QStringLiteral("/alice/book/b%20c.vcf"));
    EXPECT_EQ(ms.responses[2].addressData, QStringLiteral("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    EXPECT_EQ(ms.syncToken, QStringLiteral("http://example/ns/sync/42"));
}

TEST(DavXml, ReadsDiscoveryProperties) {
    const QByteArray answer =
        "<ns0:multistatus xmlns:ns0=\"DAV:\" xmlns:ns3=\"urn:ietf:params:xml:ns:carddav\">"
        "<ns0:response><ns0:href>/u/</ns0:href><ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status>"
        "<ns0:prop><ns0:current-user-principal><ns0:href>/u/</ns0:href></ns0:current-user-principal>"
        "<ns3:addressbook-home-set><ns0:href>/u/contacts/</ns0:href></ns3:addressbook-home-set>"
        "<ns0:resourcetype><ns0:collection /><ns3:addressbook /></ns0:resourcetype>"
        "<ns0:supported-report-set><ns0:supported-report><ns0:report><ns0:sync-collection/>"
        "</ns0:report></ns0:supported-report><ns0:supported-report><ns3:addressbook-multiget/>"
        "</ns0:supported-report></ns0:supported-report-set>"
        "<ns0:displayname>Family &amp; friends</ns0:displayname></ns0:prop></ns0:propstat></ns0:response>"
        "</ns0:multistatus>";
    DavMultistatus ms;
    QString error;
    ASSERT_TRUE(DavXml::ParseMultistatus(answer, ms, error)) << error.toStdString();
    ASSERT_EQ(ms.responses.size(), 1);
    const DavResponse& r = ms.responses[0];
    EXPECT_EQ(r.principalHref, QStringLiteral("/u/"));
    EXPECT_EQ(r.homeSetHrefs, QStringList{QStringLiteral("/u/contacts/")});
    EXPECT_TRUE(r.isCollection);
    EXPECT_TRUE(r.isAddressBook);
    EXPECT_EQ(r.displayName, QStringLiteral("Family & friends"));
    EXPECT_EQ(r.supportedReports,
              (QStringList{QStringLiteral("sync-collection"), QStringLiteral("addressbook-multiget")}));
}

TEST(DavXml, EveryAnswerCutShortIsRefused) {
    // Wherever the connection drops, a partial answer must never pass for a whole one
    // (it would make the sync believe cards were removed or unchanged).
    for (int cut = 0; cut < kSyncAnswer.size(); ++cut) {
        DavMultistatus ms;
        QString error;
        EXPECT_FALSE(DavXml::ParseMultistatus(kSyncAnswer.left(cut), ms, error)) << "cut at " << cut;
    }
}

TEST(DavXml, ThingsThatAreNoMultistatus) {
    for (const char* body : {"<html><body>It works</body></html>", "", "not xml at all",
                             "<multistatus xmlns=\"urn:other\"></multistatus>"}) {
        DavMultistatus ms;
        QString error;
        EXPECT_FALSE(DavXml::ParseMultistatus(body, ms, error)) << body;
    }
}

TEST(DavXml, StatusLines) {
    EXPECT_EQ(DavXml::ParseStatusLine(QStringLiteral("HTTP/1.1 404 Not Found")), 404);
    EXPECT_EQ(DavXml::ParseStatusLine(QStringLiteral(" HTTP/1.1 507 Insufficient Storage ")), 507);
    EXPECT_EQ(DavXml::ParseStatusLine(QStringLiteral("404")), 0);
    EXPECT_EQ(DavXml::ParseStatusLine(QStringLiteral("HTTP/1.1 abc")), 0);
}

TEST(DavXml, RequestsAreWellFormedAndEscapeHrefs) {
    const QByteArray body = DavXml::Multiget({QStringLiteral("/a/b&c.vcf"), QStringLiteral("/a/<d>.vcf")});
    EXPECT_TRUE(body.contains("/a/b&amp;c.vcf"));
    EXPECT_TRUE(body.contains("/a/&lt;d&gt;.vcf"));
    EXPECT_TRUE(DavXml::SyncCollection(QString()).contains("sync-token"));
}

} // namespace
