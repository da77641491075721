#pragma once
#include "port/IProgress.h"
#include <QElapsedTimer>

class QProgressBar;

// Progress of an export or import shown in its dialog's bar. Asking for a cancel lets the
// dialog handle its input (its Cancel button; every other window is blocked by the modal
// dialog) at most every few milliseconds, so a long run stays responsive without paying for
// an event round per record.
class CDialogProgress final : public IProgress {
public:
    explicit CDialogProgress(QProgressBar* bar);
    void SetPosition(int percent) override;
    bool CancelRequested() override;
    void RequestCancel() { m_bCancel = true; }
    bool Running() const { return m_bRunning; }
    void SetRunning(bool on) { m_bRunning = on; }

private:
    QProgressBar* m_bar;
    QElapsedTimer m_sinceEvents;
    bool m_bCancel = false;
    bool m_bRunning = false;
};
