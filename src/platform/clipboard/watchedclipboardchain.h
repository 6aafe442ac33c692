#pragma once

#include "platform/clipboard/clipboardchain.h"
#include "platform/clipboard/selectionwatcher.h"

#include <memory>

// The clipboard as a selection watcher sees it, whichever desktop it watches. Each change the
// watcher reports becomes one DrawClipboard on this object's thread, and HasImage, CopyImage and
// ImageHash answer for that change: a burst is captured change by change, and no change is
// announced twice. A picture type that was offered but did not arrive or decode is an image
// whose copy fails; anything else is no image.
class TWatchedClipboardChain : public IClipboardChain {
    Q_OBJECT
public:
    using TWatcherFactory =
        std::function<std::unique_ptr<ISelectionWatcher>(ISelectionWatcher::TReport)>;

    explicit TWatchedClipboardChain(TWatcherFactory makeWatcher);
    ~TWatchedClipboardChain() override;

    TViewerHandle Join() override;
    void Leave(TViewerHandle next) override;
    bool HasImage() override { return FCurrent.OffersImage; }
    std::optional<QImage> CopyImage() override { return FCurrent.Image; }
    std::optional<quint64> ImageHash() override { return FCurrent.Hash; }
    void SetCapturing(bool capturing) override;

private:
    void Announce(TSelectionChange change);

    TWatcherFactory FMakeWatcher;
    std::unique_ptr<ISelectionWatcher> FWatcher;
    TSelectionChange FCurrent;
    bool FCapturing = true;
};
