#pragma once
#include "print/CPrintSettings.h"
#include "view/IKinbookView.h"
#include <QWidget>
#include <memory>
#include <vector>

class CommandTable;

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
    int GetSliderPosition() const override { return 0; }
    bool ListHasEntries() const override { return false; }
    std::string GetCurrentCategoryName() const override { return "All"; }
    std::string GetFilterSelectionText() const override { return "All"; }
    int GetFilterSelectedPosition() const override { return -1; }
    void RefillCategoryFilter() override {}
    void SelectFilterAll(int) override {}
    void ReselectFilter() override {}
    void OnCategoryFilterChanged() override {}
    void SetCategoryRecordCount(int) override {}
    CPrintSettings& GetPrintSettings() override { return m_printSettings; }
    void SetReopenRecordPrint(bool) override {}
    void SetReopenBookPrint(bool) override {}

    // Loads the current data file and fills the filter; the frame calls it once,
    // before the window is first shown.
    void InitialUpdate();
    // Lays out, refreshes and reports an empty category; the frame calls it once, at
    // its first activation, after it has placed itself.
    void FirstActivation();

signals:
    // The document title (the selected contact's display name) changed.
    void TitleChanged(const QString& title);
    // The frame's minimum size from the layout; (0, 0) means no limit.
    void MinimumSizeChanged(const QSize& size);

private:
    CKinbookDoc& m_doc;
    AppServices& m_services;
    CommandTable& m_commands;
    CPrintSettings m_printSettings;
    std::vector<std::unique_ptr<QObject>> m_subsystemCommands;
};
