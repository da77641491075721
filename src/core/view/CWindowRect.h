#pragma once

// A window rectangle in screen pixels, edges as the window system gives them
// (right and bottom exclusive).
struct CWindowRect {
    int left = 10;
    int top = 10;
    int right = 500;
    int bottom = 400;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CWindowRect&) const = default;
};
