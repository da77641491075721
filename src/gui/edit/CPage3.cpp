#include "edit/CPage3.h"
#include "app/TextCodec.h"
#include "edit/DateStamp.h"
#include "model/CContactRecord.h"
#include "port/IClock.h"
#include "resources/EditIds.h"
#include "resources/ObjectName.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CPage3::CPage3(IClock& clock, QWidget* parent) : QWidget(parent), m_clock(clock) {
    SetIdName(this, "IDD_PAGE_NOTES");
    m_notes = new QPlainTextEdit(this);
    SetIdName(m_notes, "IDC_NOTES");
    m_notes->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setTabChangesFocus(true);
    auto* stamp = new QPushButton(QStringLiteral("&Insert Date/Time Stamp"), this);
    SetIdName(stamp, "IDC_DATE_STAMP");
    stamp->setAutoDefault(false);
    auto* clear = new QPushButton(QStringLiteral("&Clear"), this);
    SetIdName(clear, "IDC_CLEAR_NOTES");
    clear->setAutoDefault(false);
    connect(stamp, &QPushButton::clicked, this, &CPage3::OnInsertDateStamp);
    connect(clear, &QPushButton::clicked, this, &CPage3::OnClear);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(stamp);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_notes, 1);
    layout->addLayout(buttons);
}

void CPage3::Load(const CContactRecord& r) {
    m_notesText.Load(m_notes, r.m_strNotes);
}

void CPage3::Apply(CContactRecord& r) const {
    m_notesText.Apply(r.m_strNotes);
}

void CPage3::OnInsertDateStamp() {
    const QString stamp = ToQString(FormatDateStamp(m_clock.Now()));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(stamp);
    // The stamp goes in through the clipboard, as a paste would; where the platform has
    // no clipboard, it is typed in directly so that it is never lost.
    if (clipboard->text() == stamp)
        m_notes->paste();
    else
        m_notes->insertPlainText(stamp);
    m_notes->setFocus();
}

void CPage3::OnClear() {
    m_notes->clear();
    m_notes->setFocus();
}
