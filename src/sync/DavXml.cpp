#include "DavXml.h"
#include "DavMultistatusReader.h"
#include <QXmlStreamWriter>
#include <functional>

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalServer = QStringLiteral("http://calendarserver.org/ns/");

QByteArray Document(const std::function<void(QXmlStreamWriter&)>& body) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kDav, QStringLiteral("d"));
    w.writeNamespace(kCardDav, QStringLiteral("card"));
    body(w);
    w.writeEndDocument();
    return out;
}

QByteArray Propfind(const QList<QPair<QString, QString>>& props) {
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(kDav, QStringLiteral("propfind"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        for (const auto& p : props)
            w.writeEmptyElement(p.first, p.second);
        w.writeEndElement();
        w.writeEndElement();
    });
}

} // namespace

namespace DavXml {

QByteArray PropfindPrincipal() {
    return Propfind(
        {{kDav, QStringLiteral("current-user-principal")}, {kDav, QStringLiteral("resourcetype")}});
}

QByteArray PropfindHomeSet() {
    return Propfind({{kCardDav, QStringLiteral("addressbook-home-set")}});
}

QByteArray PropfindCollections() {
    return Propfind({{kDav, QStringLiteral("resourcetype")},
                     {kDav, QStringLiteral("displayname")},
                     {kDav, QStringLiteral("sync-token")},
                     {kCalServer, QStringLiteral("getctag")},
                     {kDav, QStringLiteral("supported-report-set")}});
}

QByteArray PropfindEtags() {
    return Propfind({{kDav, QStringLiteral("getetag")}, {kDav, QStringLiteral("resourcetype")}});
}

QByteArray SyncCollection(const QString& token) {
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(kDav, QStringLiteral("sync-collection"));
        w.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        w.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEndElement();
        w.writeEndElement();
    });
}

QByteArray Multiget(const QStringList& hrefs) {
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(kCardDav, QStringLiteral("addressbook-multiget"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        w.writeEndElement();
        for (const QString& href : hrefs)
            w.writeTextElement(kDav, QStringLiteral("href"), href);
        w.writeEndElement();
    });
}

QByteArray QueryAll() {
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(kCardDav, QStringLiteral("addressbook-query"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
        w.writeEndElement();
        w.writeEmptyElement(kCardDav, QStringLiteral("filter"));
        w.writeEndElement();
    });
}

int ParseStatusLine(const QString& line) {
    const QStringList parts = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() < 2 || !parts[0].startsWith(QLatin1String("HTTP/")))
        return 0;
    bool ok = false;
    const int code = parts[1].toInt(&ok);
    return ok && code >= 100 && code <= 999 ? code : 0;
}

bool ParseMultistatus(const QByteArray& body, DavMultistatus& out, QString& error) {
    DavMultistatusReader reader;
    reader.Feed(body);
    return reader.Finish(out, error);
}

} // namespace DavXml
