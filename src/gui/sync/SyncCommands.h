#pragma once
#include "sync/CSyncServerDlg.h"
#include <QObject>
#include <QPointer>
#include <memory>

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
class SyncCommands : public QObject {
    Q_OBJECT
public:
    SyncCommands(IKinbookView& view, CommandTable& table);
    ~SyncCommands() override;

    bool IsSyncing() const;

private:
    void OnServer();
    void OnSyncNow();
    void StartWith(const QString& password);
    void OnFinished(const DavError& e, const SyncCounts& counts);
    CSyncServerDlg::Account StoredAccount() const;
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
};
