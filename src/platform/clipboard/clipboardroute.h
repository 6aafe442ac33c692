#pragma once

#include <QString>

// How the program learns of clipboard changes.
enum class TClipboardRoute {
    DataControl,  // the Wayland compositor's data-control protocol: every copy, whatever is focused
    X11Selection, // the X11 CLIPBOARD selection (X11 desktops, and Wayland ones that mirror to it)
    Toolkit,      // the toolkit's clipboard notices: an X display without XFixes
    None          // nothing that sees copies made while another window has the focus
};

// What the session offers, as found at start-up.
struct TSessionFacts {
    bool WaylandSession = false; // a Wayland compositor runs the session
    bool DataControl = false;    // ... and offers one of the data-control protocols
    bool X11Display = false;     // an X display (a plain X11 one, or the compositor's XWayland)
    bool XFixes = false;         // ... that tells of clipboard changes through XFixes
};

struct TClipboardRouteChoice {
    TClipboardRoute Route = TClipboardRoute::X11Selection;
    // The window runs on X11 wherever an X server can be opened (an X11 session, or XWayland
    // under any compositor): a Wayland window cannot learn that it was minimised, and its
    // position is the compositor's, so minimising into the tray, window positions and the
    // centred splash work only there.
    bool WindowOnX11 = false;
};

TClipboardRouteChoice ChooseClipboardRoute(const TSessionFacts& facts);

// Why the program cannot work with TClipboardRoute::None.
QString NoClipboardRouteMessage();
