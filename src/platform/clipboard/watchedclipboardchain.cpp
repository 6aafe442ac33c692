#include "platform/clipboard/watchedclipboardchain.h"

#include <cstdio>

TWatchedClipboardChain::TWatchedClipboardChain(TWatcherFactory makeWatcher)
    : FMakeWatcher(std::move(makeWatcher)) {}

// The watcher's thread ends before the object it reports to.
TWatchedClipboardChain::~TWatchedClipboardChain() = default;

TViewerHandle TWatchedClipboardChain::Join() {
    if (!FWatcher) {
        // Reports cross to this object's thread as queued calls; those still queued when the
        // object has gone are dropped with it.
        FWatcher = FMakeWatcher([this](TSelectionChange change) {
            QMetaObject::invokeMethod(
                this, [this, change = std::move(change)]() mutable { Announce(std::move(change)); },
                Qt::QueuedConnection);
        });
        FWatcher->SetFetching(FCapturing);
        if (!FWatcher->Start())
            std::fprintf(stderr, "snapvault: the clipboard cannot be watched on this display\n");
    }
    // Joining announces what is on the clipboard now; the window passes over that notice.
    FCurrent = {};
    emit DrawClipboard();
    return 0;
}

void TWatchedClipboardChain::Leave(TViewerHandle) {
    FWatcher.reset();
}

void TWatchedClipboardChain::SetCapturing(bool capturing) {
    FCapturing = capturing;
    if (FWatcher)
        FWatcher->SetFetching(capturing);
}

void TWatchedClipboardChain::Announce(TSelectionChange change) {
    if (!FWatcher)
        return;
    FCurrent = std::move(change);
    emit DrawClipboard();
}
