#pragma once
#include "print/CPrintOptions.h"
#include <QDialog>
#include <functional>
#include <optional>

class IMessageBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QFont;
class QBoxLayout;

// What the two print option dialogs share: the size list, pause and border boxes,
// the margins, Defaults, Fonts, and "&Print", "Print Pre&view" and "&Cancel". They edit a
// copy of the print settings; the caller copies it back unless the result is Cancelled.
// Neither has a default button: Enter presses the focused button, or ends the dialog
// keeping the values (Kept) when no button has the focus.
class CPrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Cancelled = QDialog::Rejected, Kept = QDialog::Accepted, Print = 2, Preview = 3 };

    const CPrintSettings& Settings() const { return m_options.Settings(); }

    // The font chooser, replaceable in tests: edits the font, false when cancelled.
    using FontChooser = std::function<bool(QWidget* parent, QFont& font)>;
    void SetFontChooser(FontChooser chooser) { m_fontChooser = std::move(chooser); }

protected:
    // Object names of the shared controls (their constants' names).
    struct ControlNames {
        const char* size;
        const char* pause;
        const char* border;
        const char* top;
        const char* left;
        const char* defaults;
        const char* fonts;
        const char* print;
        const char* preview;
    };
    CPrintOptionsDialog(const CPrintSettings& settings, IMessageBox& messageBox,
                        const ControlNames& names, QWidget* parent);

    // Lays out the shared controls: sizes, boxes, margins and the side buttons; the
    // subclass puts its own controls into the given layouts.
    void BuildLayout(QWidget* top, QWidget* boxes, QWidget* extra);
    // The opening steps shared by both: sizes, unset margins, border rule, values.
    void Open();
    // Stores the check boxes and the margins; a bad margin is reported and keeps its
    // last valid value.
    void StoreAll();
    void ShowValues();

    virtual void StoreExtra() {}
    virtual void ShowExtra() {}
    // At the end of the dialog: the subclass takes its list selections.
    virtual void TakeSelections() {}

    void keyPressEvent(QKeyEvent* event) override;
    QCheckBox* NewCheck(const char* text, const char* name);

    CPrintOptions m_options;
    IMessageBox& m_messageBox;
    QComboBox* m_pSize = nullptr;
    QCheckBox* m_pPause = nullptr;
    QCheckBox* m_pBorder = nullptr;
    QLineEdit* m_pTop = nullptr;
    QLineEdit* m_pLeft = nullptr;
    QPushButton* m_pDefaults = nullptr;
    QPushButton* m_pFonts = nullptr;
    QPushButton* m_pPrint = nullptr;
    QPushButton* m_pPreview = nullptr;
    QPushButton* m_pCancel = nullptr;

private:
    void OnSizeActivated(int index);
    void OnBorderClicked();
    void OnMarginLeft();
    void OnDefaults();
    void OnFonts();
    void Finish(int result);

    FontChooser m_fontChooser;
    bool m_bStoring = false;
    std::optional<QString> m_reportedLeft, m_reportedTop; // texts already reported
};
