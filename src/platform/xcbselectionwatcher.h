#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <optional>

// What one clipboard change offered.
struct TClipboardOffer {
    // A type we decode as a bitmap was offered.
    bool OffersImage = false;
    // Its picture; nothing when the transfer failed (refused, too slow, too large, undecodable).
    std::optional<QImage> Image;
};

// Watches the X11 CLIPBOARD selection (never PRIMARY) on a thread and an X connection of its
// own, so that no owner, however slow or hostile, can hold up the window. Every change is fetched
// at most once, only the latest waiting change is fetched, and each fetch runs against one total
// deadline and the byte cap of one picture.
class TXcbSelectionWatcher {
public:
    using TDeliver = std::function<void(TClipboardOffer)>;

    // `deliver` runs on the watcher's thread, once for each change it fetched.
    explicit TXcbSelectionWatcher(TDeliver deliver);
    ~TXcbSelectionWatcher();
    TXcbSelectionWatcher(const TXcbSelectionWatcher&) = delete;
    TXcbSelectionWatcher& operator=(const TXcbSelectionWatcher&) = delete;

    // Connects to the display and starts watching; false when there is no X display with the
    // XFixes extension. What is on the clipboard already is not announced.
    bool Start();
    // Ends the watching thread, abandoning a fetch under way.
    void Stop();

private:
    struct TState;
    std::unique_ptr<TState> F;
};
