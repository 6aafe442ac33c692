#pragma once

#include "platform/clipboard/selectionwatcher.h"

#include <memory>

// Watches the clipboard selection of the compositor's first seat through the data-control
// protocol, on a Wayland connection and a thread of its own. Each change after Start is fetched
// (only the latest when several come at once) and reported exactly once, on the watcher's
// thread. The selection standing at start is not reported. A compositor that goes away ends the
// watching quietly.
class TDataControlWatcher : public ISelectionWatcher {
public:
    explicit TDataControlWatcher(TReport report);
    ~TDataControlWatcher() override; // stops and waits for the thread
    TDataControlWatcher(const TDataControlWatcher&) = delete;
    TDataControlWatcher& operator=(const TDataControlWatcher&) = delete;

    bool Start() override;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// Whether the compositor of WAYLAND_DISPLAY can be reached and offers data-control (asked with
// a bounded wait, on the calling thread).
struct TDataControlProbe {
    bool Reachable = false;
    bool DataControl = false;
};
TDataControlProbe ProbeDataControl();
