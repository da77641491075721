#pragma once
#include "edit/CSearchResultsDlg.h"
#include <QDialog>

class CKinbookDoc;
class IClock;
class IFileChooser;
class IMessageBox;
class QButtonGroup;
class QLineEdit;

// "Find Contact": the find string and one of five scopes. Find runs the search results
// dialog; when that closes, this one closes too. Nothing is remembered between openings.
class CFindDlg : public QDialog {
    Q_OBJECT
public:
    CFindDlg(CKinbookDoc& doc, IMessageBox& messageBox, IClock& clock,
             CSearchResultsDlg::EditedHandler onEdited, QWidget* parent = nullptr);

    QLineEdit& FindString() const { return *m_findString; }
    int Scope() const;
    void SetScope(int scope);
    // Handed on to the results' record editor, for setting a photo.
    void SetFileChooser(IFileChooser* chooser) { m_fileChooser = chooser; }

public slots:
    // Refuses an empty find string (the dialog stays open); otherwise runs the results
    // dialog and then closes.
    void OnFind();

private:
    CKinbookDoc& m_doc;
    IMessageBox& m_messageBox;
    IClock& m_clock;
    CSearchResultsDlg::EditedHandler m_onEdited;
    QLineEdit* m_findString;
    QButtonGroup* m_scope;
    IFileChooser* m_fileChooser = nullptr;
};
