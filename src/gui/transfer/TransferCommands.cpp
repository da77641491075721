#include "transfer/TransferCommands.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IFileChooser.h"
#include "port/IMessageBox.h"
#include "resources/CommandIds.h"
#include "transfer/CExportFieldsDlg.h"
#include "transfer/CImportFieldsDlg.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"
#include "view/IKinbookView.h"

TransferCommands::TransferCommands(IKinbookView& view, CommandTable& table) : m_view(view) {
    table.SetHandler(ID_EXPORT, [this] { OnExport(); });
    table.SetEnabler(ID_EXPORT, [this] { return !m_view.GetDocument().GetRecords().empty(); });
    table.SetHandler(ID_IMPORT, [this] { OnImport(); });
    table.SetEnabler(ID_IMPORT, [] { return true; });
    table.SetHandler(ID_UNDO_IMPORT, [this] { OnUndoImport(); });
    table.SetEnabler(ID_UNDO_IMPORT, [this] { return CanUndoImport(); });
}

bool TransferCommands::CanUndoImport() const {
    return m_undo.Available(m_view.GetDocument());
}

void TransferCommands::OnUndoImport() {
    CKinbookDoc& doc = m_view.GetDocument();
    if (!m_undo.Available(doc))
        return;
    if (m_view.Services().messageBox.Show(m_undo.Question(), "Undo Import", MbIcon::Question,
                                          MbButtons::YesNo) != MbResult::Yes)
        return;
    if (!m_undo.Undo(doc))
        return;
    // The categories the import created went with it.
    m_view.RefillCategoryFilter();
    m_view.SelectFilterAll(0);
    m_view.RefreshView(nullptr, false);
}

void TransferCommands::OnExport() {
    CKinbookDoc& doc = m_view.GetDocument();
    CExportFieldsDlg dialog(m_view.DialogParent(), doc.GetRecords(), doc.GetCategories(),
                            m_view.Services(), &doc.Uids());
    dialog.exec();
}

void TransferCommands::OnImport() {
    FileDialogRequest request;
    request.filter = kImportFilterWithVCard;
    request.initialName = kTransferInitialName;
    const std::optional<FileChoice> choice = m_view.Services().fileChooser.ChooseOpen(request);
    if (!choice)
        return;
    CKinbookDoc& doc = m_view.GetDocument();
    // The book as it is now, for Undo Import.
    m_undo.Prepare(doc);
    ImportResult result;
    {
        // Delimited text goes through the matching step; a vCard file straight to the import.
        CImportFieldsDlg dialog(m_view.DialogParent(), choice->path, doc.GetRecords(),
                                doc.GetCategories(), m_view.Services(), &doc.Uids());
        dialog.Run();
        result = dialog.LastResult();
    }
    if (result.categoriesCreated > 0) {
        // The filter offers the categories the file brought.
        m_view.RefillCategoryFilter();
        m_view.SelectFilterAll(0);
    }
    // Whatever happened, imported records are shown and saved at once.
    m_view.RefreshView(m_view.GetSelectedRecord(), true);
    const std::size_t slash = choice->path.find_last_of('/');
    m_undo.Completed(doc, result.imported,
                     slash == std::string::npos ? choice->path : choice->path.substr(slash + 1));
}
