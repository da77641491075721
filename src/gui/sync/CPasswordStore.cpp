#include "sync/CPasswordStore.h"
#include "sync/ServerAddress.h"
#include <qt6keychain/keychain.h>

namespace {
const QString kService = QStringLiteral("Kinbook address book server");
}

CPasswordStore::CPasswordStore(QObject* parent) : QObject(parent) {}

QString CPasswordStore::Key(const QString& server, const QString& user) {
    const std::string origin = kb::sync::OriginOf(server.toStdString());
    return user + QLatin1Char('@') + (origin.empty() ? server : QString::fromStdString(origin));
}

void CPasswordStore::Read(const QString& server, const QString& user,
                          std::function<void(QString)> done) {
    const QString key = Key(server, user);
    if (key == m_key && !m_password.isEmpty()) {
        done(m_password);
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, job, key, done](QKeychain::Job*) {
        if (job->error() == QKeychain::NoError && !job->textData().isEmpty()) {
            m_storeWorked = true;
            m_key = key;
            m_password = job->textData();
            done(m_password);
        } else {
            done(QString());
        }
    });
    job->start();
}

void CPasswordStore::Write(const QString& server, const QString& user, const QString& password) {
    m_key = Key(server, user);
    m_password = password;
    auto* job = new QKeychain::WritePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(m_key);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job](QKeychain::Job*) {
        m_storeWorked = job->error() == QKeychain::NoError;
        if (!m_storeWorked)
            emit storeFailed();
    });
    job->start();
}
