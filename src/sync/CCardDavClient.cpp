#include "CCardDavClient.h"
#include "DavMultistatusReader.h"
#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <memory>

namespace {

using Headers = QList<QPair<QByteArray, QByteArray>>;

constexpr qint64 kReadBufferBytes = 1024 * 1024;

const QByteArray kXmlType = QByteArrayLiteral("application/xml; charset=utf-8");

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Two hrefs name the same resource when their decoded paths agree (servers differ in
// what they percent-encode and whether they write the host).
bool SameResource(const QUrl& a, const QUrl& b) {
    auto norm = [](const QUrl& u) {
        QString p = u.path(QUrl::FullyDecoded);
        if (!p.endsWith(QLatin1Char('/')))
            p += QLatin1Char('/');
        return p;
    };
    return norm(a) == norm(b);
}

// The cards of a multiget or query answer; a response without data is a card removed
// meanwhile (404), which the next sync sees.
QList<DavCard> CardsOf(const DavMultistatus& ms) {
    QList<DavCard> cards;
    for (const DavResponse& resp : ms.responses) {
        if (!resp.hasAddressData || resp.href.endsWith(QLatin1Char('/')))
            continue;
        // XML reading turned the card's CR LF into LF; vCard lines end in CR LF.
        QString text = resp.addressData;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        cards.append({resp.href, resp.etag, text.toUtf8()});
    }
    return cards;
}

} // namespace

struct CCardDavClient::Pending {
    QByteArray verb;
    QUrl url;
    Headers headers;
    QByteArray body;
    HttpDone done;
    int redirectsLeft = 0;
    qint64 limit = 0; // the most the answer may hold
    qint64 received = 0;
    bool streamed = false; // a multistatus answer is read as it arrives
    QByteArray answer;
    std::shared_ptr<DavMultistatusReader> multistatus;
    DavError stop; // why the client ended the request itself
    QSslCertificate certificate;

