#pragma once
#include "print/PrintRunner.h"
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// Progress of a long print or preview: a modal dialog that tells the pages laid out so
// far and has a Cancel button. A short job never shows it. Between pages it lets the
// dialog handle its input every few milliseconds, so Cancel stops the job at once.
class CPrintProgress final : public IPrintProgress {
public:
    // How long a job runs before the dialog shows.
    static constexpr qint64 kShowAfterMs = 400;

    explicit CPrintProgress(QWidget* parent, qint64 showAfterMs = kShowAfterMs);
    ~CPrintProgress() override;

    bool Counted(int pages) override;
    bool Printed(int page, int first, int last) override;
    bool Cancelled() const { return m_bCancelled; }

private:
    bool Step(const QString& text, int value, int maximum);

    QWidget* m_parent;
    qint64 m_nShowAfterMs;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_started;
    QElapsedTimer m_sinceEvents;
    bool m_bCancelled = false;
};
