#include "view/ViewLayout.h"

namespace {

// a * b / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long p = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const long long q = ((p < 0 ? -p : p) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -q : q);
}

} // namespace

LayoutRect MapDialogRect(const LayoutRect& dlu, const DialogBaseUnits& units) {
    const int left = MulDiv(dlu.left, units.baseX, 4);
    const int top = MulDiv(dlu.top, units.baseY, 8);
    const int right = MulDiv(dlu.left + dlu.width, units.baseX, 4);
    const int bottom = MulDiv(dlu.top + dlu.height, units.baseY, 8);
    return {left, top, right - left, bottom - top};
}

LayoutResult LayoutControls(const LayoutInput& in) {
    LayoutResult out;
    const int w = in.clientWidth;
    const int h = in.clientHeight;
    const int bw = in.tabWidth;
    const int bh = in.tabHeight;

    int b = (w - 16) / 2;
    if (b < kNarrowListLimit)
        b = kNarrowListWidth;
    const int y0 = in.listTop;
    const int listHeight = h - bh - in.sliderHeight - y0 - 7;
    out.contactList = {7, y0, b, listHeight};

    const int d = w - b - 18;
    out.detailPane = {b + 11, y0, d, listHeight};
    out.nameLabel = {b + 11, in.nameLabel.top, d, in.nameLabel.height};

    const int e = in.categoryFilter.left;
    out.categoryFilter = {e, in.categoryFilter.top, b - e + 7, in.categoryFilter.height};

    // The row of tabs (A to Z and "#") is centred, with the slider under it reaching
    // a little beyond both ends; the frame never gets narrower than the row plus a tab.
    const int x0 = (w - kLetterCount * bw) / 2;
    const int y = y0 + listHeight + 2;
    for (int k = 0; k < kLetterCount; ++k)
        out.letterTabs[static_cast<std::size_t>(k)] = {x0 + k * bw, y, bw, bh};
    out.slider = {x0 - 5, y + bh + 2, kLetterCount * bw + 12, in.sliderHeight};

    out.minWidth = (kLetterCount + 1) * bw;
    out.minHeight = 300;
    return out;
}
