#pragma once
#include <QDialog>
#include <array>

class CContactRecord;
class CCategoryList;
class CPage1;
class CPage2;
class CPage3;
class CPage4;
class IClock;
class IFileChooser;
class IMessageBox;
class QTabWidget;

// The record editor "Contact Information": a modal tabbed dialog with the pages Name,
// Address, Notes and More that edits one record in place. Its owner keeps it for its whole
// life and prepares it again for every record; the editor never files or saves.
//
// OK applies the pages the user has seen, in page order. A last name that cannot be
// filed is refused with a message and the editor stays open on the Name page, so that
// nothing typed is lost; Cancel applies nothing.
class CSheet : public QDialog {
    Q_OBJECT
public:
    CSheet(IMessageBox& messageBox, IClock& clock, QWidget* parent = nullptr);
    ~CSheet() override;
    // The file chooser the More page sets a photo with; without one it sets none.
    void SetFileChooser(IFileChooser* chooser);

    // Loads every page from the record and turns to the Name page.
    void Prepare(CContactRecord& record, const CCategoryList& categories);
    // Runs the editor modally; true when it closed with OK (the record has been changed).
    bool Open();

    CPage1& NamePage() const { return *m_page1; }
    CPage2& AddressPage() const { return *m_page2; }
    CPage3& NotesPage() const { return *m_page3; }
    CPage4& MorePage() const { return *m_page4; }
    QTabWidget& Tabs() const { return *m_tabs; }

public slots:
    // The OK step: checks the last name, applies the pages and closes with OK. Returns
    // false (and stays open on the Name page) when the last name was refused.
    bool OnOk();

private:
    IMessageBox& m_messageBox;
    QTabWidget* m_tabs;
    CPage1* m_page1;
    CPage2* m_page2;
    CPage3* m_page3;
    CPage4* m_page4;
    CContactRecord* m_pRecord = nullptr;
    const CCategoryList* m_pCategories = nullptr;
    std::array<bool, 4> m_shown{}; // pages seen in this opening
};
