#include "app/XkbLockState.h"

#ifdef KINBOOK_HAVE_XKB
#include <X11/XKBlib.h>

namespace {
bool Lit(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on != False;
}
} // namespace

int QueryXkbLockState(void* display) {
    auto* d = static_cast<Display*>(display);
    if (d == nullptr)
        return -1;
    int state = 0;
    if (Lit(d, "Caps Lock"))
        state |= XKB_CAPS_LOCK;
    if (Lit(d, "Num Lock"))
        state |= XKB_NUM_LOCK;
    if (Lit(d, "Scroll Lock"))
        state |= XKB_SCROLL_LOCK;
    return state;
}
#else
int QueryXkbLockState(void*) {
    return -1;
}
#endif
