#pragma once
#include "print/CPrintOptionsDialog.h"

class CCategoryList;
class QCheckBox;
class QComboBox;

// "Contact Book Printing": the category to print, the page options and the six
// content choices.
class CBookPrintDialog : public CPrintOptionsDialog {
    Q_OBJECT
public:
    CBookPrintDialog(const CPrintSettings& settings, const CCategoryList& categories,
                     IMessageBox& messageBox, QWidget* parent = nullptr);

protected:
    void StoreExtra() override;
    void ShowExtra() override;
    void TakeSelections() override;

private:
    QComboBox* m_pCategory = nullptr;
    QCheckBox* m_pAlphaBreak = nullptr;
    QCheckBox* m_pContent[6] = {};
};