    // Takes what has arrived of the answer. False when it has passed its limit.
    bool Take(QNetworkReply* reply) {
        received += reply->bytesAvailable();
        if (received > limit)
            return false;
        if (!multistatus && streamed &&
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 207)
            multistatus = std::make_shared<DavMultistatusReader>();
        const QByteArray piece = reply->readAll();
        if (multistatus)
            multistatus->Feed(piece);
        else
            answer += piece;
        return true;
    }
    DavError TooLarge() const {
        return DavError::Make(DavError::TooLarge,
                              QStringLiteral("%1 MiB").arg(double(limit) / (1024 * 1024)));
    }
};

CCardDavClient::CCardDavClient(QObject* parent)
    : QObject(parent), m_nam(new QNetworkAccessManager(this)) {
    // Answers are never taken from a cache and never shared with another account.
    m_nam->setCookieJar(nullptr);
    connect(m_nam, &QNetworkAccessManager::authenticationRequired, this,
            &CCardDavClient::OnAuthentication);
}

CCardDavClient::~CCardDavClient() = default;

void CCardDavClient::SetAccount(const QUrl& url, const QString& user, const QString& password) {
    m_url = url;
    m_book = url;
    m_user = user;
    m_password = password;
    m_ignored.clear();
    m_connected = false;
    m_cancelled = false;
    // Credentials and connections of the account before stay with it.
    m_nam->clearAccessCache();
}

void CCardDavClient::SetLimits(qint64 multistatusBytes, qint64 cardBytes) {
    m_maxMultistatus = multistatusBytes;
    m_maxCard = cardBytes;
}

bool CCardDavClient::SetCaFile(const QString& path) {
    m_authorities =
        QSslCertificate::fromPath(path, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    m_nam->clearAccessCache();
    return !m_authorities.isEmpty();
}

bool CCardDavClient::SetTrustedCertificate(const QString& sha256) {
    QString hex = sha256;
    hex.remove(QLatin1Char(':'));
    const QByteArray digest = QByteArray::fromHex(hex.toLatin1());
    const bool valid = hex.size() == 64 && digest.toHex() == hex.toLower().toLatin1();
    m_trusted = valid ? digest : QByteArray();
    m_nam->clearAccessCache();
    return valid || sha256.isEmpty();
}

QString CCardDavClient::Fingerprint(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

QString CCardDavClient::Describe(const QSslCertificate& certificate) {
    return QStringLiteral(
               "Subject: %1\nIssued by: %2\nValid from %3 to %4\nSHA-256 fingerprint: %5")
        .arg(certificate.subjectDisplayName(), certificate.issuerDisplayName(),
             certificate.effectiveDate().toUTC().toString(Qt::ISODate),
             certificate.expiryDate().toUTC().toString(Qt::ISODate), Fingerprint(certificate));
}

QUrl CCardDavClient::Resolve(const QString& href) const {
    return m_url.resolved(QUrl(href, QUrl::TolerantMode));
}

bool CCardDavClient::IsOwnOrigin(const QUrl& url) const {
    const auto port = [](const QUrl& u) {
        return u.port(u.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443
                                                                                           : 80);
    };
    return url.isValid() && url.scheme().compare(m_url.scheme(), Qt::CaseInsensitive) == 0 &&
           url.host().compare(m_url.host(), Qt::CaseInsensitive) == 0 && port(url) == port(m_url);
}

bool CCardDavClient::IsCardOf(const QUrl& book, const QString& href) const {
    const QUrl url = book.resolved(QUrl(href, QUrl::TolerantMode));
    if (!IsOwnOrigin(url) || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return false;
    // Decoded on both sides, so an encoded slash or dot cannot step out of the book.
    QString dir = book.path(QUrl::FullyDecoded);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(dir))
        return false;
    const QString name = path.mid(dir.size());
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

bool CCardDavClient::Accept(const QUrl& book, QString& href) {
    if (!IsCardOf(book, href)) {
        m_ignored.insert(book.resolved(QUrl(href, QUrl::TolerantMode)).toString());
        return false;
    }
    // A path relative to the book becomes absolute, so it means the same wherever used.
    if (!href.startsWith(QLatin1Char('/')) && QUrl(href, QUrl::TolerantMode).scheme().isEmpty())
        href = book.resolved(QUrl(href, QUrl::TolerantMode)).path(QUrl::FullyEncoded);
    return true;
}

DavError CCardDavClient::CheckCard(const QString& href) const {
    if (IsCardOf(m_book, href))
        return {};
    return DavError::Make(DavError::OutsideBook, href);
}

QList<DavCard> CCardDavClient::Cards(const QUrl& book, const DavMultistatus& ms) {
    QList<DavCard> cards;
    for (DavCard& card : CardsOf(ms))
        if (Accept(book, card.href))
            cards.append(std::move(card));
    return cards;
}

void CCardDavClient::OnAuthentication(QNetworkReply* reply, QAuthenticator* authenticator) {
    // Once per request: asked again, the server refused them, and the 401 is the answer.
    const char* const asked = "kinbookCredentialsGiven";
    if (!IsOwnOrigin(reply->url()) || reply->property(asked).toBool())
        return;
    reply->setProperty(asked, true);
    authenticator->setUser(m_user);
    authenticator->setPassword(m_password);
}

void CCardDavClient::Send(const QByteArray& verb, const QUrl& url, const Headers& headers,
                          const QByteArray& body, HttpDone done, int redirectsLeft) {
    if (m_cancelled) {
        done(DavError::Make(DavError::Cancelled), {});
        return;
    }
    // Whatever the server names, the account's password and data go nowhere else.
    if (!IsOwnOrigin(url)) {
        done(DavError::Make(DavError::OtherServer,
                            url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                         QUrl::RemoveQuery | QUrl::RemoveFragment)
                                .toDisplayString()),
             {});
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(m_timeoutMs);
    if (!m_authorities.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(m_authorities);
        request.setSslConfiguration(tls);
    }
    request.setRawHeader("User-Agent", "Kinbook");
    for (const auto& h : headers)
        request.setRawHeader(h.first, h.second);
    auto pending = std::make_shared<Pending>();
    pending->verb = verb;
    pending->url = url;
    pending->headers = headers;
    pending->body = body;
    pending->done = std::move(done);
    pending->redirectsLeft = redirectsLeft;
    pending->streamed = verb == "PROPFIND" || verb == "REPORT";
    pending->limit = pending->streamed ? m_maxMultistatus : m_maxCard;
    emit requestStarting(++m_requests);
    Watch(m_nam->sendCustomRequest(request, verb, body), pending);
}

void CCardDavClient::Watch(QNetworkReply* reply, const std::shared_ptr<Pending>& pending) {
    const auto stop = [reply, pending](DavError why) {
        if (!pending->stop) {
            pending->stop = std::move(why);
            reply->abort();
        }
    };
    // Qt stops reading from the network while this much waits unread, so no more than
    // the limit and this is ever held.
    reply->setReadBufferSize(kReadBufferBytes);
    connect(reply, &QNetworkReply::readyRead, this, [reply, pending, stop] {
        if (!pending->stop && !pending->Take(reply))
            stop(pending->TooLarge());
    });
    connect(reply, &QNetworkReply::sslErrors, this,
            [this, reply, pending](const QList<QSslError>& errors) {
                pending->certificate = reply->sslConfiguration().peerCertificate();
                if (pending->certificate.isNull() && !errors.isEmpty())
                    pending->certificate = errors.first().certificate();
                if (!m_trusted.isEmpty() &&
                    pending->certificate.digest(QCryptographicHash::Sha256) == m_trusted)
                    reply->ignoreSslErrors();
            });
    // Silence has its own limit; this one holds a server that drips its answer.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [this, stop] {
        stop(DavError::Make(DavError::TooSlow, QString::number(m_deadlineMs / 1000.0)));
    });
    deadline->start(m_deadlineMs);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, pending] { Finished(reply, pending); });
}

