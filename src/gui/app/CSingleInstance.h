#pragma once
#include <QObject>
#include <QString>

class QSocketNotifier;

// The per-user lock that marks a running Kinbook. The kernel drops it when the
// process ends, however it ends, so a crash never blocks the next start. Beside it the
// holder listens on a local socket, so that a second start can ask it to show itself.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& name);
    ~CSingleInstance() override;
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
    // The socket beside the lock of that name.
    static QString SocketPath(const QString& name);
    // Asks the process that holds the lock to show its window, and to open the data
    // file at path when one is given. False when nobody listens; never waits for the
    // other process to act.
    static bool AskHolderToShow(const QString& name, const QByteArray& path = {});

signals:
    // Another start asked this one, the holder, to show itself (and to open the data
    // file at path, when that is not empty).
    void ShowRequested(const QByteArray& path);

private:
    void Listen();
    void OnConnection();

    QString m_name;
    int m_fd = -1;
    int m_listenFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
