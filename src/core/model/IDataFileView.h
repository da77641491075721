#pragma once

// What the data file commands need of the main view: its category filter and its
// refresh. The gui adapts the main view to it; tests replace it.
class IDataFileView {
public:
    virtual ~IDataFileView() = default;
    // Rebuilds the list for no record; saves the book to the current data file when asked.
    virtual void RefreshView(bool save) = 0;
    // Empties the category filter and fills it from the document.
    virtual void RefillCategoryFilter() = 0;
    // Selects the first filter entry that begins with "All", from startIndex on, wrapping.
    virtual void SelectFilterAll(int startIndex) = 0;
    // Selects the filter entry from the stored "Selected Category", as at start, and takes
    // its text as the current category name.
    virtual void ReselectFilter() = 0;
    // The selected filter position, -1 for none.
    virtual int GetFilterSelectedPosition() const = 0;
    virtual void SetCategoryRecordCount(int count) = 0;
    // The view's handling of a change of the filter's selection.
    virtual void OnCategoryFilterChanged() = 0;
    // True while the contact list shows at least one entry.
    virtual bool ListHasEntries() const = 0;
};
