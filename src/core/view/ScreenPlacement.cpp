#include "view/ScreenPlacement.h"
#include <algorithm>

namespace {

long long Overlap(const CWindowRect& a, const CWindowRect& b) {
    const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

// Squared distance from a point to the nearest point of a rectangle.
long long Distance(int x, int y, const CWindowRect& r) {
    const long long dx = x < r.left ? r.left - x : (x >= r.right ? x - r.right + 1 : 0);
    const long long dy = y < r.top ? r.top - y : (y >= r.bottom ? y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

} // namespace

CWindowRect KeepTitleBarOnScreen(const CWindowRect& rect, const std::vector<CWindowRect>& screens,
                                 int titleHeight) {
    if (screens.empty())
        return rect;
    titleHeight = std::max(titleHeight, 1);
    // Reachable: the title bar's full height on a screen and enough of its width there
    // to take hold of it. A window the user left hanging over an edge stays.
    const int grip = std::min(rect.Width(), kTitleBarGrip);
    for (const CWindowRect& s : screens) {
        const int overlap = std::min(rect.right, s.right) - std::max(rect.left, s.left);
        if (rect.top >= s.top && rect.top + titleHeight <= s.bottom && overlap >= grip)
            return rect;
    }
    const CWindowRect* best = nullptr;
    long long bestOverlap = 0;
    for (const CWindowRect& s : screens) {
        const long long o = Overlap(s, rect);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &s;
        }
    }
    if (!best) {
        long long nearest = -1;
        for (const CWindowRect& s : screens) {
            const long long d = Distance(rect.left, rect.top, s);
            if (nearest < 0 || d < nearest) {
                nearest = d;
                best = &s;
            }
        }
    }
    const CWindowRect& s = *best;
    const int width = rect.Width();
    const int height = rect.Height();
    int left = std::min(rect.left, s.right - width);
    left = std::max(left, s.left);
    // The whole window when it fits; a taller one from the screen's top.
    const int top =
        height <= s.Height() ? std::max(std::min(rect.top, s.bottom - height), s.top) : s.top;
    return CWindowRect{left, top, left + width, top + height};
}
