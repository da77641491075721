#include "transfer/TransferCommands.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/CKinbookDoc.h"
#include "port/IFileChooser.h"
#include "resources/CommandIds.h"
#include "transfer/CExportFieldsDlg.h"
#include "transfer/CImportFieldsDlg.h"
#include "transfer/CImportRecordsDlg.h"
#include "transfer/ExportProcedure.h"
#include "transfer/ImportScan.h"
#include "transfer/VCardTransfer.h"
#include "view/IKinbookView.h"

TransferCommands::TransferCommands(IKinbookView& view, CommandTable& table) : m_view(view) {
    table.SetHandler(ID_EXPORT, [this] { OnExport(); });
    table.SetEnabler(ID_EXPORT, [this] { return !m_view.GetDocument().GetRecords().empty(); });
    table.SetHandler(ID_IMPORT, [this] { OnImport(); });
    table.SetEnabler(ID_IMPORT, [] { return true; });
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
    if (IsVCardFile(choice->path, m_view.Services().fileSystem)) {
        // A card carries its own field names: no matching step.
        CImportRecordsDlg dialog(m_view.DialogParent(), choice->path, doc, m_view.Services());
        dialog.exec();
    } else {
        CImportFieldsDlg dialog(m_view.DialogParent(), choice->path, doc.GetRecords(),
                                doc.GetCategories(), m_view.Services());
        dialog.Run();
    }
    // Whatever happened, imported records are shown and saved at once.
    m_view.RefreshView(m_view.GetSelectedRecord(), true);
}
