#include "CSyncEngine.h"
#include "model/CKinbookDoc.h"
#include <QHash>

CSyncEngine::CSyncEngine(CKinbookDoc& doc, CCardDavClient& client, QObject* parent)
    : QObject(parent), m_doc(doc), m_client(client) {}

CSyncEngine::~CSyncEngine() = default;

QString CSyncEngine::Summary(const SyncCounts& c) {
    QString summary =
        QString::asprintf("%d added here, %d changed here, %d removed here; %d "
                          "sent to the server, %d conflicts",
                          c.addedHere, c.changedHere, c.removedHere, c.sentToServer, c.conflicts);
    if (c.ignoredCards > 0)
        summary +=
            QStringLiteral("; %1 cards outside the address book ignored").arg(c.ignoredCards);
    if (!c.keptCopy.empty())
        summary += QStringLiteral("; the book as it was before is kept as %1")
                       .arg(QString::fromStdString(c.keptCopy));
    return summary;
}

SyncCounts CSyncEngine::Counts() const {
    SyncCounts counts = m_session->Counts();
    counts.ignoredCards = m_client.IgnoredHrefCount() - m_ignoredAtStart;
    return counts;
}

void CSyncEngine::Start(const QUrl& book) {
    m_book = book;
    m_client.ResetCancel();
    m_out.clear();
    m_next = 0;
    m_answered = 0;
    m_noted = 0;
    m_inFlight = 0;
    m_error = DavError();
    m_ignoredAtStart = m_client.IgnoredHrefCount();
    m_session =
        std::make_unique<CSyncSession>(m_doc, book.toString(QUrl::FullyEncoded).toStdString(),
                                       book.path(QUrl::FullyEncoded).toStdString());
    const QString token = QString::fromStdString(m_session->Token());
    const bool initial = token.isEmpty();
    m_client.SyncCollection(m_book, token,
                            [this, initial](DavError e, DavDelta d) { OnDelta(e, d, initial); });
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
    if (hrefs.size() < kQueryFrom) {
        m_client.Multiget(m_book, hrefs,
                          [this](DavError e, QList<DavCard> cards) { OnFetched(e, cards); });
        return;
    }
    m_client.QueryAll(m_book, [this, hrefs](DavError e, QList<DavCard> all) {
        if (e.kind == DavError::Http || e.kind == DavError::TooLarge) {
            // A server that does not answer the query still has multiget, and a book too
            // large for one answer comes in batches.
            m_client.Multiget(m_book, hrefs,
                              [this](DavError e2, QList<DavCard> cards) { OnFetched(e2, cards); });
            return;
        }
        if (e) {
            Fail(e);
            return;
        }
        // Keep the cards asked for, named as the listing named them; ask for the ones the
        // answer left out.
        auto key = [this](const QString& href) {
            return m_client.Resolve(href).path(QUrl::FullyDecoded);
        };
        QHash<QString, QString> wanted;
        for (const QString& h : hrefs)
            wanted.insert(key(h), h);
        QList<DavCard> cards;
        for (DavCard& c : all) {
            const auto it = wanted.constFind(key(c.href));
            if (it == wanted.constEnd())
                continue;
            c.href = it.value();
            cards.append(std::move(c));
            wanted.erase(it);
        }
        if (wanted.isEmpty()) {
            OnFetched({}, cards);
            return;
        }
        m_client.Multiget(m_book, wanted.values(),
                          [this, cards](DavError e2, QList<DavCard> rest) mutable {
                              cards.append(rest);
                              OnFetched(e2, cards);
                          });
    });
}

void CSyncEngine::OnFetched(const DavError& e, const QList<DavCard>& cards) {
    if (e) {
        Fail(e);
        return;
    }
    for (const auto& c : cards)
        m_session->Fetched({c.href.toStdString(), c.etag.toStdString(), c.data.toStdString()});
    if (!RemovalsAllowed())
        return;
    bool ok = true;
    m_out = m_session->ApplyHere(ok);
    emit bookChanged();
    if (!ok) {
        Fail(NotSaved());
        return;
    }
    emit progress(0, static_cast<int>(m_out.size()));
    Pump();
}

