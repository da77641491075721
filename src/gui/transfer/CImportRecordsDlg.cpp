#include "transfer/CImportRecordsDlg.h"
#include "app/AppServices.h"
#include "model/CKinbookDoc.h"
#include "resources/ObjectName.h"
#include "resources/TransferIds.h"
#include "transfer/CDialogProgress.h"
#include "transfer/ImportProcedure.h"
#include "transfer/TransferWidgets.h"
#include "transfer/VCardTransfer.h"
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int kFileNameWidth = 380;
}

CImportRecordsDlg::CImportRecordsDlg(QWidget* parent, std::string path, int recordCount,
                                     CRecordList& records, const CCategoryList& categories,
                                     std::vector<std::string> rowNames, AppServices& services)
    : QDialog(parent), m_strPath(std::move(path)), m_nRecordCount(recordCount), m_records(records),
      m_categories(categories), m_rowNames(std::move(rowNames)), m_services(services) {
    Build();
}

CImportRecordsDlg::CImportRecordsDlg(QWidget* parent, std::string path, CKinbookDoc& doc,
                                     AppServices& services)
    : QDialog(parent), m_strPath(std::move(path)), m_nRecordCount(0), m_records(doc.GetRecords()),
      m_categories(doc.GetCategories()), m_services(services), m_pVCardDoc(&doc) {
    Build();
}

void CImportRecordsDlg::Build() {
    SetIdName(this, "IDD_IMPORT_RECORDS");
    setWindowTitle(QStringLiteral("Import Records"));

    m_fileName = new QLabel(this);
    SetIdName(m_fileName, "IDC_IMPORT_FILE_NAME");
    m_fileName->setMinimumWidth(kFileNameWidth);
    m_fileName->setMaximumWidth(kFileNameWidth);
    transfer_gui::SetTextColor(m_fileName, 128, 0, 0);
    m_progressLabel = new QLabel(QStringLiteral("Progress:"), this);
    SetIdName(m_progressLabel, "IDC_IMPORT_PROGRESS_LABEL");
    m_progressBar = new QProgressBar(this);
    SetIdName(m_progressBar, "IDC_IMPORT_PROGRESS");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_begin = new QPushButton(QStringLiteral("&Begin Import"), this);
    SetIdName(m_begin, "IDC_TRANSFER_OK");
    m_begin->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    SetIdName(cancel, "IDC_TRANSFER_CANCEL");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Importing From file:"), this), 0, 0);
    grid->addWidget(m_fileName, 0, 1);
    grid->addWidget(m_progressLabel, 1, 0);
    grid->addWidget(m_progressBar, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_begin);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    m_fileName->setText(transfer_gui::DisplayPath(m_strPath, m_fileName));
    m_progressLabel->hide();
    m_progressBar->hide();
    m_progress = std::make_unique<CDialogProgress>(m_progressBar);

    connect(m_begin, &QPushButton::clicked, this, [this] { OnBeginImport(); });
    connect(cancel, &QPushButton::clicked, this, &CImportRecordsDlg::reject);
}

CImportRecordsDlg::~CImportRecordsDlg() = default;

QString CImportRecordsDlg::DisplayedPath() const {
    return m_fileName->text();
}

void CImportRecordsDlg::OnBeginImport() {
    if (m_progress->Running())
        return;
    m_progressLabel->show();
    m_progressBar->show();
    m_begin->hide();
    m_progress->SetRunning(true);
    ImportOutcome outcome = ImportOutcome::Completed;
    if (m_pVCardDoc) {
        outcome = RunVCardImport(m_strPath, m_pVCardDoc->GetRecords(), m_pVCardDoc->GetCategories(),
                                 &m_pVCardDoc->Uids(), m_services.fileSystem, m_services.messageBox,
                                 *m_progress)
                      .outcome;
    } else {
        outcome = RunImport(m_strPath, m_nRecordCount, m_rowNames, m_records, m_categories,
                            m_services.fileSystem, m_services.messageBox, *m_progress)
                      .outcome;
    }
    m_progress->SetRunning(false);
    if (outcome == ImportOutcome::Completed)
        accept();
    else
        QDialog::reject();
}

void CImportRecordsDlg::reject() {
    // While the import runs, Cancel (or Escape) asks it to stop after the current record.
    if (m_progress->Running()) {
        m_progress->RequestCancel();
        return;
    }
    QDialog::reject();
}

void CImportRecordsDlg::closeEvent(QCloseEvent* event) {
    if (m_progress->Running()) {
        m_progress->RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
