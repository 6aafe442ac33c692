#include "platform/clipboard/clipboardroute.h"

TClipboardRouteChoice ChooseClipboardRoute(const TSessionFacts& facts) {
    TClipboardRouteChoice choice;
    choice.WindowOnX11 = facts.X11Display;
    if (facts.WaylandSession && facts.DataControl) {
        choice.Route = TClipboardRoute::DataControl;
    } else if (facts.X11Display) {
        // GNOME has no data-control but mirrors each copy to XWayland.
        choice.Route = facts.XFixes ? TClipboardRoute::X11Selection : TClipboardRoute::Toolkit;
    } else if (facts.WaylandSession) {
        choice.Route = TClipboardRoute::None;
    } else {
        // No display to be reached: the toolkit says so when it starts.
        choice.Route = TClipboardRoute::Toolkit;
    }
    return choice;
}

QString NoClipboardRouteMessage() {
    return QStringLiteral(
        "Snapvault cannot capture screenshots in this session: the Wayland compositor offers no "
        "data-control protocol (ext_data_control_manager_v1 or zwlr_data_control_manager_v1), "
        "which would show every copy, and there is no X display (XWayland) whose clipboard "
        "could be watched instead. Enable XWayland or use a compositor with data-control "
        "support (KDE Plasma, sway, Hyprland and other wlroots desktops).");
}
