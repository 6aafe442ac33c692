#pragma once

#include "platform/clipboardchain.h"

// Change notices of the X11 CLIPBOARD selection (never PRIMARY) through QClipboard.
class TQtClipboardChain : public IClipboardChain {
    Q_OBJECT
public:
    TViewerHandle Join() override;
    void Leave(TViewerHandle next) override;
    void SendDrawClipboard(TViewerHandle) override {}
    void SendChangeChain(TViewerHandle, TViewerHandle, TViewerHandle) override {}
    bool HasImage() override;
    std::optional<QImage> CopyImage() override;

private:
    QMetaObject::Connection FConnection;
};
