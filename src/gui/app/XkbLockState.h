#pragma once

// The keyboard lock lights as the X server reports them. Kept apart from Qt code:
// the X headers define macros that clash with Qt names.
enum XkbLockBit : unsigned { XKB_CAPS_LOCK = 1, XKB_NUM_LOCK = 2, XKB_SCROLL_LOCK = 4 };

// Bits of XkbLockBit that are lit; -1 when the display cannot tell.
int QueryXkbLockState(void* display);
