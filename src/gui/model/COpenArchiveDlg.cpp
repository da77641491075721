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
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace {

// A path in one line: elided in the middle when it is longer than the line (the file
// name and the start of the path stay), and whole in its tooltip.
class CPathLabel : public QLabel {
public:
    CPathLabel(QWidget* parent, const char* idName) : QLabel(parent) {
        SetIdName(this, idName);
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        // The paths are drawn in dark blue.
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        setPalette(palette);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    // A long path never widens the dialog: it is elided to the room the line gets.
    QSize sizeHint() const override { return {kMinimumWidth, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
    void SetPath(const QString& path) {
        m_path = path;
        setToolTip(path);
        Elide();
    }
    QString Path() const { return m_path; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    static constexpr int kMinimumWidth = 360;
    void Elide() {
        setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, contentsRect().width()));
    }
    QString m_path;
};

} // namespace

COpenArchiveDlg::COpenArchiveDlg(IFileChooser& fileChooser, QWidget* parent)
    : QDialog(parent), m_fileChooser(fileChooser) {
    SetIdName(this, "IDD_OPEN_ARCHIVE");
    setWindowTitle(tr("Open Archive"));

    m_current = new CPathLabel(this, "IDC_CURRENT_ARCHIVE");
    m_load = new CPathLabel(this, "IDC_LOAD_ARCHIVE");
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
    auto* current = static_cast<CPathLabel*>(m_current);
    auto* load = static_cast<CPathLabel*>(m_load);
    if (saveAndValidate) {
        m_strCurrent = FromQString(current->Path());
        m_strLoad = FromQString(load->Path());
    } else {
        current->SetPath(ToQString(m_strCurrent));
        load->SetPath(ToQString(m_strLoad));
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
