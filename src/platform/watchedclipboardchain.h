#pragma once

#include "platform/clipboardchain.h"
#include "platform/selectionwatcher.h"

#include <memory>

// The clipboard as a selection watcher on a thread of its own sees it (the Wayland
// data-control route). Each change the watcher reports becomes one DrawClipboard on this
// object's thread, and HasImage / CopyImage answer for that change: a burst of changes is
// captured change by change, and no change is announced twice.
class TWatchedClipboardChain : public IClipboardChain {
    Q_OBJECT
public:
    using TWatcherFactory =
        std::function<std::unique_ptr<ISelectionWatcher>(ISelectionWatcher::TReport)>;

    explicit TWatchedClipboardChain(TWatcherFactory makeWatcher);
    ~TWatchedClipboardChain() override;

    TViewerHandle Join() override;
    void Leave(TViewerHandle next) override;
    void SendDrawClipboard(TViewerHandle) override {}
    void SendChangeChain(TViewerHandle, TViewerHandle, TViewerHandle) override {}
    // Only a picture that arrived and decoded counts as one: content that is no picture, or a
    // source that failed to deliver, is passed over quietly rather than reported as an error.
    bool HasImage() override { return FCurrent.has_value(); }
    std::optional<QImage> CopyImage() override { return FCurrent; }

private:
    void Announce(TSelectionChange change);

    TWatcherFactory FMakeWatcher;
    std::unique_ptr<ISelectionWatcher> FWatcher;
    std::optional<QImage> FCurrent;
};
