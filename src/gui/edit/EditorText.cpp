#include "edit/EditorText.h"
#include "app/TextCodec.h"
#include "model/CContactRecord.h"
#include <QLineEdit>
#include <QPlainTextEdit>

void EditorText::Load(QLineEdit* edit, const std::string& bytes) {
    m_line = edit;
    m_plain = nullptr;
    edit->setText(ToQString(bytes));
    m_loaded = edit->text();
}

void EditorText::Load(QPlainTextEdit* edit, const std::string& bytes) {
    m_line = nullptr;
    m_plain = edit;
    edit->setPlainText(ToWidgetText(bytes));
    m_loaded = edit->toPlainText();
}

QString EditorText::Text() const {
    if (m_line)
        return m_line->text();
    if (m_plain)
        return m_plain->toPlainText();
    return {};
}

void EditorText::Apply(CRecordText& field) const {
    const QString now = Text();
    if (now == m_loaded)
        return;
    field = m_plain ? FromWidgetText(now) : FromQString(now);
}
