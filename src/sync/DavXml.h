#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One <response> of a WebDAV multistatus answer, with the properties we ask for.
struct DavResponse {
    QString href;     // as the server wrote it (a path, percent-encoded)
    int status = 0;   // the response's own status (404 for a card removed), 0 when absent
    bool hasEtag = false;
    QString etag;
    bool hasAddressData = false;
    QString addressData;
    QString displayName;
    bool isCollection = false;
    bool isAddressBook = false;
    QString principalHref;
    QStringList homeSetHrefs;
    QString syncToken;
    QString ctag;
    QStringList supportedReports; // local names: "sync-collection", "addressbook-multiget"
};

struct DavMultistatus {
    QList<DavResponse> responses;
    QString syncToken; // the multistatus' own sync-token (sync-collection answers)
};

// The request bodies and the one reader of answers.
namespace DavXml {

QByteArray PropfindPrincipal();
QByteArray PropfindHomeSet();
QByteArray PropfindCollections();
QByteArray PropfindEtags();
QByteArray SyncCollection(const QString& token);
QByteArray Multiget(const QStringList& hrefs);
// An addressbook-query whose filter names no property: every card, with its data.
QByteArray QueryAll();

// Reads a multistatus document. False (error set) when it is not one or is cut off.
bool ParseMultistatus(const QByteArray& body, DavMultistatus& out, QString& error);

// "HTTP/1.1 404 Not Found" -> 404; 0 when it is not a status line.
int ParseStatusLine(const QString& line);

} // namespace DavXml
