#include "sync/SyncCommands.h"
#include "CCardDavClient.h"
#include "CSyncEngine.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "port/IMessageBox.h"
#include "port/ISettingsStore.h"
#include "resources/CommandIds.h"
#include "sync/CPasswordStore.h"
#include "view/IKinbookView.h"
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {
const char* const kServer = "Sync Server";
const char* const kUser = "Sync User";
const char* const kBook = "Sync Address Book";
const char* const kInterval = "Sync Interval";
// The SHA-256 fingerprint of the one server certificate the user trusts for the account.
const char* const kTrustedCertificate = "Sync Trusted Certificate";

QStatusBar* StatusBarOf(QWidget* w) {
    auto* frame = w != nullptr ? qobject_cast<QMainWindow*>(w->window()) : nullptr;
    return frame != nullptr ? frame->statusBar() : nullptr;
}
} // namespace

SyncCommands::SyncCommands(IKinbookView& view, CommandTable& table)
    : m_view(view), m_table(table), m_client(std::make_unique<CCardDavClient>()),
      m_passwords(std::make_unique<CPasswordStore>()), m_timer(new QTimer(this)) {
    m_engine = std::make_unique<CSyncEngine>(view.GetDocument(), *m_client);
    connect(m_engine.get(), &CSyncEngine::finished, this, &SyncCommands::OnFinished);
    m_engine->SetConfirmRemovals([this](const QString& text) {
        const std::string question =
            (text + QStringLiteral("\n\nGo on with the sync?")).toStdString();
        return m_view.Services().messageBox.Show(question, kAppTitle, MbIcon::Question,
                                                 MbButtons::YesNo) == MbResult::Yes;
    });
    connect(m_engine.get(), &CSyncEngine::bookChanged, this,
            [this] { m_view.RefreshView(m_view.GetSelectedRecord(), false); });
    connect(m_engine.get(), &CSyncEngine::progress, this, [this](int done, int total) {
        if (m_progress) {
            m_progress->setMaximum(total > 0 ? total : 0);
            m_progress->setValue(done);
        }
    });
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (!IsSyncing()) {
            m_automatic = true;
            OnSyncNow();
        }
    });
    table.SetHandler(ID_SYNC_SERVER, [this] { OnServer(); });
    table.SetEnabler(ID_SYNC_SERVER, [this] { return !IsSyncing(); });
    table.SetHandler(ID_SYNC_NOW, [this] {
        m_automatic = false;
        OnSyncNow();
    });
    table.SetEnabler(ID_SYNC_NOW, [this] {
        return !IsSyncing() && !StoredAccount().addressBook.isEmpty();
    });
    ApplyInterval(StoredAccount().intervalMinutes);
}

SyncCommands::~SyncCommands() {
    // A sync still running when the window closes stops between two requests.
    if (IsSyncing())
        m_client->Cancel();
}

bool SyncCommands::IsSyncing() const {
    return m_engine->IsRunning();
}

CSyncServerDlg::Account SyncCommands::StoredAccount() const {
    const ISettingsStore& s = m_view.Services().settings;
    CSyncServerDlg::Account a;
    a.server = QString::fromStdString(s.GetString(kServer, {}));
    a.user = QString::fromStdString(s.GetString(kUser, {}));
    a.addressBook = QString::fromStdString(s.GetString(kBook, {}));
    a.intervalMinutes = s.GetInt(kInterval, 0);
    a.trustedCertificate = QString::fromStdString(s.GetString(kTrustedCertificate, {}));
    return a;
}

void SyncCommands::ApplyInterval(int minutes) {
    if (minutes > 0)
        m_timer->start(minutes * 60 * 1000);
    else
        m_timer->stop();
}

void SyncCommands::OnServer() {
    CSyncServerDlg::Account current = StoredAccount();
    m_passwords->Read(current.server, current.user, [this, current](QString password) mutable {
        current.password = password;
        CSyncServerDlg dialog(m_view.DialogParent(), current);
        dialog.SetTrustQuestion([this](const QSslCertificate& c) { return AskTrust(c, false); });
        if (dialog.exec() != QDialog::Accepted)
            return;
        const CSyncServerDlg::Account a = dialog.Result();
        ISettingsStore& s = m_view.Services().settings;
        s.WriteString(kServer, a.server.toStdString());
        s.WriteString(kUser, a.user.toStdString());
        s.WriteString(kBook, a.addressBook.toStdString());
        s.WriteInt(kInterval, a.intervalMinutes);
        s.WriteString(kTrustedCertificate, a.trustedCertificate.toStdString());
        if (!a.password.isEmpty())
            m_passwords->Write(a.server, a.user, a.password);
        ApplyInterval(a.intervalMinutes);
        m_table.Update();
    });
}

