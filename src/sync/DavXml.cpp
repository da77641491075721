#include "DavXml.h"
#include <QXmlStreamReader>
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

// Reads one <response> element; the reader stands on its start.
void ReadResponse(QXmlStreamReader& r, DavResponse& resp) {
    // The properties of a propstat count only when its status is 2xx; the status comes
    // after the prop, so collect aside first.
    DavResponse pending;
    int propstatStatus = 0;
    QStringList path; // local names below <response>
    auto inProp = [&](const char* name) {
        return path.size() >= 3 && path[0] == QLatin1String("propstat") &&
               path[1] == QLatin1String("prop") && path[2] == QLatin1String(name);
    };
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = r.name().toString();
            const QString ns = r.namespaceUri().toString();
            path.append(name);
            if (path.size() == 1 && name == QLatin1String("propstat")) {
                pending = DavResponse();
                propstatStatus = 0;
            }
            if (path.size() == 1 && name == QLatin1String("href") && ns == kDav) {
                const QString href = r.readElementText().trimmed();
                if (resp.href.isEmpty())
                    resp.href = href;
                path.removeLast();
            } else if (path.size() == 1 && name == QLatin1String("status")) {
                resp.status = DavXml::ParseStatusLine(r.readElementText());
                path.removeLast();
            } else if (path.size() == 2 && path[0] == QLatin1String("propstat") &&
                       name == QLatin1String("status")) {
                propstatStatus = DavXml::ParseStatusLine(r.readElementText());
                path.removeLast();
            } else if (path.size() == 3 && inProp("getetag")) {
                pending.hasEtag = true;
                pending.etag = r.readElementText().trimmed();
                path.removeLast();
            } else if (path.size() == 3 && inProp("address-data") && ns == kCardDav) {
                pending.hasAddressData = true;
                pending.addressData = r.readElementText();
                path.removeLast();
            } else if (path.size() == 3 && inProp("displayname")) {
                pending.displayName = r.readElementText().trimmed();
                path.removeLast();
            } else if (path.size() == 3 && inProp("sync-token")) {
                pending.syncToken = r.readElementText().trimmed();
                path.removeLast();
            } else if (path.size() == 3 && inProp("getctag")) {
                pending.ctag = r.readElementText().trimmed();
                path.removeLast();
            } else if (path.size() == 4 && inProp("resourcetype")) {
                if (name == QLatin1String("collection") && ns == kDav)
                    pending.isCollection = true;
                if (name == QLatin1String("addressbook") && ns == kCardDav)
                    pending.isAddressBook = true;
            } else if (path.size() == 4 && name == QLatin1String("href") &&
                       (inProp("current-user-principal") || inProp("addressbook-home-set"))) {
                const QString href = r.readElementText().trimmed();
                if (inProp("current-user-principal"))
                    pending.principalHref = href;
                else
                    pending.homeSetHrefs.append(href);
                path.removeLast();
            } else if (inProp("supported-report-set") && path.size() >= 5 &&
                       path[3] == QLatin1String("supported-report")) {
                // <supported-report><report><X/></report></supported-report>, or <X/>
                // straight inside as some servers write it.
                if (path.size() == 5 && name != QLatin1String("report"))
                    pending.supportedReports.append(name);
                else if (path.size() == 6 && path[4] == QLatin1String("report"))
                    pending.supportedReports.append(name);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (path.isEmpty())
                return; // </response>
            if (path.size() == 1 && path[0] == QLatin1String("propstat") &&
                (propstatStatus == 0 || (propstatStatus >= 200 && propstatStatus < 300))) {
                // Merge what this successful propstat said.
                if (pending.hasEtag) {
                    resp.hasEtag = true;
                    resp.etag = pending.etag;
                }
                if (pending.hasAddressData) {
                    resp.hasAddressData = true;
                    resp.addressData = pending.addressData;
                }
                if (!pending.displayName.isEmpty())
                    resp.displayName = pending.displayName;
                resp.isCollection = resp.isCollection || pending.isCollection;
                resp.isAddressBook = resp.isAddressBook || pending.isAddressBook;
                if (!pending.principalHref.isEmpty())
                    resp.principalHref = pending.principalHref;
                resp.homeSetHrefs += pending.homeSetHrefs;
                if (!pending.syncToken.isEmpty())
                    resp.syncToken = pending.syncToken;
                if (!pending.ctag.isEmpty())
                    resp.ctag = pending.ctag;
                resp.supportedReports += pending.supportedReports;
            }
            path.removeLast();
        }
    }
}

} // namespace

namespace DavXml {

QByteArray PropfindPrincipal() {
    return Propfind({{kDav, QStringLiteral("current-user-principal")},
                     {kDav, QStringLiteral("resourcetype")}});
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
    out = DavMultistatus();
    QXmlStreamReader r(body);
    bool sawRoot = false;
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString name = r.name().toString();
        const bool dav = r.namespaceUri() == kDav;
        if (!sawRoot) {
            if (!dav || name != QLatin1String("multistatus")) {
                error = QStringLiteral("not a multistatus answer");
                return false;
            }
            sawRoot = true;
            continue;
        }
        if (dav && name == QLatin1String("response")) {
            DavResponse resp;
            ReadResponse(r, resp);
            out.responses.append(resp);
        } else if (dav && name == QLatin1String("sync-token")) {
            out.syncToken = r.readElementText().trimmed();
        } else {
            r.skipCurrentElement();
        }
    }
    if (r.hasError()) {
        error = r.errorString();
        return false;
    }
    if (!sawRoot) {
        error = QStringLiteral("empty answer");
        return false;
    }
    return true;
}

} // namespace DavXml
