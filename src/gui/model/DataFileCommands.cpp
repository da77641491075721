#include "model/DataFileCommands.h"
#include "app/AppServices.h"
#include "app/CommandTable.h"
#include "model/COpenArchiveDlg.h"
#include "model/DataFileOps.h"
#include "model/IDataFileView.h"
#include "resources/CommandIds.h"
#include "view/IKinbookView.h"
#include <QAction>

namespace {

// The main view as the data file commands see it.
class ViewAdapter final : public IDataFileView {
public:
    explicit ViewAdapter(IKinbookView& view) : m_view(view) {}
    void RefreshView(bool save) override { m_view.RefreshView(nullptr, save); }
    void RefillCategoryFilter() override { m_view.RefillCategoryFilter(); }
    void SelectFilterAll(int startIndex) override { m_view.SelectFilterAll(startIndex); }
    void ReselectFilter() override { m_view.ReselectFilter(); }
    int GetFilterSelectedPosition() const override { return m_view.GetFilterSelectedPosition(); }
    void SetCategoryRecordCount(int count) override { m_view.SetCategoryRecordCount(count); }
    void OnCategoryFilterChanged() override { m_view.OnCategoryFilterChanged(); }
    bool ListHasEntries() const override { return m_view.ListHasEntries(); }

private:
    IKinbookView& m_view;
};

} // namespace

DataFileCommands::DataFileCommands(IKinbookView& view, CommandTable& table)
    : m_view(view), m_adapter(std::make_unique<ViewAdapter>(view)) {
    AppServices& services = view.Services();
    m_ops =
        std::make_unique<DataFileOps>(view.GetDocument(), *m_adapter, services.messageBox,
                                      services.fileChooser, services.settings, services.fileSystem);
    m_ops->SetClock(services.clock);

    table.SetHandler(ID_BACKUP_DATA, [this] { m_ops->Backup(); });
    table.SetEnabler(ID_BACKUP_DATA, [this] { return m_ops->CanBackup(); });
    table.SetHandler(ID_RESTORE_BACKUP, [this] { m_ops->Restore(); });
    table.SetHandler(ID_OPEN_ARCHIVE, [this] { OpenArchive(); });
    table.SetHandler(ID_NEW_ARCHIVE, [this] { m_ops->NewArchive(); });
    table.SetHandler(ID_RELOAD_DATA, [this] { m_ops->Reload(); });
    QAction* reload = table.Action(ID_RELOAD_DATA);
    if (reload->shortcut().isEmpty())
        reload->setShortcut(QKeySequence(Qt::Key_F5));
}

DataFileCommands::~DataFileCommands() = default;

bool DataFileCommands::OpenArchiveFile(IKinbookView& view, const std::string& path) {
    ViewAdapter adapter(view);
    AppServices& services = view.Services();
    DataFileOps ops(view.GetDocument(), adapter, services.messageBox, services.fileChooser,
                    services.settings, services.fileSystem);
    return ops.OpenArchive([&path](const std::string&) { return std::optional(path); });
}

void DataFileCommands::OpenArchive() {
    m_ops->OpenArchive([this](const std::string& current) -> std::optional<std::string> {
        COpenArchiveDlg dialog(m_view.Services().fileChooser, m_view.DialogParent());
        dialog.m_strCurrent = current;
        dialog.m_strLoad = current;
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.m_strLoad;
    });
}
