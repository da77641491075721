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
// user's address books on the server and offers them to choose from. A bare host means
// https; an http address to another machine is taken as typed, with a warning that the
// password goes over the network unencrypted.
class CSyncServerDlg : public QDialog {
    Q_OBJECT
public:
    struct Account {
        QString server;
        QString user;
        QString password;
        QString addressBook;     // the chosen address book's URL
        QString addressBookName; // its name on the server
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
    // The typed address as the rules read it; on a refusal, status says why.
    bool CheckAddress(QUrl& url);
    void OnAddressEdited();
    void OnOk();
    void OnTestConnection();
    void OnFound(const DavError& e, const QList<DavAddressBook>& books);

    QLineEdit* m_server;
    QLabel* m_addressWarning;
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
