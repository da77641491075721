#include "app/CSingleInstance.h"
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// The longest path a second start passes on.
constexpr qsizetype kMaxPath = 4096;

#ifdef Q_OS_UNIX
// O_NOFOLLOW: in a shared temporary directory another user could plant a link.
int OpenLockFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// flock belongs to the open file: released on close and at process end, and a
// second open in the same process does not inherit it.
bool TryLock(int fd) {
    int rc = -1;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
}

// The socket's address; false when the path does not fit.
bool SocketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray native = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<std::size_t>(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    return true;
}
#endif

} // namespace

CSingleInstance::CSingleInstance(const QString& name) : m_name(name) {}

CSingleInstance::~CSingleInstance() {
#ifdef Q_OS_UNIX
    if (m_listenFd >= 0) {
        delete m_notifier;
        ::close(m_listenFd);
        // Still the holder here: nobody else can have bound the path meanwhile.
        ::unlink(QFile::encodeName(SocketPath(m_name)).constData());
    }
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

QString CSingleInstance::SocketPath(const QString& name) {
    QString path = LockPath(name);
    path.chop(int(QStringLiteral(".lock").size()));
    return path + QStringLiteral(".sock");
}

void CSingleInstance::Listen() {
#ifdef Q_OS_UNIX
    sockaddr_un address;
    const QString path = SocketPath(m_name);
    if (!SocketAddress(path, address))
        return; // a second start then simply ends, as it always could
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // A socket left by a process that was killed: the lock is ours, so it is stale.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0) {
        ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSingleInstance::OnConnection);
#endif
}

void CSingleInstance::OnConnection() {
#ifdef Q_OS_UNIX
    for (;;) {
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        // The second start writes the path of the file it was given, if any, and
        // closes; a client that says nothing is not waited for long.
        const timeval wait{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        QByteArray path;
        char buffer[1024];
        for (;;) {
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            path.append(buffer, n);
            if (path.size() > kMaxPath) {
                path.clear(); // not a path this program would have sent
                break;
            }
        }
        ::close(client);
        emit ShowRequested(path);
    }
#endif
}

bool CSingleInstance::AskHolderToShow(const QString& name, const QByteArray& path) {
#ifdef Q_OS_UNIX
    sockaddr_un address;
    if (!SocketAddress(SocketPath(name), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int rc = -1;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc < 0 && errno == EINTR);
    for (qsizetype sent = 0; rc == 0 && sent < path.size();) {
        const ssize_t n = ::send(fd, path.constData() + sent, std::size_t(path.size() - sent),
                                 MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the window is still asked to show
        sent += n;
    }
    ::close(fd);
    return rc == 0;
#else
    Q_UNUSED(name);
    Q_UNUSED(path);
    return false;
#endif
}

QString CSingleInstance::LockPath(const QString& name) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString file = name + QStringLiteral(".lock");
    if (dir.isEmpty() || !QDir().mkpath(dir)) {
        dir = QDir::tempPath();
#ifdef Q_OS_UNIX
        file = QStringLiteral("%1-%2.lock").arg(name).arg(::getuid());
#endif
    }
    return QDir(dir).filePath(file);
}

bool CSingleInstance::Claim() {
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        return true;
    const int fd = OpenLockFile(LockPath(m_name));
    if (fd < 0)
        return true; // nowhere to keep a lock: run rather than refuse to start
    if (!TryLock(fd)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    Listen();
    return true;
#else
    return true;
#endif
}

bool CSingleInstance::IsHeldElsewhere(const QString& name) {
#ifdef Q_OS_UNIX
    const int fd = OpenLockFile(LockPath(name));
    if (fd < 0)
        return false;
    const bool free = TryLock(fd);
    ::close(fd);
    return !free;
#else
    Q_UNUSED(name);
    return false;
#endif
}
