#pragma once

#include <QImage>
#include <functional>
#include <optional>

// One change of the clipboard selection, fetched.
struct TSelectionChange {
    // The picture of the new selection; nothing when it offers no picture type, the source did
    // not deliver in time or in bounds, or what it delivered does not decode.
    std::optional<QImage> Image;
};

// Something that watches the clipboard selection on a thread of its own and reports each change
// once, on that thread. Watching ends when the object is destroyed.
class ISelectionWatcher {
public:
    using TReport = std::function<void(TSelectionChange)>;
    virtual ~ISelectionWatcher() = default;
    virtual void Start() = 0;
};
