#pragma once

#include <QtGlobal>

// Asks the X11 window manager to activate `window` as a taskbar does when the user picks it: it
// is brought back from being minimised, raised and focused. False without an X11 display.
bool RequestX11Activation(quint64 window);
