#include "platform/xcbclipboardchain.h"

#include <cstdio>

TXcbClipboardChain::TXcbClipboardChain() {
    FWatcher = std::make_unique<TXcbSelectionWatcher>([this](TClipboardOffer offer) {
        // Queued to the GUI thread; dropped with this object if it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, offer = std::move(offer)]() mutable { Arrived(std::move(offer)); },
            Qt::QueuedConnection);
    });
    connect(&FFallback, &IClipboardChain::DrawClipboard, this, &IClipboardChain::DrawClipboard);
}

TXcbClipboardChain::~TXcbClipboardChain() {
    // The watcher's thread delivers to this object: it ends first.
    FWatcher.reset();
}

TViewerHandle TXcbClipboardChain::Join() {
    FCurrent = {};
    FFallingBack = !FWatcher->Start();
    if (FFallingBack) {
        std::fprintf(stderr, "snapvault: no X display with the XFixes extension; the clipboard "
                             "is watched through the toolkit\n");
        return FFallback.Join();
    }
    // What is on the clipboard already was not copied for us: the watcher does not fetch it,
    // and this notice offers no picture.
    emit DrawClipboard();
    return 0;
}

void TXcbClipboardChain::Leave(TViewerHandle next) {
    if (FFallingBack)
        FFallback.Leave(next);
    FWatcher->Stop();
}

bool TXcbClipboardChain::HasImage() {
    return FFallingBack ? FFallback.HasImage() : FCurrent.OffersImage;
}

std::optional<QImage> TXcbClipboardChain::CopyImage() {
    return FFallingBack ? FFallback.CopyImage() : FCurrent.Image;
}

void TXcbClipboardChain::Arrived(TClipboardOffer offer) {
    FCurrent = std::move(offer);
    emit DrawClipboard();
}
