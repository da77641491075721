#pragma once
#include <QObject>
#include <memory>

class IKinbookView;
class CommandTable;
class DataFileOps;
class IDataFileView;

// Backup Data, Restore From Backup, Open Archive, New Archive and Reload Data on the
// command table; the flows themselves are DataFileOps.
class DataFileCommands : public QObject {
    Q_OBJECT
public:
    DataFileCommands(IKinbookView& view, CommandTable& table);
    ~DataFileCommands() override;

private:
    void OpenArchive();

    IKinbookView& m_view;
    std::unique_ptr<IDataFileView> m_adapter;
    std::unique_ptr<DataFileOps> m_ops;
};
