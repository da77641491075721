#pragma once
#include "print/CPrintSettings.h"
#include "view/ContactListing.h"
#include "view/IKinbookView.h"
#include "view/ViewLayout.h"
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

class CommandTable;
class CContactListModel;
class CDetailPane;
class CDataFileWatcher;
class CLetterTab;
class QComboBox;
class QKeyEvent;
class QMenu;
class QLabel;
class QPlainTextEdit;
class QSlider;
class QTreeView;

// The main form: category filter, contact list, detail pane, name label, letter tabs
// and slider. The hub of the program's commands.
class CKinbookView : public QWidget, public IKinbookView {
    Q_OBJECT
public:
    CKinbookView(CKinbookDoc& doc, AppServices& services, CommandTable& commands,
                 QWidget* parent = nullptr);
    ~CKinbookView() override;

    CKinbookDoc& GetDocument() override { return m_doc; }
    AppServices& Services() override { return m_services; }
    QWidget* DialogParent() override { return window(); }
    CContactRecord* GetSelectedRecord(std::size_t* position = nullptr) override;
    void RefreshView(CContactRecord* record, bool save) override;
    int GetSliderPosition() const override;
    bool ListHasEntries() const override;
    std::string GetCurrentCategoryName() const override { return m_strCurrentCategory; }
    std::string GetFilterSelectionText() const override;
    int GetFilterSelectedPosition() const override;
    void RefillCategoryFilter() override;
    void SelectFilterAll(int startIndex) override;
    void ReselectFilter() override;
    void OnCategoryFilterChanged() override;
    void SetCategoryRecordCount(int count) override { m_nCategoryRecordCount = count; }
    CPrintSettings& GetPrintSettings() override { return m_printSettings; }
    void SetReopenRecordPrint(bool on) override { m_bReopenRecordPrint = on; }
    void SetReopenBookPrint(bool on) override { m_bReopenBookPrint = on; }

    // Loads the current data file and fills the filter; the frame calls it once,
    // before the window is first shown.
    void InitialUpdate();
    // Lays out, refreshes and reports an empty category; the frame calls it once, at
    // its first activation, after it has placed itself.
    void FirstActivation();

    // The print settings, the slider's letter, the filter's position and the data path.
    void WriteSettings();

    // Moves and sizes the controls to the view's current size.
    void LayoutControls();

    // The state the command enablers read.
    bool IsCopyEnabled() const { return m_bCopyEnabled; }
    bool AreRecordCommandsEnabled() const { return m_bRecordCommands; }
    int GetCategoryRecordCount() const { return m_nCategoryRecordCount; }
    bool IsLetterMarked(int letter) const {
        return m_letterFlags.at(static_cast<std::size_t>(letter));
    }
    // The text colour of letter tab k, by the slider's letter and the letter flags.
    QColor LetterColour(int letter) const;

    // Copy Record: the pane's selection, or its whole text when nothing is selected.
    void CopyRecord();
    // The contact list's right-button menu.
    QMenu* ContactMenu() { return m_contactMenu; }

    // When another program changed the data file: merges its changes into the book and
    // shows them, keeping the category, the letter and the selected record. The watcher of
    // the data file calls it while no command is under way.
    void MergeDataFileChanges();

signals:
    // The document title (the selected contact's display name) changed.
    void TitleChanged(const QString& title);
    // The frame's minimum size from the layout; (0, 0) means no limit.
    void MinimumSizeChanged(const QSize& size);
    // Emitted at the end of every RefreshView.
    void ViewRefreshed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void PlaceFromTemplate();
    void RegisterCommands();
    void FillContactList();
    void MarkLetters();
    void ShowRecordDetail(const CContactRecord& record);
    void SetColumnWidths();
    void SetDocumentTitle(const std::string& title);
    void ShowEmptyCategoryMessage();
    void UpdateCommandFlagsFromSelection(bool showRecord);
    void ClearCommandFlags();
    void OnLetterTabClicked(int letter);
    void OnSliderScrolled();
    void OnContactSelectionChanged();
    void OnFilterIndexChanged();
    bool HandleListKey(const QKeyEvent& event);
    // After a merge: the filter holds the categories afresh, still on the same one.
    void RefillFilterKeepingSelection();
    // The record of the book whose content hashes to hash, preferring one listed now.
    CContactRecord* FindByContent(std::uint64_t hash);

    CKinbookDoc& m_doc;
    AppServices& m_services;
    CommandTable& m_commands;
    CPrintSettings m_printSettings;

    QLabel* m_categoriesText = nullptr;
    QComboBox* m_categoryFilter = nullptr;
    QLabel* m_nameLabel = nullptr;
    QTreeView* m_contactList = nullptr;
    CContactListModel* m_contactModel = nullptr;
    CDetailPane* m_detailPane = nullptr;
    std::array<CLetterTab*, kLetterCount> m_letterTabs{};
    QSlider* m_letterSlider = nullptr;
    QMenu* m_contactMenu = nullptr;

    QString m_paneText; // the detail text exactly as composed
    std::string m_strNameLabel;
    std::string m_strCurrentCategory;
    int m_nCategoryRecordCount = 0;
    std::array<bool, kLetterCount> m_letterFlags{};
    int m_nAppliedLetter = 0;
    int m_nFilterIndexBeforeStep = -1; // while the closed filter handles a wheel or key step
    bool m_bCopyEnabled = false;
    bool m_bRecordCommands = false;
    bool m_bFirstActivation = true;
    bool m_bInitialUpdateDone = false;
    bool m_bReopenRecordPrint = false;
    bool m_bReopenBookPrint = false;
    QSize m_minimumSize;

    std::vector<std::unique_ptr<QObject>> m_subsystemCommands;
    CDataFileWatcher* m_dataFileWatcher = nullptr;
};