void SyncCommands::OnSyncNow() {
    const CSyncServerDlg::Account a = StoredAccount();
    if (a.addressBook.isEmpty() || IsSyncing())
        return;
    m_passwords->Read(a.server, a.user, [this, a](QString password) {
        if (password.isEmpty()) {
            if (m_automatic)
                return; // never interrupt the user for a timed sync
            bool ok = false;
            password = QInputDialog::getText(m_view.DialogParent(), QStringLiteral("Kinbook"),
                                             QStringLiteral("Password for %1 at %2:").arg(a.user, a.server),
                                             QLineEdit::Password, QString(), &ok);
            if (!ok)
                return;
            m_passwords->Write(a.server, a.user, password);
        }
        StartWith(password);
    });
}

void SyncCommands::StartWith(const QString& password) {
    const CSyncServerDlg::Account a = StoredAccount();
    m_client->SetAccount(QUrl(a.addressBook), a.user, password);
    m_client->SetTrustedCertificate(a.trustedCertificate);
    ShowProgress(true);
    m_engine->Start(QUrl(a.addressBook));
    m_table.Update();
}

bool SyncCommands::AskTrust(const QSslCertificate& certificate, bool changed) {
    QString text =
        QStringLiteral("The server's certificate is not vouched for by any authority this "
                       "computer trusts.\n\n%1\n\nTrust this certificate for this account? "
                       "Compare the fingerprint with the one the server's administrator gives "
                       "you. A different certificate will be refused again.")
            .arg(CCardDavClient::Describe(certificate));
    if (changed)
        text.prepend(QStringLiteral("The server's certificate has changed since you trusted it. "
                                    "Unless its administrator told you of a new one, someone may "
                                    "be posing as the server: do not trust it.\n\n"));
    return m_view.Services().messageBox.Show(text.toStdString(), kAppTitle, MbIcon::Question,
                                             MbButtons::YesNo) == MbResult::Yes;
}

void SyncCommands::ShowProgress(bool on) {
    QStatusBar* bar = StatusBarOf(m_view.DialogParent());
    if (bar == nullptr)
        return;
    if (on && !m_progress) {
        m_progress = new QProgressBar(bar);
        m_progress->setObjectName(QStringLiteral("IDC_SYNC_PROGRESS"));
        m_progress->setMaximumWidth(120);
        m_progress->setRange(0, 0);
        m_cancel = new QPushButton(QStringLiteral("Cancel"), bar);
        m_cancel->setObjectName(QStringLiteral("IDC_SYNC_CANCEL"));
        connect(m_cancel, &QPushButton::clicked, this, [this] { m_client->Cancel(); });
        bar->addPermanentWidget(m_progress);
        bar->addPermanentWidget(m_cancel);
        bar->showMessage(QStringLiteral("Syncing with the address book server..."));
    } else if (!on) {
        delete m_progress;
        delete m_cancel;
        bar->clearMessage();
    }
}

void SyncCommands::OnFinished(const DavError& e, const SyncCounts& counts) {
    ShowProgress(false);
    m_table.Update();
    m_view.RefreshView(m_view.GetSelectedRecord(), false);
    const QString summary = CSyncEngine::Summary(counts);
    const QSslCertificate& refused = m_client->RefusedCertificate();
    if (e.kind == DavError::TlsRefused && !refused.isNull() && !m_automatic &&
        AskTrust(refused, !StoredAccount().trustedCertificate.isEmpty())) {
        m_view.Services().settings.WriteString(kTrustedCertificate,
                                               CCardDavClient::Fingerprint(refused).toStdString());
        OnSyncNow();
        return;
    }
    if (e.kind == DavError::MassRemoval)
        return; // the user was asked and said no
    if (e) {
        if (e.kind == DavError::Unauthorized)
            m_passwords->Write(StoredAccount().server, StoredAccount().user, QString());
        m_view.Services().messageBox.Show((e.Message() + QStringLiteral("\n\n") + summary).toStdString(),
                                          MbIcon::Exclamation);
        return;
    }
    if (QStatusBar* bar = StatusBarOf(m_view.DialogParent()))
        bar->showMessage(summary, 10000);
    if (!m_automatic)
        m_view.Services().messageBox.Show(summary.toStdString(), MbIcon::Information);
}
