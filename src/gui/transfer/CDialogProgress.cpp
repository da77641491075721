#include "transfer/CDialogProgress.h"
#include <QCoreApplication>
#include <QProgressBar>

namespace {
constexpr qint64 kEventIntervalMs = 15;
}

CDialogProgress::CDialogProgress(QProgressBar* bar) : m_bar(bar) {}

void CDialogProgress::SetPosition(int percent) {
    if (m_bar->value() != percent)
        m_bar->setValue(percent);
}

bool CDialogProgress::CancelRequested() {
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventIntervalMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_sinceEvents.start();
    }
    return m_bCancel;
}
