#include "RawDav.h"
#include "DavServer.h"
#include <QAtomicInt>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>
#include <map>
#include <memory>

RawDav::RawDav(const DavServer& server) : m_server(server) {}

RawDav::Answer RawDav::Send(const QByteArray& verb, const QString& path, const QByteArray& body,
                            const QByteArray& contentType, const QByteArray& depth) {
    QNetworkAccessManager nam;
    QNetworkRequest request(QUrl(QString::fromStdString(m_server.BaseUrl()) + path));
    const QByteArray auth =
        QByteArray::fromStdString(m_server.User() + ":" + m_server.Password()).toBase64();
    request.setRawHeader("Authorization", "Basic " + auth);
    if (!contentType.isEmpty())
        request.setRawHeader("Content-Type", contentType);
    if (!depth.isEmpty())
        request.setRawHeader("Depth", depth);
    request.setTransferTimeout(20000);
    QNetworkReply* reply = nam.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    Answer a;
    a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    a.body = reply->readAll();
    a.etag = reply->rawHeader("ETag");
    delete reply;
    return a;
}

QString RawDav::MakeAddressBook(const QString& name) {
    const QString path = QString::fromStdString(m_server.HomePath()) + name + QLatin1Char('/');
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\">"
        "<D:set><D:prop><D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
        "<D:displayname>" + name.toUtf8() + "</D:displayname></D:prop></D:set></D:mkcol>";
    const Answer a = Send("MKCOL", path, body, "application/xml; charset=utf-8");
    return a.status == 201 ? path : QString();
}

QStringList RawDav::List(const QString& book) {
    const QByteArray body = "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop>"
                            "<d:getetag/></d:prop></d:propfind>";
    const Answer a = Send("PROPFIND", book, body, "application/xml", "1");
    QStringList hrefs;
    static const QRegularExpression re(QStringLiteral("<(?:[a-zA-Z0-9]+:)?href>([^<]+)</"));
    auto it = re.globalMatch(QString::fromUtf8(a.body));
    while (it.hasNext()) {
        const QString href = it.next().captured(1);
        if (!href.endsWith(QLatin1Char('/')))
            hrefs.append(href);
    }
    hrefs.sort();
    return hrefs;
}

DavServer& SharedServer(int kind) {
    static std::map<int, std::unique_ptr<DavServer>> servers;
    auto& s = servers[kind];
    if (!s)
        s = std::make_unique<DavServer>(static_cast<DavServer::Kind>(kind));
    if (!s->Running())
        s->Start();
    return *s;
}

QString UniqueBookName(const char* prefix) {
    static QAtomicInt counter;
    return QString::fromLatin1(prefix) + QString::number(++counter);
}