DavError CCardDavClient::TransportError(QNetworkReply* reply, const Pending& pending, int status) {
    switch (reply->error()) {
    case QNetworkReply::SslHandshakeFailedError: {
        m_refused = pending.certificate;
        DavError e = DavError::Make(DavError::TlsRefused, reply->errorString());
        if (!m_refused.isNull())
            e.fingerprint = Fingerprint(m_refused);
        return e;
    }
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer timeout aborts this way
        return DavError::Make(DavError::Timeout, reply->errorString());
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProtocolFailure:
        // Headers were already here: the answer itself was cut off.
        return DavError::Make(status != 0   ? DavError::Truncated
                              : m_connected ? DavError::ConnectionLost
                                            : DavError::Unreachable,
                              reply->errorString());
    default:
        return DavError::Make(m_connected ? DavError::ConnectionLost : DavError::Unreachable,
                              reply->errorString());
    }
}

void CCardDavClient::Finished(QNetworkReply* reply, const std::shared_ptr<Pending>& pending) {
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> guard(
        reply, [](QNetworkReply* r) { r->deleteLater(); });
    if (pending->stop) {
        pending->done(pending->stop, {});
        return;
    }
    HttpResult result;
    const QVariant statusAttr = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.status = statusAttr.isValid() ? statusAttr.toInt() : 0;
    result.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    if (!pending->Take(reply)) {
        pending->done(pending->TooLarge(), {});
        return;
    }
    result.body = std::move(pending->answer);
    result.multistatus = pending->multistatus;
    result.etag = reply->rawHeader("ETag");
    const auto err = reply->error();
    if (err != QNetworkReply::NoError && (err < 200 || err == QNetworkReply::ProtocolFailure ||
                                          err == QNetworkReply::UnknownNetworkError)) {
        pending->done(TransportError(reply, *pending, result.status), result);
        return;
    }
    if (result.status == 0) {
        pending->done(DavError::Make(DavError::Unreachable, reply->errorString()), result);
        return;
    }
    m_connected = true;
    if (IsRedirect(result.status)) {
        const QByteArray location = reply->rawHeader("Location");
        if (location.isEmpty() || pending->redirectsLeft <= 0) {
            pending->done(DavError::Make(DavError::NotCardDav, m_url.toDisplayString()), result);
            return;
        }
        // Send refuses a target on another server.
        const QUrl target = reply->url().resolved(QUrl::fromEncoded(location));
        Send(pending->verb, target, pending->headers, pending->body, pending->done,
             pending->redirectsLeft - 1);
        return;
    }
    pending->done(DavError(), result);
}

DavError CCardDavClient::ReadMultistatus(const HttpResult& r, DavMultistatus& ms) {
    QString why;
    const bool read =
        r.multistatus ? r.multistatus->Finish(ms, why) : DavXml::ParseMultistatus(r.body, ms, why);
    if (!read)
        return DavError::Make(DavError::Truncated, why);
    return {};
}

