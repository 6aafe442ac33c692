#include "platform/clipboard/sessionclipboard.h"

#include "platform/clipboard/datacontrolwatcher.h"
#include "platform/clipboard/qtselectionwatcher.h"
#include "platform/clipboard/watchedclipboardchain.h"
#include "platform/clipboard/xcbselectionwatcher.h"

#include <cstdio>

TClipboardRouteChoice ChooseSessionClipboard() {
    TSessionFacts facts;
    facts.WaylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (facts.WaylandSession)
        facts.DataControl = ProbeDataControl().DataControl;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        const TX11Probe x11 = ProbeX11();
        facts.X11Display = x11.Reachable;
        facts.XFixes = x11.XFixes;
    }
    return ChooseClipboardRoute(facts);
}

std::unique_ptr<IClipboardChain> MakeSessionClipboard(TClipboardRoute route) {
    using TWatcher = std::unique_ptr<ISelectionWatcher>;
    switch (route) {
    case TClipboardRoute::DataControl:
        return std::make_unique<TWatchedClipboardChain>([](ISelectionWatcher::TReport report) {
            return TWatcher(std::make_unique<TDataControlWatcher>(std::move(report)));
        });
    case TClipboardRoute::X11Selection:
        return std::make_unique<TWatchedClipboardChain>([](ISelectionWatcher::TReport report) {
            return TWatcher(std::make_unique<TXcbSelectionWatcher>(std::move(report)));
        });
    case TClipboardRoute::Toolkit:
    case TClipboardRoute::None:
        break;
    }
    std::fprintf(stderr, "snapvault: no X display with the XFixes extension; the clipboard is "
                         "watched through the toolkit\n");
    return std::make_unique<TWatchedClipboardChain>([](ISelectionWatcher::TReport report) {
        return TWatcher(std::make_unique<TQtSelectionWatcher>(std::move(report)));
    });
}
