#pragma once
#include "transfer/CImportUndo.h"
#include <QObject>

class IKinbookView;
class CommandTable;

// The main view's "&Export...", "&Import..." and "&Undo Import" commands.
class TransferCommands : public QObject {
    Q_OBJECT
public:
    TransferCommands(IKinbookView& view, CommandTable& table);

    void OnExport();
    void OnImport();
    void OnUndoImport();
    bool CanUndoImport() const;

private:
    IKinbookView& m_view;
    CImportUndo m_undo;
};
