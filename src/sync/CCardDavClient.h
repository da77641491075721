#pragma once
#include "DavError.h"
#include "DavXml.h"
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class DavMultistatusReader;
class QAuthenticator;
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
//
// A server is trusted with no more than its own address book: requests go only to the
// account's origin (scheme, host and port), the password only through Qt's authentication
// challenge from that origin, and a card the server names outside the address book is
// ignored (and counted) rather than read, written or removed.
class CCardDavClient : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxMultistatusBytes = 64LL * 1024 * 1024;
    static constexpr qint64 kMaxCardBytes = 16LL * 1024 * 1024;

    explicit CCardDavClient(QObject* parent = nullptr);
    ~CCardDavClient() override;

    void SetAccount(const QUrl& url, const QString& user, const QString& password);
    const QUrl& Url() const { return m_url; }
    // Per-request time limit for silence (default 30 s) and for the whole answer (120 s).
    void SetTimeout(int ms) { m_timeoutMs = ms; }
    void SetDeadline(int ms) { m_deadlineMs = ms; }
    // The largest answer accepted to a listing or report, and to one card's request.
    void SetLimits(qint64 multistatusBytes, qint64 cardBytes);
    // Adds the certificate authorities in a PEM file to those the system trusts. False
    // when the file holds none.
    bool SetCaFile(const QString& path);
    // Trusts the one server certificate with this SHA-256 fingerprint (hex, with or without
    // colons) though no authority vouches for it; empty trusts none. False when the text
    // is no fingerprint.
    bool SetTrustedCertificate(const QString& sha256);
    // The certificate of the last TLS refusal, for the user to judge.
    const QSslCertificate& RefusedCertificate() const { return m_refused; }
    // "AB:CD:..." in upper case: the form shown and stored.
    static QString Fingerprint(const QSslCertificate& certificate);
    // Subject, issuer, validity and fingerprint, one per line, for the user to judge.
    static QString Describe(const QSslCertificate& certificate);
    // How many distinct hrefs the server named outside the address book since SetAccount.
    int IgnoredHrefCount() const { return static_cast<int>(m_ignored.size()); }

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
    // Whether a URL is on the account's scheme, host and port.
    bool IsOwnOrigin(const QUrl& url) const;
    // Whether href names a card directly inside the address book at book.
    bool IsCardOf(const QUrl& book, const QString& href) const;

signals:
    // Emitted just before request number n (counting from 1) goes out.
    void requestStarting(int n);

public:
    struct HttpResult {
        int status = 0;
        QByteArray reason;
        QByteArray body;
        QByteArray etag;
        // A multistatus (207) answer, read as it came; the body is then empty.
        std::shared_ptr<DavMultistatusReader> multistatus;
    };
    using HttpDone = std::function<void(DavError, HttpResult)>;

private:
    void Send(const QByteArray& verb, const QUrl& url,
              const QList<QPair<QByteArray, QByteArray>>& headers, const QByteArray& body,
              HttpDone done, int redirectsLeft = 5);
    struct Pending;
    void Watch(QNetworkReply* reply, const std::shared_ptr<Pending>& pending);
    void Finished(QNetworkReply* reply, const std::shared_ptr<Pending>& pending);
    DavError TransportError(QNetworkReply* reply, const Pending& pending, int status);
    void Propfind(const QUrl& url, int depth, const QByteArray& body,
                  std::function<void(DavError, DavMultistatus)> done);
    void DiscoverPrincipal(const QUrl& principal,
                           std::function<void(DavError, QList<DavAddressBook>)> done);
    // The address books at home (depth 0) or in it (depth 1).
    void DiscoverBooks(const QUrl& home, int depth,
                       std::function<void(DavError, QList<DavAddressBook>)> done);
    void MultigetBatch(const QUrl& book, QStringList hrefs, int from, QList<DavCard> got,
                       std::function<void(DavError, QList<DavCard>)> done);
    void SyncStep(const QUrl& book, const QString& token, DavDelta sofar, int rounds,
                  std::function<void(DavError, DavDelta)> done);
    // Keeps a card href of the address book's answer (a relative one made an absolute
    // path); anything outside the book is counted and dropped.
    bool Accept(const QUrl& book, QString& href);
    QList<DavCard> Cards(const QUrl& book, const DavMultistatus& ms);
    // The address book a card request may touch: the one last listed, else the account's.
    DavError CheckCard(const QString& href) const;
    void OnAuthentication(QNetworkReply* reply, QAuthenticator* authenticator);
    DavError StatusError(const HttpResult& r, const QUrl& url) const;
    // A multistatus answer read to its end, or "Truncated".
    static DavError ReadMultistatus(const HttpResult& r, DavMultistatus& ms);
    // A multistatus (207) answer read whole; else the transport error, the status's error
    // or "Truncated".
    DavError Multistatus(const DavError& e, const HttpResult& r, const QUrl& url,
                         DavMultistatus& ms) const;

    QNetworkAccessManager* m_nam;
    QUrl m_url;
    QUrl m_book;
    QString m_user;
    QString m_password;
    QList<QSslCertificate> m_authorities;
    QByteArray m_trusted; // SHA-256 of the one certificate trusted by the user
    QSslCertificate m_refused;
    QSet<QString> m_ignored;
    qint64 m_maxMultistatus = kMaxMultistatusBytes;
    qint64 m_maxCard = kMaxCardBytes;
    int m_timeoutMs = 30000;
    int m_deadlineMs = 120000;
    int m_requests = 0;
    bool m_cancelled = false;
    bool m_connected = false;
};
