// The window's place in the clipboard change chain, and the gate every change passes.
#include "platform/clipboard/clipboardchain.h"
#include "platform/platform.h"
#include "ui/svxform.h"

#include <QCheckBox>

void TSVXForm::ClipboardChainChanged(TViewerHandle removed, TViewerHandle next) {
    if (removed == NextViewer)
        NextViewer = next;
    else if (NextViewer != 0)
        Platform().Clipboard->SendChangeChain(NextViewer, removed, next);
}

void TSVXForm::ClipboardChanged() {
    IClipboardChain& clipboard = *Platform().Clipboard;
    // The rest of the chain sees every change, whatever this window does with it.
    if (NextViewer != 0)
        clipboard.SendDrawClipboard(NextViewer);
    // Joining announces what is already on the clipboard: that was not copied for us.
    if (IgnoreNextClipboardChange) {
        IgnoreNextClipboardChange = false;
        return;
    }
    if (!OptActivate->isChecked())
        return;
    if (!clipboard.HasImage())
        return;
    CaptureClipboardImage();
}
