#pragma once

#include "platform/clipboardchain.h"
#include "platform/qtclipboardchain.h"
#include "platform/xcbselectionwatcher.h"

#include <memory>

// The X11 CLIPBOARD selection, watched and fetched away from the GUI thread: each change arrives
// here as one event with its picture already decoded, and HasImage and CopyImage answer for it.
// Without an X display that has XFixes, the toolkit's own clipboard notices stand in.
class TXcbClipboardChain : public IClipboardChain {
    Q_OBJECT
public:
    TXcbClipboardChain();
    ~TXcbClipboardChain() override;

    TViewerHandle Join() override;
    void Leave(TViewerHandle next) override;
    void SendDrawClipboard(TViewerHandle) override {}
    void SendChangeChain(TViewerHandle, TViewerHandle, TViewerHandle) override {}
    bool HasImage() override;
    std::optional<QImage> CopyImage() override;

private:
    void Arrived(TClipboardOffer offer);

    std::unique_ptr<TXcbSelectionWatcher> FWatcher;
    TQtClipboardChain FFallback;
    bool FFallingBack = false;
    TClipboardOffer FCurrent;
};
