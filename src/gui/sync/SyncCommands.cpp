#include "sync/SyncCommands.h"
#include "CCardDavClient.h"
#include "CSyncEngine.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"
#include "port/IMessageBox.h"
#include "port/ISettingsStore.h"
#include "resources/CommandIds.h"
#include "sync/CPasswordStore.h"
#include "sync/FirstMerge.h"
#include "sync/ServerAddress.h"
#include "view/IKinbookView.h"
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace {
// The account set up last, offered to a book that has none of its own.
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

// How the sync state spells an address book's URL.
std::string Encoded(const QString& url) {
    return QUrl(url).toString(QUrl::FullyEncoded).toStdString();
}

SyncCommands::Account FromState(const SyncAccount& s) {
    SyncCommands::Account a;
    a.server = QString::fromStdString(s.server);
    a.user = QString::fromStdString(s.user);
    a.addressBook = QString::fromStdString(s.addressBook);
    a.addressBookName = QString::fromStdString(s.addressBookName);
    a.intervalMinutes = s.intervalMinutes;
    a.trustedCertificate = QString::fromStdString(s.trustedCertificate);
    return a;
}

SyncAccount ToState(const SyncCommands::Account& a) {
    SyncAccount s;
    s.server = a.server.toStdString();
    s.user = a.user.toStdString();
    s.addressBook = a.addressBook.isEmpty() ? std::string() : Encoded(a.addressBook);
    s.addressBookName = a.addressBookName.toStdString();
    s.intervalMinutes = a.intervalMinutes;
    s.trustedCertificate = a.trustedCertificate.toStdString();
    return s;
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
    // The store's own reason says little ("Unknown error"), so it is left out.
    connect(m_passwords.get(), &CPasswordStore::storeFailed, this, [this] {
        if (std::exchange(m_toldStoreFailed, true))
            return;
        m_view.Services().messageBox.Show("The password could not be kept in the desktop's "
                                          "password store. Kinbook remembers it until it is "
                                          "closed.",
                                          MbIcon::Information);
    });
    connect(m_timer, &QTimer::timeout, this, [this] {
        ApplyInterval(StoredAccount().intervalMinutes); // another book may be open now
        if (!IsSyncing() && m_timer->isActive()) {
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
    table.SetEnabler(ID_SYNC_NOW,
                     [this] { return !IsSyncing() && !StoredAccount().addressBook.isEmpty(); });
    // Older versions kept the address as typed, a password in it included.
    ISettingsStore& s = m_view.Services().settings;
    for (const char* key : {kServer, kBook}) {
        const std::string typed = s.GetString(key, {});
        if (const std::string clean = kb::sync::WithoutUserInfo(typed); clean != typed)
            s.WriteString(key, clean);
    }
    ApplyInterval(StoredAccount().intervalMinutes);
}

SyncCommands::~SyncCommands() {
    // A sync still running when the window closes stops between two requests.
    if (IsSyncing())
        m_client->Cancel();
}

bool SyncCommands::IsSyncing() const {
    return m_checking || m_engine->IsRunning();
}

CSyncState SyncCommands::BookState() const {
    CSyncState state;
    CKinbookDoc& doc = m_view.GetDocument();
    if (!doc.GetDataPath().empty())
        state.Load(doc.GetDataPath(), doc.FileSystem());
    return state;
}

SyncCommands::Account SyncCommands::StoredAccount() const {
    const std::string& path = m_view.GetDocument().GetDataPath();
    if (!m_bookAccount || m_bookAccount->first != path)
        m_bookAccount.emplace(path, BookState().m_account);
    if (!m_bookAccount->second.Empty())
        return FromState(m_bookAccount->second);
    const ISettingsStore& s = m_view.Services().settings;
    Account a;
    a.server = QString::fromStdString(s.GetString(kServer, {}));
    a.user = QString::fromStdString(s.GetString(kUser, {}));
    a.addressBook = QString::fromStdString(s.GetString(kBook, {}));
    a.intervalMinutes = s.GetInt(kInterval, 0);
    a.trustedCertificate = QString::fromStdString(s.GetString(kTrustedCertificate, {}));
    return a;
}

bool SyncCommands::SaveBookAccount(const Account& a) {
    m_bookAccount.reset();
    CKinbookDoc& doc = m_view.GetDocument();
    CSyncState state = BookState();
    state.m_account = ToState(a);
    return !doc.GetDataPath().empty() && state.Save(doc.GetDataPath(), doc.FileSystem());
}

void SyncCommands::ApplyInterval(int minutes) {
    if (minutes > 0)
        m_timer->start(minutes * 60 * 1000);
    else
        m_timer->stop();
}

void SyncCommands::OnServer() {
    Account current = StoredAccount();
    m_passwords->Read(current.server, current.user, [this, current](QString password) mutable {
        current.password = password;
        CSyncServerDlg dialog(m_view.DialogParent(), current);
        dialog.SetTrustQuestion([this](const QSslCertificate& c) { return AskTrust(c, false); });
        if (dialog.exec() != QDialog::Accepted)
            return;
        Account a = dialog.Result();
        ISettingsStore& s = m_view.Services().settings;
        s.WriteString(kServer, a.server.toStdString());
        s.WriteString(kUser, a.user.toStdString());
        s.WriteString(kBook, ToState(a).addressBook);
        s.WriteInt(kInterval, a.intervalMinutes);
        s.WriteString(kTrustedCertificate, a.trustedCertificate.toStdString());
        if (!SaveBookAccount(a))
            m_view.Services().messageBox.Show(
                "The server settings could not be saved beside the book.", MbIcon::Exclamation);
        if (!a.password.isEmpty())
            m_passwords->Write(a.server, a.user, a.password);
        ApplyInterval(a.intervalMinutes);
        m_table.Update();
    });
}

void SyncCommands::OnSyncNow() {
    m_bookAccount.reset(); // another program (a command-line sync) may have changed it
    const Account a = StoredAccount();
    if (a.addressBook.isEmpty() || IsSyncing())
        return;
    // A timed sync never starts a first merge: that is the user's to decide.
    if (m_automatic && !BookState().HasSyncedWith(Encoded(a.addressBook)))
        return;
    m_passwords->Read(a.server, a.user, [this, a](const QString& password) {
        if (!password.isEmpty())
            Proceed(a, password, false);
        else if (!m_automatic) // never interrupt the user for a timed sync
            AskPassword(a, QStringLiteral("Password for %1 at %2:").arg(a.user, a.server));
    });
}

void SyncCommands::AskPassword(const Account& a, const QString& prompt) {
    bool ok = false;
    const QString password = QInputDialog::getText(m_view.DialogParent(), QStringLiteral("Kinbook"),
                                                   prompt, QLineEdit::Password, QString(), &ok);
    if (ok && !password.isEmpty())
        Proceed(a, password, true);
}

void SyncCommands::Proceed(const Account& a, const QString& password, bool fresh) {
    m_account = a;
    m_fresh = fresh ? std::optional<QString>(password) : std::nullopt;
    m_client->SetAccount(QUrl(a.addressBook), a.user, password);
    m_client->SetTrustedCertificate(a.trustedCertificate);
    if (BookState().HasSyncedWith(Encoded(a.addressBook))) {
        StartSync();
        return;
    }
    // Count the cards first: the question names both sides.
    m_checking = true;
    ShowProgress(true);
    m_table.Update();
    m_client->ResetCancel();
    m_client->ListCards(QUrl(a.addressBook), [this](const DavError& e, const DavListing& listing) {
        m_checking = false;
        ShowProgress(false);
        m_table.Update();
        if (e)
            Failed(e, QString());
        else
            AskFirstMerge(listing);
    });
}

void SyncCommands::AskFirstMerge(const DavListing& listing) {
    KeepFreshPassword();
    const QUrl url(m_account.addressBook);
    const QString name = !m_account.addressBookName.isEmpty()
                             ? m_account.addressBookName
                             : url.adjusted(QUrl::StripTrailingSlash).fileName();
    const std::string question = kb::sync::FirstMergeQuestion(
        BookState(), Encoded(m_account.addressBook), m_view.GetDocument().GetRecords().size(),
        static_cast<std::size_t>(listing.cards.size()), name.toStdString(),
        url.host().toStdString());
    if (!question.empty() &&
        m_view.Services().messageBox.Show(question, kAppTitle, MbIcon::Question,
                                          MbButtons::YesNo) != MbResult::Yes)
        return;
    StartSync();
}

void SyncCommands::StartSync() {
    SaveBookAccount(m_account); // from now on the book syncs with this address book
    ShowProgress(true);
    m_engine->Start(QUrl(m_account.addressBook));
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

void SyncCommands::KeepFreshPassword() {
    if (m_fresh && m_client->HasConnected())
        m_passwords->Write(m_account.server, m_account.user, *m_fresh);
    m_fresh.reset();
}

void SyncCommands::OnFinished(const DavError& e, const SyncCounts& counts) {
    ShowProgress(false);
    m_bookAccount.reset();
    m_table.Update();
    m_view.RefreshView(m_view.GetSelectedRecord(), false);
    const QString summary = CSyncEngine::Summary(counts);
    const QSslCertificate& refused = m_client->RefusedCertificate();
    if (e.kind == DavError::TlsRefused && !refused.isNull() && !m_automatic &&
        AskTrust(refused, !m_account.trustedCertificate.isEmpty())) {
        m_account.trustedCertificate = CCardDavClient::Fingerprint(refused);
        m_view.Services().settings.WriteString(kTrustedCertificate,
                                               m_account.trustedCertificate.toStdString());
        SaveBookAccount(m_account);
        OnSyncNow();
        return;
    }
    if (e.kind == DavError::MassRemoval)
        return; // the user was asked and said no
    if (e) {
        Failed(e, summary);
        return;
    }
    KeepFreshPassword();
    if (QStatusBar* bar = StatusBarOf(m_view.DialogParent()))
        bar->showMessage(summary, 10000);
    if (!m_automatic)
        m_view.Services().messageBox.Show(summary.toStdString(), MbIcon::Information);
}

void SyncCommands::Failed(const DavError& e, const QString& summary) {
    QString text = e.Message();
    if (!summary.isEmpty())
        text += QStringLiteral("\n\n") + summary;
    // A refused password is asked for again; the stored one stays until a new one works.
    if (e.kind == DavError::Unauthorized && !m_automatic) {
        m_fresh.reset();
        AskPassword(
            m_account,
            text +
                QStringLiteral("\n\nPassword for %1 at %2:").arg(m_account.user, m_account.server));
        return;
    }
    if (e.kind != DavError::Unauthorized)
        KeepFreshPassword();
    m_view.Services().messageBox.Show(text.toStdString(), MbIcon::Exclamation);
}
