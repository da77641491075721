#pragma once
#include "CCardDavClient.h"
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// File > Address Book Server...: where the book syncs to. Test Connection finds the
// user's address books on the server and offers them to choose from.
class CSyncServerDlg : public QDialog {
    Q_OBJECT
public:
    struct Account {
        QString server;
        QString user;
        QString password;
        QString addressBook; // the chosen address book's URL
        int intervalMinutes = 0; // 0: no automatic sync
        QString trustedCertificate; // SHA-256 fingerprint of a certificate the user trusts
    };

    CSyncServerDlg(QWidget* parent, const Account& account);
    Account Result() const;
    // Asked when the server's certificate is refused: true trusts it for this account.
    void SetTrustQuestion(std::function<bool(const QSslCertificate&)> ask) {
        m_askTrust = std::move(ask);
    }

private:
    void OnTestConnection();
    void OnFound(const DavError& e, const QList<DavAddressBook>& books);

    QLineEdit* m_server;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_test;
    QComboBox* m_books;
    QLabel* m_status;
    QCheckBox* m_autoSync;
    QSpinBox* m_minutes;
    CCardDavClient m_client;
    QString m_trusted;
    std::function<bool(const QSslCertificate&)> m_askTrust;
};
