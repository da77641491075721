#pragma once
#include <QObject>

class QSocketNotifier;

// SIGTERM (the session ending, a service manager, kill), SIGHUP and SIGINT would end
// the program without its settings being written. They are turned into a signal of the
// event loop instead, so the program can end as it ends from its menu.
class CEndSignals : public QObject {
    Q_OBJECT
public:
    explicit CEndSignals(QObject* parent = nullptr);
    ~CEndSignals() override;

signals:
    void EndRequested();

private:
    void OnReadable();
    QSocketNotifier* m_notifier = nullptr;
};
