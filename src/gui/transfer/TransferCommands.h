#pragma once
#include <QObject>

class IKinbookView;
class CommandTable;

// The main view's "&Export..." and "&Import..." commands.
class TransferCommands : public QObject {
    Q_OBJECT
public:
    TransferCommands(IKinbookView& view, CommandTable& table);

    void OnExport();
    void OnImport();

private:
    IKinbookView& m_view;
};