DavError CCardDavClient::Multistatus(const DavError& e, const HttpResult& r, const QUrl& url,
                                     DavMultistatus& ms) const {
    if (e)
        return e;
    if (r.status != 207)
        return StatusError(r, url);
    return ReadMultistatus(r, ms);
}

DavError CCardDavClient::StatusError(const HttpResult& r, const QUrl& url) const {
    switch (r.status) {
    case 401:
        return DavError::Make(DavError::Unauthorized, {}, r.status);
    case 404:
        return DavError::Make(DavError::NotFound, url.path(), r.status);
    case 412:
        return DavError::Make(DavError::PreconditionFailed, {}, r.status);
    case 507:
        return DavError::Make(DavError::InsufficientStorage, {}, r.status);
    default:
        return DavError::Make(
            DavError::Http,
            QString::number(r.status) + QLatin1Char(' ') + QString::fromUtf8(r.reason), r.status);
    }
}

void CCardDavClient::Propfind(const QUrl& url, int depth, const QByteArray& body,
                              std::function<void(DavError, DavMultistatus)> done) {
    Send("PROPFIND", url, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXmlType}}, body,
         [this, url, done = std::move(done)](DavError e, HttpResult r) {
             if (e) {
                 done(e, {});
                 return;
             }
             if (r.status == 401 || r.status == 507) {
                 done(StatusError(r, url), {});
                 return;
             }
             if (r.status != 207) {
                 // A web server that is no WebDAV server answers 200, 405 or 501 here.
                 if (r.status == 404)
                     done(StatusError(r, url), {});
                 else
                     done(DavError::Make(DavError::NotCardDav, url.toDisplayString(), r.status),
                          {});
                 return;
             }
             DavMultistatus ms;
             if (const DavError failed = ReadMultistatus(r, ms)) {
                 done(failed, {});
                 return;
             }
             done({}, ms);
         });
}

void CCardDavClient::Discover(std::function<void(DavError, QList<DavAddressBook>)> done) {
    // First: is the address itself an address book, or does it name the principal?
    Propfind(
        m_url, 0, DavXml::PropfindPrincipal(),
        [this, done = std::move(done)](DavError e, DavMultistatus ms) mutable {
            if (e && e.kind != DavError::NotCardDav && e.kind != DavError::NotFound) {
                done(e, {});
                return;
            }
            if (!e && !ms.responses.isEmpty()) {
                const DavResponse& r = ms.responses.first();
                if (r.isAddressBook) {
                    // Its own properties only: a listing of its cards would cost the
                    // server a pass over the whole book.
                    DiscoverBooks(m_url, 0, [this, done](DavError e2, QList<DavAddressBook> books) {
                        // Keep only the address the user gave, with its name.
                        QList<DavAddressBook> own;
                        for (const auto& b : books)
                            if (SameResource(b.url, m_url))
                                own.append(b);
                        done(e2, own);
                    });
                    return;
                }
                if (!r.principalHref.isEmpty()) {
                    DiscoverPrincipal(Resolve(r.principalHref), done);
                    return;
                }
            }
            // Then the well-known address on the same server.
            const QUrl wellKnown = m_url.resolved(QUrl(QStringLiteral("/.well-known/carddav")));
            Propfind(
                wellKnown, 0, DavXml::PropfindPrincipal(),
                [this, done](DavError e2, DavMultistatus ms2) {
                    if (e2) {
                        if (e2.kind == DavError::NotFound || e2.kind == DavError::NotCardDav)
                            e2 = DavError::Make(DavError::NotCardDav, m_url.toDisplayString());
                        done(e2, {});
                        return;
                    }
                    if (ms2.responses.isEmpty() || ms2.responses.first().principalHref.isEmpty()) {
                        done(DavError::Make(DavError::NotCardDav, m_url.toDisplayString()), {});
                        return;
                    }
                    DiscoverPrincipal(Resolve(ms2.responses.first().principalHref), done);
                });
        });
}

