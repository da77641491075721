#include "CSyncEngine.h"
#include "model/CKinbookDoc.h"

CSyncEngine::CSyncEngine(CKinbookDoc& doc, CCardDavClient& client, QObject* parent)
    : QObject(parent), m_doc(doc), m_client(client) {}

CSyncEngine::~CSyncEngine() = default;

QString CSyncEngine::Summary(const SyncCounts& c) {
    return QString::asprintf("%d added here, %d changed here, %d removed here; %d sent to the "
                             "server, %d conflicts",
                             c.addedHere, c.changedHere, c.removedHere, c.sentToServer,
                             c.conflicts);
}

void CSyncEngine::Start(const QUrl& book) {
    m_book = book;
    m_client.ResetCancel();
    m_out.clear();
    m_next = 0;
    m_session = std::make_unique<CSyncSession>(m_doc, book.toString(QUrl::FullyEncoded).toStdString(),
                                               book.path(QUrl::FullyEncoded).toStdString());
    const QString token = QString::fromStdString(m_session->Token());
    const bool initial = token.isEmpty();
    m_client.SyncCollection(m_book, token, [this, initial](DavError e, DavDelta d) {
        OnDelta(e, d, initial);
    });
}

void CSyncEngine::OnDelta(const DavError& e, const DavDelta& delta, bool initial) {
    if (e) {
        Fail(e);
        return;
    }
    if (delta.tokenRejected) {
        m_client.ListCards(m_book, [this](DavError e2, DavListing l) { OnListing(e2, l); });
        return;
    }
    std::map<std::string, std::string> changed;
    for (const auto& c : delta.changed)
        changed[c.href.toStdString()] = c.etag.toStdString();
    if (initial) {
        // Everything the server holds: what the state knows and is missing was removed.
        m_session->ServerListing(changed);
    } else {
        std::vector<std::string> removed;
        for (const auto& r : delta.removed)
            removed.push_back(r.toStdString());
        m_session->ServerDelta(changed, removed);
    }
    m_newToken = delta.token;
    Fetch();
}

void CSyncEngine::OnListing(const DavError& e, const DavListing& listing) {
    if (e) {
        Fail(e);
        return;
    }
    std::map<std::string, std::string> all;
    for (const auto& c : listing.cards)
        all[c.href.toStdString()] = c.etag.toStdString();
    m_session->ServerListing(all);
    m_newToken = listing.syncToken;
    Fetch();
}

void CSyncEngine::Fetch() {
    QStringList hrefs;
    for (const auto& h : m_session->HrefsToFetch())
        hrefs << QString::fromStdString(h);
    emit progress(0, static_cast<int>(hrefs.size()));
    m_client.Multiget(m_book, hrefs, [this](DavError e, QList<DavCard> cards) {
        if (e) {
            Fail(e);
            return;
        }
        for (const auto& c : cards)
            m_session->Fetched({c.href.toStdString(), c.etag.toStdString(), c.data.toStdString()});
        bool ok = true;
        m_out = m_session->ApplyHere(ok);
        emit bookChanged();
        if (!ok) {
            Fail(DavError::Make(DavError::Http, QStringLiteral("the book could not be saved")));
            return;
        }
        SendNext();
    });
}

void CSyncEngine::SendNext() {
    if (m_next >= m_out.size()) {
        Done();
        return;
    }
    emit progress(static_cast<int>(m_next), static_cast<int>(m_out.size()));
    // Note progress in the state now and then, so a stopped sync redoes little.
    if (m_next > 0 && m_next % 100 == 0)
        m_session->Checkpoint();
    const OutgoingChange change = m_out[m_next];
    const QString href = QString::fromStdString(change.href);
    auto afterSend = [this, change](DavError e, QString etag) {
        if (e.kind == DavError::PreconditionFailed) {
            AfterRefusal(change);
            return;
        }
        if (e) {
            Fail(e);
            return;
        }
        m_session->Sent(change, etag.toStdString());
        ++m_next;
        SendNext();
    };
    if (change.kind == OutgoingChange::Delete) {
        m_client.Delete(href, QString::fromStdString(change.etag),
                        [afterSend](DavError e) { afterSend(e, {}); });
    } else {
        m_client.Put(href, QByteArray::fromStdString(change.data),
                     change.kind == OutgoingChange::Put ? QString::fromStdString(change.etag) : QString(),
                     afterSend);
    }
}

void CSyncEngine::AfterRefusal(const OutgoingChange& change) {
    m_client.Get(QString::fromStdString(change.href), [this, change](DavError e, DavCard card) {
        if (e && e.kind != DavError::NotFound) {
            Fail(e);
            return;
        }
        std::optional<ServerCard> current;
        if (!e)
            current = ServerCard{change.href, card.etag.toStdString(), card.data.toStdString()};
        m_session->Refused(change, current);
        emit bookChanged();
        ++m_next;
        SendNext();
    });
}

void CSyncEngine::Fail(const DavError& e) {
    // What was completed stays, and is noted, so the next sync goes on from there.
    const SyncCounts counts = m_session->Counts();
    m_session->Checkpoint();
    m_session.reset();
    emit finished(e, counts);
}

void CSyncEngine::Done() {
    const SyncCounts counts = m_session->Counts();
    const bool ok = m_session->Finish(m_newToken.toStdString());
    m_session.reset();
    emit bookChanged();
    emit finished(ok ? DavError() : DavError::Make(DavError::Http, QStringLiteral("the book could not be saved")),
                  counts);
}
