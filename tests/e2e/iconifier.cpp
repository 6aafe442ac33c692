#include "iconifier.h"

#include "toolrun.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

TIconifier::TIconifier(const QString& display) : FDisplay(XOpenDisplay(qPrintable(display))) {
    if (FDisplay != nullptr)
        XSelectInput(FDisplay, DefaultRootWindow(FDisplay), SubstructureNotifyMask);
}

TIconifier::~TIconifier() {
    if (FDisplay != nullptr)
        XCloseDisplay(FDisplay);
}

void TIconifier::SetState(quint64 window, long state) {
    const Atom property = XInternAtom(FDisplay, "WM_STATE", False);
    const long value[2] = {state, None};
    XChangeProperty(FDisplay, Window(window), property, property, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(value), 2);
    XFlush(FDisplay);
}

void TIconifier::Iconify(quint64 window) {
    SetState(window, IconicState);
    XUnmapWindow(FDisplay, Window(window));
    XFlush(FDisplay);
}

bool TIconifier::WaitForMapped(quint64 window, int timeoutMs) {
    const bool mapped = WaitUntil(
        [&] {
            XEvent event;
            while (XCheckTypedEvent(FDisplay, MapNotify, &event)) {
                if (event.xmap.window == Window(window))
                    return true;
            }
            return false;
        },
        timeoutMs);
    if (mapped)
        SetState(window, NormalState);
    return mapped;
}

bool TIconifier::WaitForWithdrawn(quint64 window, int timeoutMs) {
    return WaitUntil(
        [&] {
            XEvent event;
            while (XCheckTypedEvent(FDisplay, UnmapNotify, &event)) {
                // Only the program's own notice is sent; the server's real ones are not.
                if (event.xunmap.send_event && event.xunmap.window == Window(window))
                    return true;
            }
            return false;
        },
        timeoutMs);
}
