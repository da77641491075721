#include "model/CDataFileWatcher.h"
#include "app/TextCodec.h"
#include <QApplication>
#include <QFileInfo>

namespace {

// Writers often touch a file several times in a row (write, then rename, then fix the
// times): the callback waits until they are done.
constexpr int kSettleMilliseconds = 200;
// While a dialog is open, how often to look again whether it closed.
constexpr int kBusyRetryMilliseconds = 500;

} // namespace

CDataFileWatcher::CDataFileWatcher(std::function<void()> onChange, QObject* parent)
    : QObject(parent), m_onChange(std::move(onChange)) {
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &CDataFileWatcher::OnSettled);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CDataFileWatcher::OnNotified);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CDataFileWatcher::OnNotified);
}

void CDataFileWatcher::Watch(const std::string& path) {
    const QString wanted = ToQString(path);
    if (wanted == m_path)
        return;
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = wanted;
    if (m_path.isEmpty())
        return;
    const QFileInfo info(m_path);
    m_watcher.addPath(info.absolutePath());
    if (info.exists())
        m_watcher.addPath(m_path);
}

void CDataFileWatcher::OnNotified() {
    // A file replaced by a rename, or created anew, is watched again.
    if (!m_path.isEmpty() && !m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
    m_settle.start(kSettleMilliseconds);
}

void CDataFileWatcher::OnSettled() {
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr) {
        m_settle.start(kBusyRetryMilliseconds);
        return;
    }
    if (m_onChange)
        m_onChange();
}
