#pragma once
#include <QString>

// The per-user lock that marks a running Kinbook. The kernel drops it when the
// process ends, however it ends, so a crash never blocks the next start.
class CSingleInstance {
public:
    explicit CSingleInstance(const QString& name);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when this process now holds the lock; false when another one does.
    // A lock file that cannot be opened at all does not stop the program.
    bool Claim();
    bool Held() const { return m_fd >= 0; }

    // Where the lock of that name lives: the user's runtime directory, else the
    // temporary directory with the user id in the name.
    static QString LockPath(const QString& name);
    // True when some process holds the lock of that name.
    static bool IsHeldElsewhere(const QString& name);

private:
    QString m_name;
    int m_fd = -1;
};
