#pragma once
#include "view/CWindowRect.h"
#include <vector>

// How much of a title bar's width must be on a screen to take hold of it.
inline constexpr int kTitleBarGrip = 100;

// A stored window position may name a monitor that is gone. Keeps the rectangle when
// its title bar (the top titleHeight pixels) lies on one of the screens' work areas in
// its full height and over at least kTitleBarGrip pixels of its width (all of it when
// narrower); otherwise moves it, size unchanged, onto the screen it overlaps most (the
// nearest one when it overlaps none): wholly onto it when it fits, else with its title
// bar at the screen's top and its left end showing.
CWindowRect KeepTitleBarOnScreen(const CWindowRect& rect, const std::vector<CWindowRect>& screens,
                                 int titleHeight);
