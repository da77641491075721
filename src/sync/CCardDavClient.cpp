#include "CCardDavClient.h"
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <memory>

namespace {

using Headers = QList<QPair<QByteArray, QByteArray>>;

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

CCardDavClient::CCardDavClient(QObject* parent)
    : QObject(parent), m_nam(new QNetworkAccessManager(this)) {
    // Answers are never taken from a cache and never shared with another account.
    m_nam->setCookieJar(nullptr);
}

CCardDavClient::~CCardDavClient() = default;

void CCardDavClient::SetAccount(const QUrl& url, const QString& user, const QString& password) {
    m_url = url;
    m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    m_connected = false;
    m_cancelled = false;
}

QUrl CCardDavClient::Resolve(const QString& href) const {
    return m_url.resolved(QUrl(href, QUrl::TolerantMode));
}

void CCardDavClient::Send(const QByteArray& verb, const QUrl& url, const Headers& headers,
                          const QByteArray& body, HttpDone done, int redirectsLeft) {
    if (m_cancelled) {
        done(DavError::Make(DavError::Cancelled), {});
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(m_timeoutMs);
    request.setRawHeader("Authorization", m_authorization);
    request.setRawHeader("User-Agent", "Kinbook");
    for (const auto& h : headers)
        request.setRawHeader(h.first, h.second);
    emit requestStarting(++m_requests);
    QNetworkReply* reply = m_nam->sendCustomRequest(request, verb, body);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, verb, headers, body, done = std::move(done), redirectsLeft]() {
                Finished(reply, verb, headers, body, done, redirectsLeft);
            });
}

void CCardDavClient::Finished(QNetworkReply* reply, const QByteArray& verb, const Headers& headers,
                              const QByteArray& body, const HttpDone& done, int redirectsLeft) {
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> guard(
        reply, [](QNetworkReply* r) { r->deleteLater(); });
    HttpResult result;
    const QVariant statusAttr = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.status = statusAttr.isValid() ? statusAttr.toInt() : 0;
    result.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    result.body = reply->readAll();
    result.etag = reply->rawHeader("ETag");
    const auto err = reply->error();
    const QString host = reply->url().host();

    if (err != QNetworkReply::NoError && (err < 200 || err == QNetworkReply::ProtocolFailure ||
                                          err == QNetworkReply::UnknownNetworkError)) {
        DavError e;
        switch (err) {
        case QNetworkReply::SslHandshakeFailedError:
            e = DavError::Make(DavError::TlsRefused, reply->errorString());
            break;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError: // the transfer timeout aborts this way
            e = DavError::Make(DavError::Timeout, reply->errorString());
            break;
        case QNetworkReply::RemoteHostClosedError:
        case QNetworkReply::ProtocolFailure:
            // Headers were already here: the answer itself was cut off.
            e = DavError::Make(result.status != 0 ? DavError::Truncated
                               : m_connected      ? DavError::ConnectionLost
                                                  : DavError::Unreachable,
                               reply->errorString());
            break;
        default:
            e = DavError::Make(m_connected ? DavError::ConnectionLost : DavError::Unreachable,
                               reply->errorString());
        }
        done(e, result);
        return;
    }
    if (result.status == 0) {
        done(DavError::Make(DavError::Unreachable, reply->errorString()), result);
        return;
    }
    m_connected = true;
    if (IsRedirect(result.status)) {
        const QByteArray location = reply->rawHeader("Location");
        if (location.isEmpty() || redirectsLeft <= 0) {
            done(DavError::Make(DavError::NotCardDav, m_url.toDisplayString()), result);
            return;
        }
        const QUrl target = reply->url().resolved(QUrl::fromEncoded(location));
        // The password only ever goes back to the server it was meant for.
        if (target.scheme() != m_url.scheme() || target.host() != m_url.host() ||
            target.port() != m_url.port()) {
            done(DavError::Make(DavError::NotCardDav, m_url.toDisplayString()), result);
            return;
        }
        Send(verb, target, headers, body, done, redirectsLeft - 1);
        return;
    }
    done(DavError(), result);
}

DavError CCardDavClient::ReadMultistatus(const HttpResult& r, DavMultistatus& ms) {
    QString why;
    if (!DavXml::ParseMultistatus(r.body, ms, why))
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
        return DavError::Make(DavError::Http,
                              QString::number(r.status) + QLatin1Char(' ') +
                                  QString::fromUtf8(r.reason),
                              r.status);
    }
}

void CCardDavClient::Propfind(const QUrl& url, int depth, const QByteArray& body,
                              std::function<void(DavError, DavMultistatus)> done) {
    Send("PROPFIND", url,
         {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXmlType}}, body,
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
                     done(DavError::Make(DavError::NotCardDav, url.toDisplayString(), r.status), {});
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
    Propfind(m_url, 0, DavXml::PropfindPrincipal(),
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
                 Propfind(wellKnown, 0, DavXml::PropfindPrincipal(),
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
    Propfind(book, 1, DavXml::PropfindEtags(),
             [book, done = std::move(done), this](DavError e, DavMultistatus ms) {
                 if (e) {
                     done(e, {});
                     return;
                 }
                 DavListing listing;
                 for (const DavResponse& r : ms.responses) {
                     if (SameResource(Resolve(r.href), book)) {
                         listing.syncToken = r.syncToken;
                         continue;
                     }
                     if (r.isCollection || !r.hasEtag || r.href.endsWith(QLatin1Char('/')))
                         continue;
                     listing.cards.append({r.href, r.etag});
                 }
                 done({}, listing);
             });
}

void CCardDavClient::SyncCollection(const QUrl& book, const QString& token,
                                    std::function<void(DavError, DavDelta)> done) {
    SyncStep(book, token, {}, 0, std::move(done));
}

void CCardDavClient::SyncStep(const QUrl& book, const QString& token, DavDelta sofar, int rounds,
                              std::function<void(DavError, DavDelta)> done) {
    Send("REPORT", book, {{"Depth", "0"}, {"Content-Type", kXmlType}},
         DavXml::SyncCollection(token),
         [this, book, token, sofar, rounds, done = std::move(done)](DavError e, HttpResult r) mutable {
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
             for (const DavResponse& resp : ms.responses) {
                 if (SameResource(Resolve(resp.href), book)) {
                     more = more || resp.status == 507; // the server sends the rest later
                     continue;
                 }
                 if (resp.status == 404) {
                     sofar.removed.append(resp.href);
                     continue;
                 }
                 if (resp.href.endsWith(QLatin1Char('/')) || !resp.hasEtag)
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
    MultigetBatch(book, hrefs, 0, {}, std::move(done));
}

void CCardDavClient::MultigetBatch(const QUrl& book, QStringList hrefs, int from, QList<DavCard> got,
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
             got.append(CardsOf(ms));
             MultigetBatch(book, hrefs, from + kBatch, got, std::move(done));
         });
}

void CCardDavClient::QueryAll(const QUrl& book, std::function<void(DavError, QList<DavCard>)> done) {
    Send("REPORT", book, {{"Depth", "1"}, {"Content-Type", kXmlType}}, DavXml::QueryAll(),
         [this, book, done = std::move(done)](DavError e, HttpResult r) {
             DavMultistatus ms;
             if (const DavError failed = Multistatus(e, r, book, ms)) {
                 done(failed, {});
                 return;
             }
             done({}, CardsOf(ms));
         });
}

void CCardDavClient::Get(const QString& href, std::function<void(DavError, DavCard)> done) {
    const QUrl url = Resolve(href);
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
    const QUrl url = Resolve(href);
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
    const QUrl url = Resolve(href);
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
