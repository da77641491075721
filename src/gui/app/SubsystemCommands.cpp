#include "app/SubsystemCommands.h"
#include "app/CommandTable.h"
#include "edit/EditCommands.h"
#include "model/DataFileCommands.h"
#include "print/PrintCommands.h"
#include "sync/SyncCommands.h"
#include "transfer/TransferCommands.h"
#include "view/IKinbookView.h"

std::vector<std::unique_ptr<QObject>> CreateSubsystemCommands(IKinbookView& view,
                                                              CommandTable& table) {
    std::vector<std::unique_ptr<QObject>> commands;
    commands.push_back(std::make_unique<EditCommands>(view, table));
    // One line per subsystem, for example:
    // commands.push_back(std::make_unique<EditCommands>(view, table));
    commands.push_back(std::make_unique<PrintCommands>(view, table));
    commands.push_back(std::make_unique<TransferCommands>(view, table));
    commands.push_back(std::make_unique<DataFileCommands>(view, table));
    commands.push_back(std::make_unique<SyncCommands>(view, table));
    (void)view;
    (void)table;
    return commands;
}
