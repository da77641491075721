#include "print/CPrintOptionsDialog.h"
#include "app/TextCodec.h"
#include "print/CPaperSize.h"
#include "resources/ObjectName.h"
#include "resources/PrintIds.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool RunFontDialog(QWidget* parent, QFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

QPushButton* NewButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    SetIdName(button, name);
    // Enter is the dialog's to handle: a button never becomes the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

CPrintOptionsDialog::CPrintOptionsDialog(const CPrintSettings& settings, IMessageBox& messageBox,
                                         const ControlNames& names, QWidget* parent)
    : QDialog(parent), m_options(settings), m_messageBox(messageBox), m_fontChooser(RunFontDialog) {
    m_pSize = new QComboBox(this);
    SetIdName(m_pSize, names.size);
    m_pPause = NewCheck("Pause printing on each page break.", names.pause);
    m_pBorder = NewCheck("Add an outlined border of the page size.", names.border);
    m_pTop = new QLineEdit(this);
    SetIdName(m_pTop, names.top);
    m_pLeft = new QLineEdit(this);
    SetIdName(m_pLeft, names.left);
    m_pDefaults = NewButton(QStringLiteral("&Defaults"), names.defaults, this);
    m_pFonts = NewButton(QStringLiteral("&Fonts"), names.fonts, this);
    m_pPrint = NewButton(QStringLiteral("&Print"), names.print, this);
    m_pPreview = NewButton(QStringLiteral("Print Pre&view"), names.preview, this);
    m_pCancel = NewButton(QStringLiteral("&Cancel"), "IDC_PRINT_CANCEL", this);

    connect(m_pSize, &QComboBox::activated, this, &CPrintOptionsDialog::OnSizeActivated);
    connect(m_pBorder, &QCheckBox::clicked, this, &CPrintOptionsDialog::OnBorderClicked);
    connect(m_pPause, &QCheckBox::clicked, this, &CPrintOptionsDialog::StoreAll);
    // A margin is checked when its box is left and when the dialog ends, never while it
    // is being typed: clearing a box to type a new value is no mistake.
    for (QLineEdit* edit : {m_pTop, m_pLeft})
        connect(edit, &QLineEdit::editingFinished, this, &CPrintOptionsDialog::OnMarginLeft);
    connect(m_pDefaults, &QPushButton::clicked, this, &CPrintOptionsDialog::OnDefaults);
    connect(m_pFonts, &QPushButton::clicked, this, &CPrintOptionsDialog::OnFonts);
    connect(m_pPrint, &QPushButton::clicked, this, [this] { Finish(Print); });
    connect(m_pPreview, &QPushButton::clicked, this, [this] { Finish(Preview); });
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QCheckBox* CPrintOptionsDialog::NewCheck(const char* text, const char* name) {
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    SetIdName(box, name);
    return box;
}

void CPrintOptionsDialog::BuildLayout(QWidget* top, QWidget* boxes, QWidget* extra) {
    auto* main = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    main->addLayout(left, 1);
    if (top)
        left->addWidget(top);
    left->addWidget(new QLabel(QStringLiteral("Select Printed Size:"), this));
    left->addWidget(m_pSize);
    if (boxes)
        left->addWidget(boxes);
    left->addWidget(m_pPause);
    left->addWidget(m_pBorder);

    auto* margins = new QGroupBox(QStringLiteral("Margins in inches:"), this);
    auto* grid = new QGridLayout(margins);
    grid->addWidget(new QLabel(QStringLiteral("Top:"), margins), 0, 0);
    grid->addWidget(m_pTop, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Left:"), margins), 0, 2);
    grid->addWidget(m_pLeft, 0, 3);
    left->addWidget(margins);
    if (extra)
        left->addWidget(extra);
    left->addStretch(1);

    auto* buttons = new QVBoxLayout;
    main->addLayout(buttons);
    for (QPushButton* b : {m_pPrint, m_pPreview, m_pCancel, m_pDefaults, m_pFonts})
        buttons->addWidget(b);
    buttons->addStretch(1);
}

void CPrintOptionsDialog::Open() {
    m_options.Open();
    for (const auto& size : CPaperSize::All())
        m_pSize->addItem(ToQString(size.m_strName));
    ShowValues();
}

void CPrintOptionsDialog::ShowValues() {
    const CPrintSettings& s = m_options.Settings();
    const int index = m_pSize->findText(ToQString(s.m_strSelectedSize), Qt::MatchFixedString);
    m_pSize->setCurrentIndex(index);
    m_pPause->setChecked(s.m_bPause);
    m_pBorder->setChecked(s.m_bBorder);
    m_pBorder->setEnabled(m_options.IsBorderEnabled());
    m_pTop->setText(ToQString(CPrintOptions::FormatNumber(s.m_dTopMargin)));
    m_pLeft->setText(ToQString(CPrintOptions::FormatNumber(s.m_dLeftMargin)));
    m_reportedLeft.reset();
    m_reportedTop.reset();
    ShowExtra();
}

void CPrintOptionsDialog::StoreAll() {
    if (m_bStoring)
        return; // a message box is up and took the focus
    m_bStoring = true;
    CPrintSettings& s = m_options.Settings();
    s.m_bPause = m_pPause->isChecked();
    s.m_bBorder = m_pBorder->isChecked();
    StoreExtra();
    const auto failed = m_options.StoreMargins(FromQString(m_pLeft->text()),
                                               FromQString(m_pTop->text()), m_messageBox);
    m_reportedLeft.reset();
    m_reportedTop.reset();
    if (failed == CPrintOptions::MarginField::Left)
        m_reportedLeft = m_pLeft->text();
    else if (failed == CPrintOptions::MarginField::Top)
        m_reportedTop = m_pTop->text();
    if (failed == CPrintOptions::MarginField::Left)
        m_pLeft->setFocus();
    else if (failed == CPrintOptions::MarginField::Top)
        m_pTop->setFocus();
    m_bStoring = false;
}

void CPrintOptionsDialog::OnMarginLeft() {
    // Leaving a box whose text was just reported would only say it again.
    if ((m_reportedLeft && *m_reportedLeft == m_pLeft->text()) ||
        (m_reportedTop && *m_reportedTop == m_pTop->text()))
        return;
    StoreAll();
}

void CPrintOptionsDialog::OnSizeActivated(int index) {
    if (index < 0)
        return;
    m_options.SetSize(FromQString(m_pSize->itemText(index)));
    ShowValues();
}

void CPrintOptionsDialog::OnBorderClicked() {
    StoreAll();
    m_options.SetBorder(m_pBorder->isChecked());
    ShowValues();
}

void CPrintOptionsDialog::OnDefaults() {
    m_options.ApplyDefaults();
    ShowValues();
}

void CPrintOptionsDialog::OnFonts() {
    const CPrintFont& current = m_options.Settings().m_font;
    const QString stored = ToQString(current.m_strFaceName);
    // The chooser opens on the face that printing really uses: a stored face this
    // system lacks ("ARIAL") is printed in its substitute.
    const QString used = QFontInfo(QFont(stored)).family();
    QFont font(used);
    font.setPointSize(current.m_nHeight < 0 ? -current.m_nHeight : std::max(1, current.m_nHeight));
    if (!m_fontChooser || !m_fontChooser(this, font))
        return;
    // The substitute chosen again is the stored face still.
    const QString face = font.family() == used ? stored : font.family();
    m_options.SetFont(FromQString(face), font.pointSizeF());
}

void CPrintOptionsDialog::Finish(int result) {
    StoreAll();
    const int index = m_pSize->currentIndex();
    if (index >= 0)
        m_options.Settings().m_strSelectedSize = FromQString(m_pSize->itemText(index));
    TakeSelections();
    done(result);
}

void CPrintOptionsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            Finish(Kept);
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
