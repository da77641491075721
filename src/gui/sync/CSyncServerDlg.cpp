#include "sync/CSyncServerDlg.h"
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
    m_server = new QLineEdit(account.server, this);
    m_server->setObjectName(QStringLiteral("IDC_SYNC_SERVER"));
    m_server->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
    m_user = new QLineEdit(account.user, this);
    m_user->setObjectName(QStringLiteral("IDC_SYNC_USER"));
    m_password = new QLineEdit(account.password, this);
    m_password->setObjectName(QStringLiteral("IDC_SYNC_PASSWORD"));
    m_password->setEchoMode(QLineEdit::Password);
    m_test = new QPushButton(QStringLiteral("&Test Connection"), this);
    m_test->setObjectName(QStringLiteral("IDC_SYNC_TEST"));
    m_books = new QComboBox(this);
    m_books->setObjectName(QStringLiteral("IDC_SYNC_BOOKS"));
    if (!account.addressBook.isEmpty())
        m_books->addItem(account.addressBook, account.addressBook);
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
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(m_test, &QPushButton::clicked, this, &CSyncServerDlg::OnTestConnection);
}

void CSyncServerDlg::OnTestConnection() {
    QUrl url = QUrl::fromUserInput(m_server->text().trimmed());
    if (!url.isValid() || url.host().isEmpty()) {
        m_status->setText(QStringLiteral("Enter the server's address, for example "
                                         "https://dav.example.org/."));
        return;
    }
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
        m_books->addItem(b.displayName.isEmpty() ? url : b.displayName + QStringLiteral(" (") + url + QLatin1Char(')'), url);
    }
    const int keep = m_books->findData(chosen);
    if (keep >= 0)
        m_books->setCurrentIndex(keep);
    m_status->setText(books.isEmpty() ? QStringLiteral("The server has no address book for this user.")
                                      : QStringLiteral("Connected. Address books found: %1.")
                                            .arg(books.size()));
}

CSyncServerDlg::Account CSyncServerDlg::Result() const {
    Account a;
    a.server = m_server->text().trimmed();
    a.user = m_user->text();
    a.password = m_password->text();
    a.addressBook = m_books->currentData().toString();
    a.intervalMinutes = m_autoSync->isChecked() ? m_minutes->value() : 0;
    a.trustedCertificate = m_trusted;
    return a;
}
