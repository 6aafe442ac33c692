#pragma once

#include <QtGlobal>

// What the program asks of the X11 window manager for its main window beyond the toolkit.
// Each does nothing without an X11 display.

// Asks the window manager to activate `window` as a taskbar does when the user picks it: it is
// brought back from being minimised, raised and focused.
void RequestX11Activation(quint64 window);

// Before a withdrawn window is mapped again: it asks to start normal, and no state kept on it
// from before (nor a window manager that kept it) makes the window manager minimise it. The
// toolkit maps a window that leaves its minimised state before it renews these.
void PrepareX11Map(quint64 window);
