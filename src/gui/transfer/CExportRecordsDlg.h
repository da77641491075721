#pragma once
#include "model/CRecordList.h"
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class CCategoryList;
class CRecordUids;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class CDialogProgress;
struct AppServices;

// "Export Records": confirms the variant and runs the export, with its progress and Cancel.
class CExportRecordsDlg : public QDialog {
    Q_OBJECT
public:
    CExportRecordsDlg(QWidget* parent, const CRecordList& records, const CCategoryList& categories,
                      std::vector<std::string> columns, int nCategory, std::string path,
                      int filterIndex, AppServices& services, CRecordUids* uids = nullptr);
    ~CExportRecordsDlg() override;

    const std::string& Path() const { return m_strPath; }
    QString DisplayedPath() const;
    // Begin Export: runs the export, then closes the dialog.
    void OnBeginExport();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnVariantChanged();
    void ShowPath();

    const CRecordList& m_records;
    const CCategoryList& m_categories;
    std::vector<std::string> m_columns;
    int m_nCategory;
    std::string m_strPath;
    AppServices& m_services;
    CRecordUids* m_pUids;
    std::unique_ptr<CRecordUids> m_ownUids; // when the caller has none: made from content

    QLabel* m_fileName;
    QComboBox* m_format;
    QLabel* m_progressLabel;
    QProgressBar* m_progressBar;
    QPushButton* m_begin;
    QPushButton* m_cancel;
    std::unique_ptr<CDialogProgress> m_progress;
};
