#include "sync/CSyncServerDlg.h"
#include "sync/ServerAddress.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CSyncServerDlg::CSyncServerDlg(QWidget* parent, const Account& account)
    : QDialog(parent), m_trusted(account.trustedCertificate) {
    setObjectName(QStringLiteral("IDD_SYNC_SERVER"));
    setWindowTitle(QStringLiteral("Address Book Server"));
    setMinimumWidth(460);
    m_server = new QLineEdit(account.server, this);
    m_server->setObjectName(QStringLiteral("IDC_SYNC_SERVER"));
    m_server->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
    m_addressWarning = new QLabel(this);
    m_addressWarning->setObjectName(QStringLiteral("IDC_SYNC_ADDRESS_WARNING"));
    m_addressWarning->setWordWrap(true);
    connect(m_server, &QLineEdit::textChanged, this, &CSyncServerDlg::OnAddressEdited);
    m_user = new QLineEdit(account.user, this);
    m_user->setObjectName(QStringLiteral("IDC_SYNC_USER"));
    m_password = new QLineEdit(account.password, this);
    m_password->setObjectName(QStringLiteral("IDC_SYNC_PASSWORD"));
    m_password->setEchoMode(QLineEdit::Password);
    m_test = new QPushButton(QStringLiteral("&Test Connection"), this);
    m_test->setObjectName(QStringLiteral("IDC_SYNC_TEST"));
    m_books = new QComboBox(this);
    m_books->setObjectName(QStringLiteral("IDC_SYNC_BOOKS"));
    if (!account.addressBook.isEmpty()) {
        m_books->addItem(account.addressBookName.isEmpty() ? account.addressBook
                                                           : account.addressBookName,
                         account.addressBook);
        m_books->setItemData(0, account.addressBookName, Qt::UserRole + 1);
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("IDC_SYNC_STATUS"));
    m_status->setWordWrap(true);
    m_autoSync = new QCheckBox(QStringLiteral("Sync every"), this);
    m_autoSync->setObjectName(QStringLiteral("IDC_SYNC_AUTO"));
    m_minutes = new QSpinBox(this);
    m_minutes->setObjectName(QStringLiteral("IDC_SYNC_MINUTES"));
    m_minutes->setRange(1, 1440);
    m_minutes->setValue(account.intervalMinutes > 0 ? account.intervalMinutes : 15);
    m_autoSync->setChecked(account.intervalMinutes > 0);
    m_minutes->setEnabled(m_autoSync->isChecked());
    connect(m_autoSync, &QCheckBox::toggled, m_minutes, &QSpinBox::setEnabled);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Server &address:"), m_server);
    form->addRow(QString(), m_addressWarning);
    form->addRow(QStringLiteral("&User name:"), m_user);
    form->addRow(QStringLiteral("&Password:"), m_password);
    form->addRow(QString(), m_test);
    form->addRow(QStringLiteral("Address &book:"), m_books);
    form->addRow(QString(), m_status);
    auto* every = new QHBoxLayout;
    every->addWidget(m_autoSync);
    every->addWidget(m_minutes);
    every->addWidget(new QLabel(QStringLiteral("minutes"), this));
    every->addStretch();
    form->addRow(QString(), every);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSyncServerDlg::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(m_test, &QPushButton::clicked, this, &CSyncServerDlg::OnTestConnection);
    OnAddressEdited();
}

void CSyncServerDlg::OnAddressEdited() {
    using Kind = kb::sync::ServerAddress::Kind;
    const Kind kind = kb::sync::ParseServerAddress(m_server->text().toStdString()).kind;
    if (kind == Kind::Plain)
        m_addressWarning->setText(QStringLiteral(
            "Not encrypted (http): the password and the contacts cross the network in clear "
            "text, where others can read them. Use https:// if the server offers it."));
    else if (kind == Kind::UserInfo)
        m_addressWarning->setText(QStringLiteral(
            "Leave the user name and password out of the address: enter them in the boxes "
            "below."));
    else
        m_addressWarning->clear();
    m_addressWarning->setVisible(!m_addressWarning->text().isEmpty());
    if (isVisible())
        adjustSize(); // make room for the warning, or give it back
}

bool CSyncServerDlg::CheckAddress(QUrl& url) {
    using Kind = kb::sync::ServerAddress::Kind;
    const kb::sync::ServerAddress a = kb::sync::ParseServerAddress(m_server->text().toStdString());
    url = QUrl(QString::fromStdString(a.url), QUrl::StrictMode);
    if (a.kind == Kind::UserInfo) {
        m_status->setText(QStringLiteral("The address holds a user name or password. Enter "
                                         "them in the User name and Password boxes instead."));
        return false;
    }
    // Qt must read the same host as the rule did, or the rule said nothing about it.
    if (a.kind == Kind::Invalid || !url.isValid() || url.host().toLower().toStdString() != a.host) {
        m_status->setText(QStringLiteral("Enter the server's address, for example "
                                         "https://dav.example.org/."));
        return false;
    }
    return true;
}

void CSyncServerDlg::OnOk() {
    QUrl url;
    if (m_server->text().trimmed().isEmpty() || CheckAddress(url))
        accept();
}

void CSyncServerDlg::OnTestConnection() {
    QUrl url;
    if (!CheckAddress(url))
        return;
    m_test->setEnabled(false);
    m_status->setText(QStringLiteral("Connecting..."));
    m_client.SetAccount(url, m_user->text(), m_password->text());
    m_client.SetTrustedCertificate(m_trusted);
    m_client.Discover([this](DavError e, QList<DavAddressBook> books) { OnFound(e, books); });
}

void CSyncServerDlg::OnFound(const DavError& e, const QList<DavAddressBook>& books) {
    m_test->setEnabled(true);
    const QSslCertificate& refused = m_client.RefusedCertificate();
    if (e.kind == DavError::TlsRefused && !refused.isNull() && m_askTrust && m_askTrust(refused)) {
        m_trusted = CCardDavClient::Fingerprint(refused);
        OnTestConnection();
        return;
    }
    if (e) {
        m_status->setText(e.Message());
        return;
    }
    const QString chosen = m_books->currentData().toString();
    m_books->clear();
    for (const DavAddressBook& b : books) {
        const QString url = b.url.toString();
        m_books->addItem(b.displayName.isEmpty()
                             ? url
                             : b.displayName + QStringLiteral(" (") + url + QLatin1Char(')'),
                         url);
        m_books->setItemData(m_books->count() - 1, b.displayName, Qt::UserRole + 1);
    }
    const int keep = m_books->findData(chosen);
    if (keep >= 0)
        m_books->setCurrentIndex(keep);
    m_status->setText(
        books.isEmpty() ? QStringLiteral("The server has no address book for this user.")
                        : QStringLiteral("Connected. Address books found: %1.").arg(books.size()));
}

CSyncServerDlg::Account CSyncServerDlg::Result() const {
    Account a;
    const QString typed = m_server->text().trimmed();
    a.server = typed.isEmpty()
                   ? typed
                   : QString::fromStdString(kb::sync::ParseServerAddress(typed.toStdString()).url);
    a.user = m_user->text();
    a.password = m_password->text();
    a.addressBook = m_books->currentData().toString();
    a.addressBookName = m_books->currentData(Qt::UserRole + 1).toString();
    a.intervalMinutes = m_autoSync->isChecked() ? m_minutes->value() : 0;
    a.trustedCertificate = m_trusted;
    return a;
}
