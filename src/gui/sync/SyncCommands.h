#pragma once
#include "sync/CSyncServerDlg.h"
#include "sync/CSyncState.h"
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

class CommandTable;
class IKinbookView;
class CCardDavClient;
class CSyncEngine;
class CPasswordStore;
class QProgressBar;
class QPushButton;
class QSslCertificate;
class QTimer;
struct SyncCounts;

// File > Address Book Server... and File > Sync Now: the sync runs in the background of
// the window (the status bar shows its progress and a Cancel button), and every few
// minutes when the user asked for it.
//
// The account belongs to the book: it is kept beside the data file (never the password).
// A book without one is offered the account set up last; a book that has never synced
// with the address book is asked before the first merge.
class SyncCommands : public QObject {
    Q_OBJECT
public:
    using Account = CSyncServerDlg::Account;

    SyncCommands(IKinbookView& view, CommandTable& table);
    ~SyncCommands() override;

    bool IsSyncing() const;

private:
    void OnServer();
    void OnSyncNow();
    void AskPassword(const Account& a, const QString& prompt);
    // Syncs with password; fresh when it was just typed and is kept only once it works.
    void Proceed(const Account& a, const QString& password, bool fresh);
    void AskFirstMerge(const DavListing& listing);
    void StartSync();
    void OnFinished(const DavError& e, const SyncCounts& counts);
    void Failed(const DavError& e, const QString& summary);
    void KeepFreshPassword();

    CSyncState BookState() const;
    // The open book's account, else the one set up last.
    Account StoredAccount() const;
    bool SaveBookAccount(const Account& a);
    // Shows a certificate no authority vouches for (changed: another was trusted before);
    // true when the user trusts it.
    bool AskTrust(const QSslCertificate& certificate, bool changed);
    void ApplyInterval(int minutes);
    void ShowProgress(bool on);

    IKinbookView& m_view;
    CommandTable& m_table;
    std::unique_ptr<CCardDavClient> m_client;
    std::unique_ptr<CSyncEngine> m_engine;
    std::unique_ptr<CPasswordStore> m_passwords;
    QTimer* m_timer;
    QPointer<QProgressBar> m_progress;
    QPointer<QPushButton> m_cancel;
    bool m_automatic = false;
    bool m_checking = false;        // listing the address book before a first merge
    bool m_toldStoreFailed = false; // the secret store's refusal is told once
    Account m_account;              // of the sync under way
    std::optional<QString> m_fresh; // a typed password not yet accepted by the server
    // The book's account as last read, by data path (the enable rule asks often).
    mutable std::optional<std::pair<std::string, SyncAccount>> m_bookAccount;
};
