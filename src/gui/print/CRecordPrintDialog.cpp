#include "print/CRecordPrintDialog.h"
#include "app/TextCodec.h"
#include "resources/ObjectName.h"
#include "resources/PrintIds.h"
#include "view/FitText.h"
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

CRecordPrintDialog::CRecordPrintDialog(const CPrintSettings& settings,
                                       const std::string& displayName, IMessageBox& messageBox,
                                       QWidget* parent)
    : CPrintOptionsDialog(settings, messageBox,
                          {"IDC_RECORD_SIZE", "IDC_RECORD_PAUSE", "IDC_RECORD_BORDER",
                           "IDC_RECORD_TOP", "IDC_RECORD_LEFT", "IDC_RECORD_DEFAULTS",
                           "IDC_RECORD_FONTS", "IDC_RECORD_PRINT", "IDC_RECORD_PREVIEW"},
                          parent) {
    setWindowTitle(QStringLiteral("Print Contact's Record"));
    SetIdName(this, "IDD_PRINT_RECORD");

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(new QLabel(QStringLiteral("Printing Record:"), top));
    m_pName = new QLabel(top);
    m_pName->setTextFormat(Qt::PlainText);
    SetIdName(m_pName, "IDC_RECORD_NAME");
    m_pName->setFixedWidth(kNameWidth);
    QPalette palette = m_pName->palette();
    palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    m_pName->setPalette(palette);
    const QFontMetrics metrics(m_pName->font());
    m_pName->setText(
        ToQString(FitTextToWidth(displayName, kNameWidth, [&metrics](std::string_view t) {
            return metrics.horizontalAdvance(ToQString(t));
        })));
    topLayout->addWidget(m_pName);

    m_pNotes = NewCheck("Print Notes.", "IDC_RECORD_NOTES");
    connect(m_pNotes, &QCheckBox::clicked, this, &CRecordPrintDialog::StoreAll);

    BuildLayout(top, m_pNotes, nullptr);
    Open();
}

void CRecordPrintDialog::StoreExtra() {
    m_options.Settings().m_bContactNotes = m_pNotes->isChecked();
}

void CRecordPrintDialog::ShowExtra() {
    m_pNotes->setChecked(m_options.Settings().m_bContactNotes);
}
