#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

// Tells when the data file may have changed on disk because another program wrote,
// replaced or removed it. It watches the file and its folder (a file replaced by a rename
// is no longer the one the system watches), lets a burst of notifications settle, and
// calls back only while no dialog or menu is open: a command under way holds records of
// the book, which a merge may remove. The callback decides whether anything changed.
class CDataFileWatcher : public QObject {
    Q_OBJECT
public:
    explicit CDataFileWatcher(std::function<void()> onChange, QObject* parent = nullptr);

    // Watches path from now on (nothing for an empty path); the same path again changes
    // nothing.
    void Watch(const std::string& path);

private:
    void OnNotified();
    void OnSettled();

    std::function<void()> m_onChange;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
};
