#include "view/SizingRule.h"

CWindowRect ApplyMinimumSize(CWindowRect r, SizingEdge edge, int minWidth, int minHeight) {
    if (r.Width() < minWidth) {
        switch (edge) {
        case SizingEdge::Left:
        case SizingEdge::TopLeft:
        case SizingEdge::BottomLeft:
            r.left = r.right - minWidth;
            break;
        case SizingEdge::Right:
        case SizingEdge::TopRight:
        case SizingEdge::BottomRight:
            r.right = r.left + minWidth;
            break;
        case SizingEdge::Top:
        case SizingEdge::Bottom:
            break;
        }
    }
    if (r.Height() < minHeight) {
        switch (edge) {
        case SizingEdge::Top:
        case SizingEdge::TopLeft:
        case SizingEdge::TopRight:
            r.top = r.bottom - minHeight;
            break;
        case SizingEdge::Bottom:
        case SizingEdge::BottomLeft:
        case SizingEdge::BottomRight:
            r.bottom = r.top + minHeight;
            break;
        case SizingEdge::Left:
        case SizingEdge::Right:
            break;
        }
    }
    return r;
}
