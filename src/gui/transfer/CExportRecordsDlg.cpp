#include "transfer/CExportRecordsDlg.h"
#include "app/AppServices.h"
#include "app/TextCodec.h"
#include "model/CRecordUids.h"
#include "resources/ObjectName.h"
#include "resources/TransferIds.h"
#include "transfer/CDialogProgress.h"
#include "transfer/ExportProcedure.h"
#include "transfer/TransferWidgets.h"
#include "transfer/VCardTransfer.h"
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int kFileNameWidth = 380;
}

CExportRecordsDlg::CExportRecordsDlg(QWidget* parent, const CRecordList& records,
                                     const CCategoryList& categories,
                                     std::vector<std::string> columns, int nCategory,
                                     std::string path, int filterIndex, AppServices& services,
                                     CRecordUids* uids)
    : QDialog(parent), m_records(records), m_categories(categories), m_columns(std::move(columns)),
      m_nCategory(nCategory), m_strPath(std::move(path)), m_services(services), m_pUids(uids) {
    if (!m_pUids) {
        m_ownUids = std::make_unique<CRecordUids>();
        m_pUids = m_ownUids.get();
    }
    SetIdName(this, "IDD_EXPORT_RECORDS");
    setWindowTitle(QStringLiteral("Export Records"));

    m_fileName = new QLabel(this);
    SetIdName(m_fileName, "IDC_EXPORT_FILE_NAME");
    m_fileName->setMinimumWidth(kFileNameWidth);
    m_fileName->setMaximumWidth(kFileNameWidth);
    transfer_gui::SetTextColor(m_fileName, 128, 0, 0);
    m_format = new QComboBox(this);
    SetIdName(m_format, "IDC_EXPORT_FORMAT");
    m_progressLabel = new QLabel(QStringLiteral("Progress:"), this);
    SetIdName(m_progressLabel, "IDC_EXPORT_PROGRESS_LABEL");
    m_progressBar = new QProgressBar(this);
    SetIdName(m_progressBar, "IDC_EXPORT_PROGRESS");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_begin = new QPushButton(QStringLiteral("&Begin Export"), this);
    SetIdName(m_begin, "IDC_TRANSFER_OK");
    m_begin->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    SetIdName(m_cancel, "IDC_TRANSFER_CANCEL");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Exported File Name:"), this), 0, 0);
    grid->addWidget(m_fileName, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Export Format:"), this), 1, 0);
    grid->addWidget(m_format, 1, 1, 1, 2);
    grid->addWidget(m_progressLabel, 2, 0);
    grid->addWidget(m_progressBar, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_begin);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);

    m_format->addItem(QString::fromLatin1(kVariantCommaName));
    m_format->addItem(QString::fromLatin1(kVariantTabName));
    m_format->addItem(QString::fromLatin1(kVariantVCard40Name));
    m_format->addItem(QString::fromLatin1(kVariantVCard30Name));
    const bool vcard = filterIndex == kFilterIndexVCard40 || filterIndex == kFilterIndexVCard30;
    if (ExtensionOf(m_strPath).empty())
        m_strPath = vcard ? PathForVCard(m_strPath) : PathWithExtension(m_strPath, filterIndex);
    ShowPath();
    m_format->setCurrentIndex(filterIndex == 2                     ? 0
                              : filterIndex == kFilterIndexVCard40 ? 2
                              : filterIndex == kFilterIndexVCard30 ? 3
                                                                   : 1);
    m_progressLabel->hide();
    m_progressBar->hide();
    m_progress = std::make_unique<CDialogProgress>(m_progressBar);

    connect(m_format, &QComboBox::currentIndexChanged, this, [this] { OnVariantChanged(); });
    connect(m_begin, &QPushButton::clicked, this, [this] { OnBeginExport(); });
    connect(m_cancel, &QPushButton::clicked, this, &CExportRecordsDlg::reject);
}

CExportRecordsDlg::~CExportRecordsDlg() = default;

QString CExportRecordsDlg::DisplayedPath() const {
    return m_fileName->text();
}

void CExportRecordsDlg::ShowPath() {
    m_fileName->setText(transfer_gui::DisplayPath(m_strPath, m_fileName));
}

void CExportRecordsDlg::OnVariantChanged() {
    const std::string variant = FromQString(m_format->currentText());
    m_strPath = IsVCardVariant(variant) ? PathForVCard(m_strPath)
                                        : PathForVariant(m_strPath, VariantFromText(variant));
    ShowPath();
}

void CExportRecordsDlg::OnBeginExport() {
    if (m_progress->Running())
        return;
    m_progressLabel->show();
    m_progressBar->show();
    m_format->hide();
    m_begin->hide();
    const std::string variant = FromQString(m_format->currentText());
    m_progress->SetRunning(true);
    ExportResult result;
    if (IsVCardVariant(variant)) {
        // Every field goes into a card: the field list does not apply.
        const VCardExportRequest request{m_strPath, m_nCategory, VCardVersionOf(variant)};
        result = RunVCardExport(m_records, m_categories, *m_pUids, request, m_services.fileSystem,
                                m_services.messageBox, *m_progress);
    } else {
        const ExportRequest request{m_strPath, m_nCategory, m_columns, variant};
        result = RunExport(m_records, m_categories, request, m_services.fileSystem,
                           m_services.messageBox, *m_progress);
    }
    m_progress->SetRunning(false);
    if (result.outcome == ExportOutcome::Cancelled)
        QDialog::reject();
    else
        accept();
}

void CExportRecordsDlg::reject() {
    // While the export runs, Cancel (or Escape) asks it to stop between records.
    if (m_progress->Running()) {
        m_progress->RequestCancel();
        return;
    }
    QDialog::reject();
}

void CExportRecordsDlg::closeEvent(QCloseEvent* event) {
    if (m_progress->Running()) {
        m_progress->RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