void CCardDavClient::DiscoverPrincipal(const QUrl& principal,
                                       std::function<void(DavError, QList<DavAddressBook>)> done) {
    Propfind(principal, 0, DavXml::PropfindHomeSet(),
             [this, done = std::move(done)](DavError e, DavMultistatus ms) {
                 if (e) {
                     done(e, {});
                     return;
                 }
                 if (ms.responses.isEmpty() || ms.responses.first().homeSetHrefs.isEmpty()) {
                     done(DavError::Make(DavError::NotCardDav, m_url.toDisplayString()), {});
                     return;
                 }
                 DiscoverBooks(Resolve(ms.responses.first().homeSetHrefs.first()), 1, done);
             });
}

void CCardDavClient::DiscoverBooks(const QUrl& home, int depth,
                                   std::function<void(DavError, QList<DavAddressBook>)> done) {
    Propfind(home, depth, DavXml::PropfindCollections(),
             [this, done = std::move(done)](DavError e, DavMultistatus ms) {
                 if (e) {
                     done(e, {});
                     return;
                 }
                 QList<DavAddressBook> books;
                 for (const DavResponse& r : ms.responses) {
                     if (!r.isAddressBook)
                         continue;
                     DavAddressBook b;
                     b.url = Resolve(r.href);
                     b.displayName = r.displayName;
                     b.supportsSyncCollection =
                         r.supportedReports.contains(QStringLiteral("sync-collection")) ||
                         !r.syncToken.isEmpty();
                     books.append(b);
                 }
                 done({}, books);
             });
}

void CCardDavClient::ListCards(const QUrl& book, std::function<void(DavError, DavListing)> done) {
    m_book = book;
    Propfind(book, 1, DavXml::PropfindEtags(),
             [book, done = std::move(done), this](DavError e, DavMultistatus ms) {
                 if (e) {
                     done(e, {});
                     return;
                 }
                 DavListing listing;
                 for (DavResponse r : ms.responses) {
                     if (SameResource(Resolve(r.href), book)) {
                         listing.syncToken = r.syncToken;
                         continue;
                     }
                     if (r.isCollection || !r.hasEtag || r.href.endsWith(QLatin1Char('/')) ||
                         !Accept(book, r.href))
                         continue;
                     listing.cards.append({r.href, r.etag});
                 }
                 done({}, listing);
             });
}

void CCardDavClient::SyncCollection(const QUrl& book, const QString& token,
                                    std::function<void(DavError, DavDelta)> done) {
    m_book = book;
    SyncStep(book, token, {}, 0, std::move(done));
}

void CCardDavClient::SyncStep(const QUrl& book, const QString& token, DavDelta sofar, int rounds,
                              std::function<void(DavError, DavDelta)> done) {
    Send("REPORT", book, {{"Depth", "0"}, {"Content-Type", kXmlType}},
         DavXml::SyncCollection(token),
         [this, book, token, sofar, rounds, done = std::move(done)](DavError e,
                                                                    HttpResult r) mutable {
             if (e) {
                 done(e, {});
                 return;
             }
             // An unknown or expired token: 403/409 with valid-sync-token, or 400 from
             // servers that cannot tell.
             if (r.status == 403 || r.status == 409 || r.status == 400 ||
                 (r.status == 412 && r.body.contains("valid-sync-token"))) {
                 DavDelta d;
                 d.tokenRejected = true;
                 done({}, d);
                 return;
             }
             // xandikos fails with 500 on a token it does not know.
             if (r.status == 501 || r.status == 405 || (r.status == 500 && !token.isEmpty())) {
                 DavDelta d;
                 d.tokenRejected = true; // no sync-collection here at all
                 done({}, d);
                 return;
             }
             if (r.status != 207) {
                 done(StatusError(r, book), {});
                 return;
             }
             DavMultistatus ms;
             if (const DavError failed = ReadMultistatus(r, ms)) {
                 done(failed, {});
                 return;
             }
             bool more = false;
             for (DavResponse resp : ms.responses) {
                 if (SameResource(Resolve(resp.href), book)) {
                     more = more || resp.status == 507; // the server sends the rest later
                     continue;
                 }
                 if (resp.href.endsWith(QLatin1Char('/')) || !Accept(book, resp.href))
                     continue;
                 if (resp.status == 404) {
                     sofar.removed.append(resp.href);
                     continue;
                 }
                 if (!resp.hasEtag)
                     continue;
                 sofar.changed.append({resp.href, resp.etag});
             }
             sofar.token = ms.syncToken;
             if (more && rounds < 1000 && !ms.syncToken.isEmpty()) {
                 SyncStep(book, ms.syncToken, sofar, rounds + 1, std::move(done));
                 return;
             }
             done({}, sofar);
         });
}

