#pragma once
#include "CCardDavClient.h"
#include "sync/CSyncSession.h"
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class CKinbookDoc;

// One sync of the book with one address book on the server, asynchronous: the server's
// changes since the last sync come in (sync-collection with the stored token, or a full
// ETag listing when the server cannot), the book changes by the sync rules and is saved,
// and the book's changes go out with conditional PUT and DELETE, a few at a time (each
// write is about one card, so their order does not matter). Cancel stops it between
// requests: what is on the wire finishes and is noted. A sync stopped anywhere converges
// when run again.
class CSyncEngine : public QObject {
    Q_OBJECT
public:
    CSyncEngine(CKinbookDoc& doc, CCardDavClient& client, QObject* parent = nullptr);
    ~CSyncEngine() override;

    // Asked, with the sentence that names them, before a sync removes many contacts on
    // either side (kb::sync::Removals::Mass); true goes on. Unasked, or answered false,
    // the sync stops with DavError::MassRemoval and nothing changed on either side.
    void SetConfirmRemovals(std::function<bool(const QString&)> confirm) {
        m_confirmRemovals = std::move(confirm);
    }

    void Start(const QUrl& book);
    void Cancel() { m_client.Cancel(); }
    bool IsRunning() const { return m_session != nullptr; }

    // "%d added here, %d changed here, %d removed here; %d sent to the server, %d conflicts"
    static QString Summary(const SyncCounts& counts);

    // Writes on the wire at once: Qt opens up to six connections to a server.
    static constexpr int kInFlight = 6;
    // From this many cards to fetch on, one query for the whole book is asked instead of
    // multiget: on some servers each href of a multiget costs a pass over the book.
    static constexpr int kQueryFrom = 50;

signals:
    void progress(int done, int total);
    // The book changed here (the view refreshes).
    void bookChanged();
    void finished(const DavError& error, const SyncCounts& counts);

private:
    // The session's counts, with the cards the client ignored during this sync.
    SyncCounts Counts() const;
    void OnDelta(const DavError& e, const DavDelta& delta, bool initial);
    void OnListing(const DavError& e, const DavListing& listing);
    void Fetch();
    void OnFetched(const DavError& e, const QList<DavCard>& cards);
    // Sends changes until kInFlight are on the wire; ends the sync when all are answered
    // (or, after an error, when those on the wire are).
    void Pump();
    void Send(std::size_t index);
    void Answered(const DavError& e);
    void AfterRefusal(std::size_t index);
    bool RemovalsAllowed();
    void Fail(const DavError& e);
    DavError NotSaved() const;
    void Done();

    CKinbookDoc& m_doc;
    CCardDavClient& m_client;
    QUrl m_book;
    int m_ignoredAtStart = 0; // the client's count of ignored cards when this sync began
    std::unique_ptr<CSyncSession> m_session;
    std::vector<OutgoingChange> m_out;
    std::size_t m_next = 0;     // the first change not yet sent
    std::size_t m_answered = 0; // changes the server has answered
    std::size_t m_noted = 0;    // answered when the state was last saved
    int m_inFlight = 0;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    DavError m_error; // the first error: nothing more is sent after it
    QString m_newToken;
    std::function<bool(const QString&)> m_confirmRemovals;
};
