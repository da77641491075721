#pragma once
#include "edit/EditorText.h"
#include <QWidget>

class CContactRecord;
class IClock;
class QPlainTextEdit;
class QPushButton;

// The Notes page of the record editor: the notes, a date/time stamp and Clear.
class CPage3 : public QWidget {
    Q_OBJECT
public:
    CPage3(IClock& clock, QWidget* parent = nullptr);
    void Load(const CContactRecord& record);
    void Apply(CContactRecord& record) const;

public slots:
    // Puts the stamp of the current local time on the clipboard and pastes it at the
    // caret, replacing the selection.
    void OnInsertDateStamp();
    void OnClear();

private:
    IClock& m_clock;
    QPlainTextEdit* m_notes;
    EditorText m_notesText;
};
