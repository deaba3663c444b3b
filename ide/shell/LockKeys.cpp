#include "LockKeys.h"

#include <QGuiApplication>

#ifdef VELMORA_HAVE_X11
#include <X11/XKBlib.h>
#endif

LockKeys QueryLockKeys()
{
    LockKeys keys;
#ifdef VELMORA_HAVE_X11
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    unsigned state = 0;
    if (display && XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success) {
        // The core keyboard's first three indicators are Caps, Num and Scroll Lock.
        keys.caps = (state & 1u) != 0;
        keys.num = (state & 2u) != 0;
        keys.scroll = (state & 4u) != 0;
    }
#endif
    return keys;
}
