#pragma once

#include "platform/clipboard/clipboarddecode.h"
#include "platform/clipboard/selectionwatcher.h"

#include <memory>

// Watches the X11 CLIPBOARD selection (never PRIMARY) through XFixes, on a thread and an X
// connection of its own, so that no owner, however slow or hostile, can hold up the window.
// Each fetch runs against one total deadline and the byte cap of one picture; decoding runs
// beside the fetching, so quick copies are read before the next one replaces them.
class TXcbSelectionWatcher : public ISelectionWatcher {
public:
    // A transfer of more than `byteCap` bytes is a failed one.
    explicit TXcbSelectionWatcher(TReport report, qint64 byteCap = MaxClipboardBytes);
    // Ends the watching thread, abandoning a fetch under way, and waits for the decoding.
    ~TXcbSelectionWatcher() override;
    TXcbSelectionWatcher(const TXcbSelectionWatcher&) = delete;
    TXcbSelectionWatcher& operator=(const TXcbSelectionWatcher&) = delete;

    // False when there is no X display with the XFixes extension.
    bool Start() override;

private:
    struct TState;
    std::unique_ptr<TState> F;
};

// Whether an X display can be opened, and whether it has XFixes (asked on the calling thread).
struct TX11Probe {
    bool Reachable = false;
    bool XFixes = false;
};
TX11Probe ProbeX11();
