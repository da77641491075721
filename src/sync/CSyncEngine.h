#pragma once
#include "CCardDavClient.h"
#include "sync/CSyncSession.h"
#include <QObject>
#include <QUrl>
#include <memory>

class CKinbookDoc;

// One sync of the book with one address book on the server, asynchronous: the server's
// changes since the last sync come in (sync-collection with the stored token, or a full
// ETag listing when the server cannot), the book changes by the sync rules and is saved,
// and the book's changes go out with conditional PUT and DELETE. Cancel stops it between
// requests; a sync stopped anywhere converges when run again.
class CSyncEngine : public QObject {
    Q_OBJECT
public:
    CSyncEngine(CKinbookDoc& doc, CCardDavClient& client, QObject* parent = nullptr);
    ~CSyncEngine() override;

    void Start(const QUrl& book);
    void Cancel() { m_client.Cancel(); }
    bool IsRunning() const { return m_session != nullptr; }

    // "%d added here, %d changed here, %d removed here; %d sent to the server, %d conflicts"
    static QString Summary(const SyncCounts& counts);

signals:
    void progress(int done, int total);
    // The book changed here (the view refreshes).
    void bookChanged();
    void finished(const DavError& error, const SyncCounts& counts);

private:
    void OnDelta(const DavError& e, const DavDelta& delta, bool initial);
    void OnListing(const DavError& e, const DavListing& listing);
    void Fetch();
    void SendNext();
    void AfterRefusal(const OutgoingChange& change);
    void Fail(const DavError& e);
    void Done();

    CKinbookDoc& m_doc;
    CCardDavClient& m_client;
    QUrl m_book;
    std::unique_ptr<CSyncSession> m_session;
    std::vector<OutgoingChange> m_out;
    std::size_t m_next = 0;
    QString m_newToken;
};
