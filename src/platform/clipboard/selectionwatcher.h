#pragma once

#include <QImage>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

// Longest wait for one clipboard owner to deliver its picture: long enough for a large picture
// from a busy owner, short enough that a stalled one is a failed transfer the user hears of soon.
constexpr std::chrono::milliseconds SelectionFetchDeadline{3000};

// One change of the clipboard selection, fetched.
struct TSelectionChange {
    // A type we decode as a bitmap was offered.
    bool OffersImage = false;
    // Its picture; nothing when it offers no picture type, or the transfer failed (refused, too
    // slow, too large, undecodable).
    std::optional<QImage> Image;
    // The picture's fingerprint (see PictureHash); none without a picture.
    std::optional<quint64> Hash = std::nullopt;
};

// Watches the clipboard selection on a thread of its own (or, for the toolkit's clipboard, on
// the GUI thread) and reports each change it fetched once, in order, on that thread. Only the
// latest waiting change is fetched, and a change replaced by a newer one before its data
// arrived is not reported at all. What is on the clipboard when watching starts is not
// reported. Watching ends when the object is destroyed: no report runs after that.
class ISelectionWatcher {
public:
    using TReport = std::function<void(TSelectionChange)>;
    virtual ~ISelectionWatcher() = default;

    // Starts watching; false when this desktop cannot be watched this way.
    virtual bool Start() = 0;

    // While off, changes are still followed, so that one made meanwhile is never taken for a
    // later one, but nothing is fetched or decoded and nothing is reported.
    void SetFetching(bool fetching) { FFetching = fetching; }
    bool Fetching() const { return FFetching; }

private:
    std::atomic<bool> FFetching{true};
};
