#include "platform/sessionclipboard.h"

#include "platform/datacontrolwatcher.h"
#include "platform/watchedclipboardchain.h"

namespace {
TClipboardRoute ChosenRoute = TClipboardRoute::X11Selection;
}

TClipboardRoute PrepareClipboardRoute() {
    TSessionFacts facts;
    facts.WaylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    facts.X11Display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (facts.WaylandSession)
        facts.DataControl = ProbeDataControl().DataControl;
    const TClipboardRouteChoice choice = ChooseClipboardRoute(facts);
    if (choice.ToolkitOnX11 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    ChosenRoute = choice.Route;
    return choice.Route;
}

IClipboardChain* SessionClipboard(IClipboardChain* x11Clipboard) {
    if (ChosenRoute != TClipboardRoute::DataControl)
        return x11Clipboard;
    static TWatchedClipboardChain dataControl([](ISelectionWatcher::TReport report) {
        return std::make_unique<TDataControlWatcher>(std::move(report));
    });
    return &dataControl;
}
