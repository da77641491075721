#pragma once
#include "view/DisplayName.h"
#include <array>

// The main form's geometry: the template in dialog units, their conversion to pixels
// and the arithmetic that lays the controls out when the form is resized.

struct LayoutRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LayoutRect&) const = default;
};

// The form font's base units: the average character width and the character height
// in pixels. One horizontal dialog unit is baseX / 4 pixels, one vertical unit baseY / 8.
struct DialogBaseUnits {
    int baseX = 0;
    int baseY = 0;
};

// Dialog units to pixels, rounded to nearest as the platform's dialog manager does.
LayoutRect MapDialogRect(const LayoutRect& dlu, const DialogBaseUnits& units);

// The form template, in dialog units.
struct FormTemplate {
    static constexpr LayoutRect kForm{0, 0, 337, 171};
    static constexpr LayoutRect kCategoriesText{7, 8, 36, 8};
    // The filter's height is the drop-down's; its closed height follows the font.
    static constexpr LayoutRect kCategoryFilter{47, 7, 109, 88};
    static constexpr LayoutRect kNameLabel{157, 10, 144, 12};
    static constexpr LayoutRect kContactList{7, 22, 150, 106};
    static constexpr LayoutRect kDetailPane{160, 22, 142, 106};
    static constexpr LayoutRect kSlider{6, 142, 278, 15};
    // Letter tab k (A = 0, "#" = 26).
    static constexpr LayoutRect LetterTab(int k) { return {7 + 10 * k, 132, 10, 10}; }
};

// What the layout reads from the form: the client area and the controls' current
// positions inside it, all in pixels.
struct LayoutInput {
    int clientWidth = 0;       // W
    int clientHeight = 0;      // H
    int listTop = 0;           // the contact list's current top
    LayoutRect nameLabel;      // current geometry of the name label
    LayoutRect categoryFilter; // current geometry of the category filter
    int tabWidth = 0;          // letter tab A's width
    int tabHeight = 0;         // letter tab A's height
    int sliderHeight = 0;
};

struct LayoutResult {
    LayoutRect contactList;
    LayoutRect detailPane;
    LayoutRect nameLabel;
    LayoutRect categoryFilter;
    std::array<LayoutRect, kLetterCount> letterTabs;
    LayoutRect slider;
    // The frame's minimum size.
    int minWidth = 0;
    int minHeight = 0;
};

// The list keeps this width when half the client area would leave it narrower than
// kNarrowListLimit.
inline constexpr int kNarrowListLimit = 230;
inline constexpr int kNarrowListWidth = 237;

LayoutResult LayoutControls(const LayoutInput& in);
