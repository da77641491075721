#pragma once
#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

class CommandTable;
class CContactRecord;
class CSheet;
class IKinbookView;

// New Contact, Edit Record, Delete Record and Find Contact: the commands that change
// the set of records and find them. Every completed change is filed and saved at once.
class EditCommands : public QObject {
    Q_OBJECT
public:
    EditCommands(IKinbookView& view, CommandTable& table);
    ~EditCommands() override;

    void OnNewContact();
    void OnEditRecord();
    void OnDeleteRecord();
    void OnFindContact();

    // The view's record editor, created on first use.
    CSheet& Editor();

    // After an OK in an editor: files the record again as RefileEditedRecord says, then
    // refreshes the view with it and saves.
    void FinishEdit(CContactRecord& record, const std::string& oldLastName);

private:
    IKinbookView& m_view;
    // A child of the dialog parent: the window may go first, so the pointer is guarded.
    QPointer<CSheet> m_sheet;
};
