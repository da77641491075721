#include "edit/EditCommands.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "edit/CFindDlg.h"
#include "edit/CSheet.h"
#include "edit/EditRules.h"
#include "edit/FilingRule.h"
#include "model/CCategoryFilter.h"
#include "model/CKinbookDoc.h"
#include "port/IMessageBox.h"
#include "resources/CommandIds.h"
#include "view/DisplayName.h"
#include "view/IKinbookView.h"
#include <QWidget>

EditCommands::EditCommands(IKinbookView& view, CommandTable& table) : m_view(view) {
    table.SetHandler(ID_NEW_CONTACT, [this] { OnNewContact(); });
    table.SetHandler(ID_EDIT_RECORD, [this] { OnEditRecord(); });
    table.SetHandler(ID_DELETE_RECORD, [this] { OnDeleteRecord(); });
    table.SetHandler(ID_FIND_CONTACT, [this] { OnFindContact(); });
    // Edit and Delete are enabled by the view's record-commands flag, which the view
    // sets on its own command table entries; with nothing selected they do nothing.
}

EditCommands::~EditCommands() {
    delete m_sheet.data();
}

CSheet& EditCommands::Editor() {
    if (!m_sheet) {
        AppServices& services = m_view.Services();
        m_sheet = new CSheet(services.messageBox, services.clock, m_view.DialogParent());
        m_sheet->SetFileChooser(&services.fileChooser);
    }
    return *m_sheet;
}

void EditCommands::OnNewContact() {
    CKinbookDoc& doc = m_view.GetDocument();
    auto record = std::make_unique<CContactRecord>();
    record->m_nCategory = NewRecordCategory(
        CCategoryFilter::FromChoice(doc.GetCategories(), m_view.GetFilterSelectionText()));

    CSheet& sheet = Editor();
    sheet.Prepare(*record, doc.GetCategories());
    if (!sheet.Open())
        return; // the record is destroyed with its owner here
    if (record->m_strLastName.empty())
        return;

    CContactRecord* filed = record.get();
    FileRecord(doc.GetRecords(), std::move(record));
    const bool underLetter = LetterIndexOf(*filed) == m_view.GetSliderPosition();
    m_view.RefreshView(underLetter ? filed : nullptr, true);
}

void EditCommands::OnEditRecord() {
    CContactRecord* record = m_view.GetSelectedRecord();
    if (!record)
        return;
    const std::string oldLast = record->m_strLastName;
    CSheet& sheet = Editor();
    sheet.Prepare(*record, m_view.GetDocument().GetCategories());
    if (!sheet.Open())
        return;
    FinishEdit(*record, oldLast);
}

void EditCommands::FinishEdit(CContactRecord& record, const std::string& oldLastName) {
    RefileEditedRecord(m_view.GetDocument().GetRecords(), record, oldLastName);
    m_view.RefreshView(&record, true);
}

void EditCommands::OnDeleteRecord() {
    std::size_t position = 0;
    CContactRecord* record = m_view.GetSelectedRecord(&position);
    if (!record)
        return;
    const std::string question = "Are you sure you want to delete " + record->m_strFirstName + " " +
                                 record->m_strLastName + "?";
    if (m_view.Services().messageBox.Show(question, "Confirmation", MbIcon::Exclamation,
                                          MbButtons::YesNo) != MbResult::Yes)
        return;
    CRecordList& records = m_view.GetDocument().GetRecords();
    // Its UID goes with it: a record made next may well be given the same address.
    m_view.GetDocument().Uids().Forget(*record);
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(position));
    m_view.RefreshView(nullptr, true);
}

void EditCommands::OnFindContact() {
    AppServices& services = m_view.Services();
    {
        CFindDlg find(
            m_view.GetDocument(), services.messageBox, services.clock,
            [this](CContactRecord& record, const std::string& oldLast) {
                FinishEdit(record, oldLast);
            },
            m_view.DialogParent());
        find.SetFileChooser(&services.fileChooser);
        find.exec();
    }
    // The results dialog closes over the find dialog, which closes at once: the window
    // manager is left with nothing to activate, and the main window's keys would be dead.
    if (QWidget* window = m_view.DialogParent()) {
        window->raise();
        window->activateWindow();
    }
    m_view.RefreshView(nullptr, false);
}
