#pragma once
#include "model/CRecordExtras.h"
#include <QDate>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class CContactRecord;
class IFileChooser;
class IMessageBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

// The More page of the record editor: what the contact has beyond its fields, as rows of
// label and value (a date field for dates), and its photo. Rows the user leaves alone go
// back exactly as they came (see ExtraRows).
class CPage4 : public QWidget {
    Q_OBJECT
public:
    CPage4(IMessageBox& messageBox, QWidget* parent = nullptr);
    // Without a file chooser a photo can be removed but not set.
    void SetFileChooser(IFileChooser* chooser);
    void Load(const CContactRecord& record);
    void Apply(CContactRecord& record) const;

    QTableWidget* Rows() const { return m_table; }
    // The label list and the value editor (a QLineEdit or a QDateEdit) of row r.
    QComboBox* LabelBox(int row) const;
    QWidget* ValueEditor(int row) const;

public slots:
    void OnAddRow();
    void OnRemoveRow();
    void OnSetPhoto();
    void OnRemovePhoto();

private:
    struct RowState {
        std::size_t source;      // the property it came from, or npos
        QString loadedText;      // the value as shown when loaded
        std::string loadedValue; // the value's bytes as loaded
        QDate loadedDate;        // the value as a date, when it is one
        bool noYear = false;     // a date without a year (--MM-DD)
    };
    void AddRow(const QString& label, const std::string& value, std::size_t source);
    // Puts a date field or a text box in the row as its label asks, keeping the value.
    void SetValueEditor(int row);
    int RowOf(const QWidget* editor) const;
    std::string RowValue(int row) const;
    void ShowPhoto();
    void UpdateButtons();
    bool eventFilter(QObject* watched, QEvent* event) override;

    IMessageBox& m_messageBox;
    IFileChooser* m_fileChooser = nullptr;
    QTableWidget* m_table;
    QPushButton* m_add;
    QPushButton* m_remove;
    QLabel* m_photo;
    QPushButton* m_setPhoto;
    QPushButton* m_removePhoto;

    CRecordExtras m_before;                  // the extras the rows were made from
    std::vector<RowState> m_rows;            // beside the table's rows
    std::optional<std::string> m_photoBytes; // the photo as it stands on the page
    std::string m_photoType;
    bool m_photoChanged = false;
    bool m_hasPhoto = false;
};
