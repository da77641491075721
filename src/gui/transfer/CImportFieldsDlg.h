#pragma once
#include "model/CRecordList.h"
#include "transfer/FileFormat.h"
#include "transfer/ImportProcedure.h"
#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

class CCategoryList;
class CRecordUids;
class CRowDragSwapper;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
struct AppServices;

// The field-matching dialog of the import: previews the file a record at a time and lets
// the user line up the contact field names (column 0) against the file's columns (the
// values in column 1 and the column names in column 2 belong to the file and never move).
// A first line of column names is recognised and the rows arranged by them; the separator
// and encoding in use are shown and can be overridden.
class CImportFieldsDlg : public QDialog {
    Q_OBJECT
public:
    // uids: where the cards of a vCard file leave their UIDs (null: not kept).
    CImportFieldsDlg(QWidget* parent, std::string path, CRecordList& records,
                     CCategoryList& categories, AppServices& services, CRecordUids* uids = nullptr);

    // The counting scan and the preview of record 1. False when the file cannot be read as
    // delimited text: the dialog is then not shown.
    bool Initialize();
    // Initialize, then run modally. A vCard file names its own fields: it goes straight
    // to the import records dialog, without the matching step.
    int Run();

    QStringList RowNames() const;
    QString ValueText(int row) const;
    int CurrentRecord() const { return m_nRecord; }
    int RecordCount() const { return m_nRecordCount; }
    QTreeWidget* MatchingList() const { return m_list; }
    const DetectedFormat& Format() const { return m_format; }
    // What the import did (when it ran).
    const ImportResult& LastResult() const { return m_result; }
    // The choices of the dialog: the header box, the separator and the encoding.
    void SetHeaderChoice(bool firstLineHoldsNames);
    void SetSeparatorChoice(Separator separator);
    void SetEncodingChoice(TextEncoding encoding, const std::string& charset = {});
    // What is typed into the encoding box: one of its items, or the name of any charset
    // the system knows. A name it does not know is said so and the choice stays.
    void OnEncodingText(const QString& text);
    CRowDragSwapper* Dragger() const { return m_drag; }

    void OnNext();
    void OnPrevious();
    void OnUp();
    void OnDown();
    void OnToggle();
    // "&Import": runs the import records dialog, then closes.
    void OnImport();

private:
    // Runs the import records dialog with the file's format and these rows; its result.
    int ImportRecords(std::vector<std::string> rows);
    // Reads the file again with the current choices and arranges the rows.
    bool Scan();
    void ShowFormat();
    void Preview();
    void ShowRecordNumber();
    int SelectedRow() const;
    void MoveName(int delta);
    void SwapNames(int a, int b);
    void SelectRow(int row);

    std::string m_strPath;
    CRecordList& m_records;
    CCategoryList& m_categories;
    AppServices& m_services;
    CRecordUids* m_pUids;
    ImportFormatChoice m_choice;
    DetectedFormat m_format;
    ImportResult m_result;
    std::vector<char> m_buffer;
    int m_nRecordCount = 0;
    int m_nFieldCount = 0;
    std::vector<bool> m_valued; // per column: whether a record holds a value there
    int m_nRecord = 1;

    QTreeWidget* m_list;
    QCheckBox* m_header;
    QComboBox* m_separator;
    QComboBox* m_encoding;
    QLabel* m_inUse;
    QPushButton* m_previous;
    QPushButton* m_next;
    QLabel* m_recordNumber;
    CRowDragSwapper* m_drag;
};