void CCardDavClient::Multiget(const QUrl& book, const QStringList& hrefs,
                              std::function<void(DavError, QList<DavCard>)> done) {
    m_book = book;
    MultigetBatch(book, hrefs, 0, {}, std::move(done));
}

void CCardDavClient::MultigetBatch(const QUrl& book, QStringList hrefs, int from,
                                   QList<DavCard> got,
                                   std::function<void(DavError, QList<DavCard>)> done) {
    constexpr int kBatch = 200;
    if (from >= hrefs.size()) {
        done({}, got);
        return;
    }
    const QStringList batch = hrefs.mid(from, kBatch);
    Send("REPORT", book, {{"Depth", "1"}, {"Content-Type", kXmlType}}, DavXml::Multiget(batch),
         [this, book, hrefs, from, got, done = std::move(done)](DavError e, HttpResult r) mutable {
             DavMultistatus ms;
             if (const DavError failed = Multistatus(e, r, book, ms)) {
                 done(failed, {});
                 return;
             }
             got.append(Cards(book, ms));
             MultigetBatch(book, hrefs, from + kBatch, got, std::move(done));
         });
}

void CCardDavClient::QueryAll(const QUrl& book,
                              std::function<void(DavError, QList<DavCard>)> done) {
    m_book = book;
    Send("REPORT", book, {{"Depth", "1"}, {"Content-Type", kXmlType}}, DavXml::QueryAll(),
         [this, book, done = std::move(done)](DavError e, HttpResult r) {
             DavMultistatus ms;
             if (const DavError failed = Multistatus(e, r, book, ms)) {
                 done(failed, {});
                 return;
             }
             done({}, Cards(book, ms));
         });
}

void CCardDavClient::Get(const QString& href, std::function<void(DavError, DavCard)> done) {
    if (const DavError outside = CheckCard(href)) {
        done(outside, {});
        return;
    }
    const QUrl url = m_book.resolved(QUrl(href, QUrl::TolerantMode));
    Send("GET", url, {{"Accept", "text/vcard"}}, {},
         [this, href, url, done = std::move(done)](DavError e, HttpResult r) {
             if (e) {
                 done(e, {});
                 return;
             }
             if (r.status != 200) {
                 done(StatusError(r, url), {});
                 return;
             }
             done({}, {href, QString::fromUtf8(r.etag), r.body});
         });
}

void CCardDavClient::Put(const QString& href, const QByteArray& vcard, const QString& ifMatch,
                         std::function<void(DavError, QString)> done) {
    if (const DavError outside = CheckCard(href)) {
        done(outside, {});
        return;
    }
    const QUrl url = m_book.resolved(QUrl(href, QUrl::TolerantMode));
    Headers headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), ifMatch.toUtf8()));
    Send("PUT", url, headers, vcard, [this, url, done = std::move(done)](DavError e, HttpResult r) {
        if (e) {
            done(e, {});
            return;
        }
        if (r.status != 200 && r.status != 201 && r.status != 204) {
            done(StatusError(r, url), {});
            return;
        }
        // A weak ETag says nothing about the exact bytes: ask again later.
        const QString etag = QString::fromUtf8(r.etag);
        done({}, etag.startsWith(QLatin1String("W/")) ? QString() : etag);
    });
}

void CCardDavClient::Delete(const QString& href, const QString& ifMatch,
                            std::function<void(DavError)> done) {
    if (const DavError outside = CheckCard(href)) {
        done(outside);
        return;
    }
    const QUrl url = m_book.resolved(QUrl(href, QUrl::TolerantMode));
    Headers headers;
    if (!ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-Match"), ifMatch.toUtf8()));
    Send("DELETE", url, headers, {}, [this, url, done = std::move(done)](DavError e, HttpResult r) {
        if (e) {
            done(e);
            return;
        }
        if (r.status == 404 || r.status == 410 || (r.status >= 200 && r.status < 300)) {
            done({}); // gone either way
            return;
        }
        done(StatusError(r, url));
    });
}
