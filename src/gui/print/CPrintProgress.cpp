#include "print/CPrintProgress.h"
#include <QCoreApplication>
#include <QProgressDialog>

namespace {
constexpr qint64 kEventIntervalMs = 30;
}

CPrintProgress::CPrintProgress(QWidget* parent, qint64 showAfterMs)
    : m_parent(parent), m_nShowAfterMs(showAfterMs) {
    m_started.start();
}

CPrintProgress::~CPrintProgress() {
    delete m_dialog.data();
}

bool CPrintProgress::Counted(int pages) {
    return Step(QStringLiteral("Laying out the pages: %1 so far").arg(pages), 0, 0);
}

bool CPrintProgress::Printed(int page, int first, int last) {
    return Step(QStringLiteral("Page %1 of %2").arg(page).arg(last), page - first + 1,
                last - first + 1);
}

bool CPrintProgress::Step(const QString& text, int value, int maximum) {
    if (m_bCancelled)
        return false;
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return true;
    m_sinceEvents.start();
    if (!m_dialog) {
        if (m_started.elapsed() < m_nShowAfterMs)
            return true;
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("printProgress"));
        m_dialog->setWindowTitle(QStringLiteral("Printing"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        QObject::connect(m_dialog, &QProgressDialog::canceled, [this] { m_bCancelled = true; });
        m_dialog->show();
    }
    m_dialog->setLabelText(text);
    m_dialog->setRange(0, maximum);
    m_dialog->setValue(value);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_bCancelled;
}
