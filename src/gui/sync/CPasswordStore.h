#pragma once
#include <QObject>
#include <QString>
#include <functional>

// Where the server password lives: the desktop's secret store through QtKeychain when
// there is one; otherwise only in memory for this run (it is asked for once per start).
// It is never written to disk in plain text. An entry is the user at the server's origin
// (scheme, host and port), so the window and the command line find the same one whatever
// path of the server each was given.
class CPasswordStore : public QObject {
    Q_OBJECT
public:
    explicit CPasswordStore(QObject* parent = nullptr);

    // The password for user at server: from memory, else the secret store; empty when
    // neither has it (a secret store that cannot be reached is no error here).
    void Read(const QString& server, const QString& user, std::function<void(QString)> done);
    // Keeps it in memory and offers it to the secret store; storeFailed when that refused.
    void Write(const QString& server, const QString& user, const QString& password);
    bool SecretStoreWorked() const { return m_storeWorked; }

    // The key of an entry: "user@https://host:port".
    static QString Key(const QString& server, const QString& user);

signals:
    void storeFailed();

private:
    QString m_key;
    QString m_password;
    bool m_storeWorked = false;
};
