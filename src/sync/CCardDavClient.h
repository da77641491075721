#pragma once
#include "DavError.h"
#include "DavXml.h"
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

struct DavAddressBook {
    QUrl url;
    QString displayName;
    bool supportsSyncCollection = false;
};

struct DavCardRef {
    QString href; // path on the server, as the server spells it
    QString etag;
};

struct DavCard {
    QString href;
    QString etag;
    QByteArray data; // the vCard exactly as the server sent it
};

// What changed on the server since a sync token.
struct DavDelta {
    QList<DavCardRef> changed;
    QStringList removed;
    QString token;
    bool tokenRejected = false; // the server no longer knows the token: compare ETags instead
};

// Every card of an address book with its ETag, and the collection's sync token if any.
struct DavListing {
    QList<DavCardRef> cards;
    QString syncToken;
};

// A CardDAV client over Qt Network: discovery, listing, changes since a sync token,
// fetching, and conditional writes. Every call is asynchronous and reports once through
// its callback, on this object's thread. Cancel makes the next request fail as cancelled;
// a request already on the wire finishes, so a write is never left half known.
class CCardDavClient : public QObject {
    Q_OBJECT
public:
    explicit CCardDavClient(QObject* parent = nullptr);
    ~CCardDavClient() override;

    void SetAccount(const QUrl& url, const QString& user, const QString& password);
    const QUrl& Url() const { return m_url; }
    // Per-request time limit for receiving data (default 30 s).
    void SetTimeout(int ms) { m_timeoutMs = ms; }

    // Finds the user's address books: the address itself when it is one, else through
    // /.well-known/carddav, current-user-principal and addressbook-home-set.
    void Discover(std::function<void(DavError, QList<DavAddressBook>)> done);
    void ListCards(const QUrl& book, std::function<void(DavError, DavListing)> done);
    void SyncCollection(const QUrl& book, const QString& token,
                        std::function<void(DavError, DavDelta)> done);
    void Multiget(const QUrl& book, const QStringList& hrefs,
                  std::function<void(DavError, QList<DavCard>)> done);
    // Every card of the address book with its data, in one addressbook-query. Some servers
    // look each href of a multiget up on its own, which costs as much as reading the whole
    // book: when most of it is wanted, this is the cheaper way. A server may answer with
    // part of the book only; what is missing can still be asked for with Multiget.
    void QueryAll(const QUrl& book, std::function<void(DavError, QList<DavCard>)> done);
    void Get(const QString& href, std::function<void(DavError, DavCard)> done);
    // Writes a card: with ifMatch when it replaces the version of that ETag, with
    // If-None-Match: * when ifMatch is empty (a new card). The new ETag, or empty when the
    // server did not give a strong one.
    void Put(const QString& href, const QByteArray& vcard, const QString& ifMatch,
             std::function<void(DavError, QString)> done);
    void Delete(const QString& href, const QString& ifMatch, std::function<void(DavError)> done);

    void Cancel() { m_cancelled = true; }
    void ResetCancel() { m_cancelled = false; }
    bool IsCancelled() const { return m_cancelled; }
    int RequestCount() const { return m_requests; }
    // Whether a request has succeeded since SetAccount: failures after that mean the
    // connection was lost rather than never there.
    bool HasConnected() const { return m_connected; }

    QUrl Resolve(const QString& href) const;

signals:
    // Emitted just before request number n (counting from 1) goes out.
    void requestStarting(int n);

public:
    struct HttpResult {
        int status = 0;
        QByteArray reason;
        QByteArray body;
        QByteArray etag;
    };
    using HttpDone = std::function<void(DavError, HttpResult)>;

private:
    void Send(const QByteArray& verb, const QUrl& url, const QList<QPair<QByteArray, QByteArray>>& headers,
              const QByteArray& body, HttpDone done, int redirectsLeft = 5);
    void Finished(QNetworkReply* reply, const QByteArray& verb, const QList<QPair<QByteArray, QByteArray>>& headers,
                  const QByteArray& body, const HttpDone& done, int redirectsLeft);
    void Propfind(const QUrl& url, int depth, const QByteArray& body,
                  std::function<void(DavError, DavMultistatus)> done);
    void DiscoverPrincipal(const QUrl& principal, std::function<void(DavError, QList<DavAddressBook>)> done);
    // The address books at home (depth 0) or in it (depth 1).
    void DiscoverBooks(const QUrl& home, int depth, std::function<void(DavError, QList<DavAddressBook>)> done);
    void MultigetBatch(const QUrl& book, QStringList hrefs, int from, QList<DavCard> got,
                       std::function<void(DavError, QList<DavCard>)> done);
    void SyncStep(const QUrl& book, const QString& token, DavDelta sofar, int rounds,
                  std::function<void(DavError, DavDelta)> done);
    DavError StatusError(const HttpResult& r, const QUrl& url) const;
    // The body of a multistatus answer read whole, or "Truncated".
    static DavError ReadMultistatus(const HttpResult& r, DavMultistatus& ms);
    // A multistatus (207) answer read whole; else the transport error, the status's error
    // or "Truncated".
    DavError Multistatus(const DavError& e, const HttpResult& r, const QUrl& url,
                         DavMultistatus& ms) const;

    QNetworkAccessManager* m_nam;
    QUrl m_url;
    QByteArray m_authorization;
    int m_timeoutMs = 30000;
    int m_requests = 0;
    bool m_cancelled = false;
    bool m_connected = false;
};