void CSyncEngine::Pump() {
    // An answer can come at once, inside Send (a cancelled client answers without asking
    // the server): the outermost call goes on, and ends the sync only once.
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        while (!m_error && m_inFlight < kInFlight && m_next < m_out.size())
            Send(m_next++);
    } while (m_pumpAgain);
    m_pumping = false;
    if (m_inFlight > 0 || !m_session)
        return;
    if (m_error)
        Fail(m_error);
    else if (m_next >= m_out.size())
        Done();
}

void CSyncEngine::Send(std::size_t index) {
    ++m_inFlight;
    const OutgoingChange& change = m_out[index];
    const QString href = QString::fromStdString(change.href);
    auto afterSend = [this, index](DavError e, QString etag) {
        if (e.kind == DavError::PreconditionFailed) {
            AfterRefusal(index);
            return;
        }
        if (!e)
            m_session->Sent(m_out[index], etag.toStdString());
        Answered(e);
    };
    if (change.kind == OutgoingChange::Delete) {
        m_client.Delete(href, QString::fromStdString(change.etag),
                        [afterSend](DavError e) { afterSend(e, {}); });
    } else {
        m_client.Put(href, QByteArray::fromStdString(change.data),
                     change.kind == OutgoingChange::Put ? QString::fromStdString(change.etag)
                                                        : QString(),
                     afterSend);
    }
}

void CSyncEngine::Answered(const DavError& e) {
    --m_inFlight;
    if (e) {
        if (!m_error)
            m_error = e;
    } else {
        ++m_answered;
        emit progress(static_cast<int>(m_answered), static_cast<int>(m_out.size()));
        // Note progress in the state now and then, so a stopped sync redoes little; a
        // card written but not yet noted is recognised by its UID when the sync runs again.
        if (m_answered - m_noted >= 100) {
            m_noted = m_answered;
            m_session->Checkpoint();
        }
    }
    Pump();
}

void CSyncEngine::AfterRefusal(std::size_t index) {
    m_client.Get(
        QString::fromStdString(m_out[index].href), [this, index](DavError e, DavCard card) {
            if (e && e.kind != DavError::NotFound) {
                Answered(e);
                return;
            }
            const OutgoingChange& change = m_out[index];
            std::optional<ServerCard> current;
            if (!e)
                current = ServerCard{change.href, card.etag.toStdString(), card.data.toStdString()};
            std::optional<OutgoingChange> again = m_session->Refused(change, current);
            if (again)
                m_out.push_back(std::move(*again));
            emit bookChanged();
            Answered({});
        });
}

bool CSyncEngine::RemovalsAllowed() {
    const kb::sync::Removals planned = m_session->PlannedRemovals();
    if (!planned.Mass())
        return true;
    const QString text = QString::fromStdString(planned.Text());
    if (m_confirmRemovals && m_confirmRemovals(text))
        return true;
    // Stopped before anything changed on either side: nothing to note either.
    const SyncCounts counts = Counts();
    m_session.reset();
    emit finished(DavError::Make(DavError::MassRemoval, text), counts);
    return false;
}

DavError CSyncEngine::NotSaved() const {
    return DavError::Make(DavError::NotSaved, QString::fromStdString(m_session->SaveProblem()));
}

void CSyncEngine::Fail(const DavError& e) {
    // What was completed stays, and is noted, so the next sync goes on from there (a save
    // that has just failed is not tried again).
    const SyncCounts counts = Counts();
    if (e.kind != DavError::NotSaved)
        m_session->Checkpoint();
    m_session.reset();
    emit finished(e, counts);
}

void CSyncEngine::Done() {
    const SyncCounts counts = Counts();
    const bool ok = m_session->Finish(m_newToken.toStdString());
    const DavError error = ok ? DavError() : NotSaved();
    m_session.reset();
    emit bookChanged();
    emit finished(error, counts);
}
