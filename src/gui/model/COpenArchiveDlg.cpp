#include "model/COpenArchiveDlg.h"
#include "app/TextCodec.h"
#include "model/DataFileOps.h"
#include "port/IFileChooser.h"
#include "resources/DataFileIds.h"
#include "resources/ObjectName.h"
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* MakePathField(QWidget* parent, const char* idName) {
    auto* field = new QLineEdit(parent);
    SetIdName(field, idName);
    field->setReadOnly(true);
    field->setFrame(false);
    // The paths are drawn in dark blue.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 128));
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    field->setMinimumWidth(360);
    return field;
}

} // namespace

COpenArchiveDlg::COpenArchiveDlg(IFileChooser& fileChooser, QWidget* parent)
    : QDialog(parent), m_fileChooser(fileChooser) {
    SetIdName(this, "IDD_OPEN_ARCHIVE");
    setWindowTitle(tr("Open Archive"));

    m_current = MakePathField(this, "IDC_CURRENT_ARCHIVE");
    m_load = MakePathField(this, "IDC_LOAD_ARCHIVE");
    auto* browse = new QPushButton(tr("Browse"), this);
    SetIdName(browse, "IDC_ARCHIVE_BROWSE");
    browse->setAutoDefault(false);
    auto* load = new QPushButton(tr("&Load"), this);
    load->setObjectName(QStringLiteral("IDOK"));
    load->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    cancel->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &COpenArchiveDlg::OnBrowse);
    connect(load, &QPushButton::clicked, this, &COpenArchiveDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &COpenArchiveDlg::reject);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Current Archive:"), this), 0, 0, 1, 2);
    grid->addWidget(m_current, 1, 0, 1, 2);
    grid->addWidget(separator, 2, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Load Archive:"), this), 3, 0, 1, 2);
    grid->addWidget(m_load, 4, 0);
    grid->addWidget(browse, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(load);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void COpenArchiveDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strCurrent = FromQString(m_current->text());
        m_strLoad = FromQString(m_load->text());
    } else {
        m_current->setText(ToQString(m_strCurrent));
        m_load->setText(ToQString(m_strLoad));
        m_current->setCursorPosition(0);
        m_load->setCursorPosition(0);
    }
}

void COpenArchiveDlg::showEvent(QShowEvent* event) {
    UpdateData(false);
    QDialog::showEvent(event);
}

void COpenArchiveDlg::OnBrowse() {
    if (auto choice = m_fileChooser.ChooseOpen(DataFileOps::FileRequest())) {
        m_strLoad = choice->path;
        UpdateData(false);
    }
}

void COpenArchiveDlg::accept() {
    UpdateData(true);
    QDialog::accept();
}
