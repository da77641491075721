#pragma once
#include <QObject>
#include <memory>
#include <vector>

class IKinbookView;
class CommandTable;

// Each subsystem's commands live in an object of its own that sets handlers and
// enable rules on the command table. The main view creates them all here.
std::vector<std::unique_ptr<QObject>> CreateSubsystemCommands(IKinbookView& view,
                                                              CommandTable& table);
