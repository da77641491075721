#include "edit/CPage3.h"
#include "app/TextCodec.h"
#include "edit/DateStamp.h"
#include "model/CContactRecord.h"
#include "port/IClock.h"
#include "resources/EditIds.h"
#include "resources/ObjectName.h"
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
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
    // Typed in at the cursor (over a selection), leaving the clipboard to the user; a
    // blank keeps it apart from a word right before it.
    QString stamp = ToQString(FormatDateStamp(m_clock.Now()));
    QTextCursor cursor = m_notes->textCursor();
    const int at = cursor.selectionStart();
    if (at > 0) {
        const QChar before = m_notes->document()->characterAt(at - 1);
        if (before != QLatin1Char(' ') && before != QLatin1Char('\n') &&
            before != QChar::ParagraphSeparator && before != QChar::LineSeparator)
            stamp.prepend(QLatin1Char(' '));
    }
    cursor.insertText(stamp);
    m_notes->setTextCursor(cursor);
    m_notes->setFocus();
}

void CPage3::OnClear() {
    m_notes->clear();
    m_notes->setFocus();
}
