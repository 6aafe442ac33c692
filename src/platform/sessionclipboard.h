#pragma once

#include "platform/clipboardroute.h"

class IClipboardChain;

// Looks at the session once, before the toolkit starts, and decides how the clipboard is
// watched (asking the Wayland compositor, with a bounded wait, whether it offers data-control).
// Where the X11 selection is watched in a Wayland session, the toolkit is told to run on X11.
TClipboardRoute PrepareClipboardRoute();

// The clipboard of the route chosen: the data-control watcher, or `x11Clipboard`.
IClipboardChain* SessionClipboard(IClipboardChain* x11Clipboard);
