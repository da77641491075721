#include "app/CSingleInstance.h"
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

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
#endif

} // namespace

CSingleInstance::CSingleInstance(const QString& name) : m_name(name) {}

CSingleInstance::~CSingleInstance() {
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
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
