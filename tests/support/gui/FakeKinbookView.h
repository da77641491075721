#pragma once
#include "app/AppServices.h"
#include "model/CKinbookDoc.h"
#include "model/NoCase.h"
#include "print/CPrintSettings.h"
#include "view/IKinbookView.h"
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"

// A main view without widgets, for testing the commands of the other subsystems
// through IKinbookView. The filter is a sorted list of names; the "list" is the
// records of the filter's category under the slider's letter.
class FakeKinbookView : public IKinbookView {
public:
    explicit FakeKinbookView(IFileSystem& fs)
        : doc(messageBox, fs), services{messageBox, fileChooser, clock, settings, fs} {}

    CKinbookDoc& GetDocument() override { return doc; }
    AppServices& Services() override { return services; }
    QWidget* DialogParent() override { return &parent; }

    CContactRecord* GetSelectedRecord(std::size_t* position = nullptr) override {
        if (!selected)
            return nullptr;
        auto& recs = doc.GetRecords();
        for (std::size_t i = 0; i < recs.size(); ++i) {
            if (recs[i].get() == selected) {
                if (position)
                    *position = i;
                return selected;
            }
        }
        return nullptr;
    }
    void RefreshView(CContactRecord* record, bool save) override {
        refreshes.push_back({record, save});
        if (save)
            doc.Save();
        selected = record;
    }
    int GetSliderPosition() const override { return slider; }
    bool ListHasEntries() const override { return listHasEntries; }
    std::string GetCurrentCategoryName() const override { return currentCategory; }
    std::string GetFilterSelectionText() const override {
        return filterSelection >= 0 && filterSelection < static_cast<int>(filter.size())
                   ? filter[static_cast<std::size_t>(filterSelection)]
                   : std::string();
    }
    int GetFilterSelectedPosition() const override { return filterSelection; }
    void RefillCategoryFilter() override {
        filter = doc.FilterEntries();
        ++refills;
    }
    void SelectFilterAll(int startIndex) override {
        const int n = static_cast<int>(filter.size());
        for (int k = 0; k < n; ++k) {
            const int i = (startIndex + k) % n;
            if (kb::StartsWithNoCase(filter[static_cast<std::size_t>(i)], "All")) {
                filterSelection = i;
                return;
            }
        }
    }
    void ReselectFilter() override {
        const int stored = settings.GetInt("Selected Category", -1);
        if (stored == -1)
            SelectFilterAll(2);
        else if (stored >= 0 && stored < static_cast<int>(filter.size()))
            filterSelection = stored;
        else
            SelectFilterAll(1);
        currentCategory = GetFilterSelectionText();
    }
    void OnCategoryFilterChanged() override { ++filterChanges; }
    void SetCategoryRecordCount(int count) override { categoryRecordCount = count; }
    CPrintSettings& GetPrintSettings() override { return printSettings; }
    void SetReopenRecordPrint(bool on) override { reopenRecord = on; }
    void SetReopenBookPrint(bool on) override { reopenBook = on; }

    FakeMessageBox messageBox;
    FakeFileChooser fileChooser;
    FakeClock clock;
    MemorySettingsStore settings;
    CKinbookDoc doc;
    AppServices services;
    QWidget parent;
    CPrintSettings printSettings;

    struct Refresh {
        CContactRecord* record;
        bool save;
    };
    std::vector<Refresh> refreshes;
    CContactRecord* selected = nullptr;
    int slider = 0;
    bool listHasEntries = true;
    std::string currentCategory = "All";
    std::vector<std::string> filter;
    int filterSelection = -1;
    int refills = 0;
    int filterChanges = 0;
    int categoryRecordCount = 0;
    bool reopenRecord = false;
    bool reopenBook = false;
};
