#pragma once
#include <QString>
#include <string>

class CRecordText;
class QLineEdit;
class QPlainTextEdit;

// Moves one text value between a record field and an editor box. The box's text as
// loaded is kept, so that a value the user did not touch goes back byte for byte
// (bytes that are not UTF-8 and lone line ends survive an OK).
class EditorText {
public:
    void Load(QLineEdit* edit, const std::string& bytes);
    void Load(QPlainTextEdit* edit, const std::string& bytes);
    // The box's text now.
    QString Text() const;
    // Stores the box's text into field, unless it is still the text loaded.
    void Apply(CRecordText& field) const;

private:
    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_plain = nullptr;
    QString m_loaded;
};
