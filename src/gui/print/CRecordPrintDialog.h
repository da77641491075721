#pragma once
#include "print/CPrintOptionsDialog.h"
#include <string>

class QCheckBox;
class QLabel;

// "Print Contact's Record": the page options for one record, whose display name shows
// in dark red, shortened with "..." to fit.
class CRecordPrintDialog : public CPrintOptionsDialog {
    Q_OBJECT
public:
    CRecordPrintDialog(const CPrintSettings& settings, const std::string& displayName,
                       IMessageBox& messageBox, QWidget* parent = nullptr);

    // The width the name is fitted to, in pixels.
    static constexpr int kNameWidth = 260;

protected:
    void StoreExtra() override;
    void ShowExtra() override;

private:
    QLabel* m_pName = nullptr;
    QCheckBox* m_pNotes = nullptr;
};
