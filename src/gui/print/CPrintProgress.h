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
    explicit CPrintProgress(QWidget* parent);
    ~CPrintProgress() override;

    bool Counted(int pages) override;
    bool Printed(int page, int first, int last) override;
    bool Cancelled() const { return m_bCancelled; }

    // How long a job runs before the dialog shows.
    static constexpr qint64 kShowAfterMs = 400;

private:
    bool Step(const QString& text, int value, int maximum);

    QWidget* m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_started;
    QElapsedTimer m_sinceEvents;
    bool m_bCancelled = false;
};
