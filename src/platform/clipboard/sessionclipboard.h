#pragma once

#include "platform/clipboard/clipboardroute.h"

#include <memory>

class IClipboardChain;

// Looks at the session once, before the toolkit starts, and decides how the clipboard is
// watched: asks the Wayland compositor (with a bounded wait) whether it offers data-control, and
// the X display whether it can be opened and has XFixes.
TClipboardRouteChoice ChooseSessionClipboard();

// The clipboard of `route` (not None).
std::unique_ptr<IClipboardChain> MakeSessionClipboard(TClipboardRoute route);
