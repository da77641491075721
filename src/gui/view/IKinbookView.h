#pragma once
#include <cstddef>
#include <string>

class CKinbookDoc;
class CContactRecord;
struct CPrintSettings;
struct AppServices;
class QWidget;

// What the main view offers to the commands of the other subsystems (record
// commands, find, printing, export and import, data file commands, categories).
// Tests replace it with a fake view.
class IKinbookView {
public:
    virtual ~IKinbookView() = default;

    virtual CKinbookDoc& GetDocument() = 0;
    virtual AppServices& Services() = 0;
    // The window dialogs are modal to.
    virtual QWidget* DialogParent() = 0;

    // The record behind the selected list entry, or null; position in the record list.
    virtual CContactRecord* GetSelectedRecord(std::size_t* position = nullptr) = 0;
    // Rebuilds list, letters, selection and detail pane; saves when asked.
    virtual void RefreshView(CContactRecord* record, bool save) = 0;

    virtual int GetSliderPosition() const = 0; // 0 = A .. 25 = Z, 26 = "#"
    virtual bool ListHasEntries() const = 0;
    virtual std::string GetCurrentCategoryName() const = 0;
    virtual std::string GetFilterSelectionText() const = 0;
    virtual int GetFilterSelectedPosition() const = 0;

    // Empties the category filter and fills it from the document (names, "All",
    // "- Edit Categories").
    virtual void RefillCategoryFilter() = 0;
    // Selects the first entry that begins with "All", searching from startIndex and wrapping.
    virtual void SelectFilterAll(int startIndex) = 0;
    // "Re-select the filter": from the stored "Selected Category", as at start.
    virtual void ReselectFilter() = 0;
    // The view's handling of a change of the filter's selection.
    virtual void OnCategoryFilterChanged() = 0;
    virtual void SetCategoryRecordCount(int count) = 0;

    virtual CPrintSettings& GetPrintSettings() = 0;
    virtual void SetReopenRecordPrint(bool on) = 0;
    virtual void SetReopenBookPrint(bool on) = 0;
};
