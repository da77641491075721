#pragma once
#include "model/CRecordList.h"
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class CCategoryList;
class CKinbookDoc;
class CDialogProgress;
class QLabel;
class QProgressBar;
class QPushButton;
struct AppServices;

// "Import Records": runs the import with its progress and Cancel.
class CImportRecordsDlg : public QDialog {
    Q_OBJECT
public:
    CImportRecordsDlg(QWidget* parent, std::string path, int recordCount, CRecordList& records,
                      const CCategoryList& categories, std::vector<std::string> rowNames,
                      AppServices& services);
    // A vCard file: every card becomes a record, no matching of columns.
    CImportRecordsDlg(QWidget* parent, std::string path, CKinbookDoc& doc, AppServices& services);
    ~CImportRecordsDlg() override;

    QString DisplayedPath() const;
    // Begin Import: runs the import, then closes the dialog.
    void OnBeginImport();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();

    std::string m_strPath;
    int m_nRecordCount;
    CRecordList& m_records;
    const CCategoryList& m_categories;
    std::vector<std::string> m_rowNames;
    AppServices& m_services;
    CKinbookDoc* m_pVCardDoc = nullptr;

    QLabel* m_fileName;
    QLabel* m_progressLabel;
    QProgressBar* m_progressBar;
    QPushButton* m_begin;
    std::unique_ptr<CDialogProgress> m_progress;
};
