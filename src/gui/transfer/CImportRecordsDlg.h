#pragma once
#include "model/CRecordList.h"
#include "transfer/ImportProcedure.h"
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class CCategoryList;
class CDialogProgress;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
struct AppServices;

// "Import Records": runs the import with its progress and Cancel.
class CImportRecordsDlg : public QDialog {
    Q_OBJECT
public:
    // options: how to read the file and the matching list's rows; the dialog adds where
    // the records go.
    CImportRecordsDlg(QWidget* parent, std::string path, int recordCount, CRecordList& records,
                      CCategoryList& categories, ImportOptions options, AppServices& services);
    ~CImportRecordsDlg() override;

    QString DisplayedPath() const;
    // What the last Begin Import did.
    const ImportResult& LastResult() const { return m_result; }
    // Begin Import: runs the import, then closes the dialog.
    void OnBeginImport();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::string m_strPath;
    int m_nRecordCount;
    CRecordList& m_records;
    CCategoryList& m_categories;
    ImportOptions m_options;
    AppServices& m_services;
    ImportResult m_result;

    QComboBox* m_defaultCategory;
    QCheckBox* m_createCategories;
    QLabel* m_fileName;
    QLabel* m_progressLabel;
    QProgressBar* m_progressBar;
    QPushButton* m_begin;
    std::unique_ptr<CDialogProgress> m_progress;
};
