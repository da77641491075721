#pragma once
#include <QDialog>
#include <functional>
#include <string>

class CContactRecord;
class CKinbookDoc;
class CSheet;
class IClock;
class IMessageBox;
class QPushButton;
class QTreeWidget;

// "Search Results": every record that holds the find string in the chosen scope, in
// record-list order, with its default item. Details (or a double click) opens the
// dialog's own record editor on the record of the selected row.
class CSearchResultsDlg : public QDialog {
    Q_OBJECT
public:
    // Called after an OK in the editor, with the record and its last name from before,
    // so that the record can be filed again and the book saved as Edit Record does.
    using EditedHandler = std::function<void(CContactRecord&, const std::string&)>;

    CSearchResultsDlg(std::string findString, int scope, CKinbookDoc& doc, IMessageBox& messageBox,
                      IClock& clock, EditedHandler onEdited, QWidget* parent = nullptr);
    ~CSearchResultsDlg() override;

    // Rebuilds the list from the record list; the first row is selected.
    void RunSearch();
    // The record behind the selected row: the first in the record list whose display
    // name equals the row's, ignoring case; null when there is none.
    CContactRecord* SelectedRecord() const;

    QTreeWidget& List() const { return *m_list; }
    CSheet& Editor() const { return *m_editor; }

public slots:
    void OnDetails();
    void OnListClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetItemColumnHeader(const CContactRecord& record);

    std::string m_strFind;
    int m_nScope;
    CKinbookDoc& m_doc;
    EditedHandler m_onEdited;
    QTreeWidget* m_list;
    QPushButton* m_details;
    CSheet* m_editor;
    int m_nRows = 0;
};
