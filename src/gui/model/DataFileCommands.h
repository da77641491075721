#pragma once
#include <QObject>
#include <memory>
#include <string>

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

    // Opens path as Open Archive does when the user names it in the dialog: the file a
    // double-click or the command line hands the program.
    static bool OpenArchiveFile(IKinbookView& view, const std::string& path);

private:
    void OpenArchive();

    IKinbookView& m_view;
    std::unique_ptr<IDataFileView> m_adapter;
    std::unique_ptr<DataFileOps> m_ops;
};
