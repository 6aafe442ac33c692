#pragma once

// platform/clipboard/: how the program hears of clipboard changes and takes the picture: the X11
// and Wayland data-control watchers and the toolkit's fallback, the route chosen at start-up, the
// chain whose rules every route shares, the decoding of offered bytes, the pictures' fingerprint
// and the reading of pipes. Includes nothing of the program outside this room.

#include <QImage>
#include <QObject>
#include <optional>

// Viewer handle of the clipboard change chain: 0 is "no next viewer".
using TViewerHandle = quintptr;

// The clipboard as the window sees it: a chain of change notices, and the image copy.
// The desktop's clipboards have no real chain: joining answers "no next viewer" and delivers
// one immediate change notice, as joining a viewer chain does, and passing notices on does
// nothing; tests emulate a chain.
class IClipboardChain : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~IClipboardChain() override = default;

    // Joins the chain; emits DrawClipboard once before returning. Returns the next viewer.
    virtual TViewerHandle Join() = 0;
    // Leaves the chain, naming the successor.
    virtual void Leave(TViewerHandle next) = 0;
    // Passes a notice on to another viewer.
    virtual void SendDrawClipboard(TViewerHandle) {}
    virtual void SendChangeChain(TViewerHandle /*viewer*/, TViewerHandle /*removed*/,
                                 TViewerHandle /*next*/) {}
    // Whether the clipboard offers an image.
    virtual bool HasImage() = 0;
    // The clipboard image, or nothing when the transfer failed (offered data that does not
    // decode, an image too large to allocate, an owner that vanished mid-transfer).
    virtual std::optional<QImage> CopyImage() = 0;
    // The fingerprint (PictureHash) of the image CopyImage gives; none without one.
    virtual std::optional<quint64> ImageHash() = 0;
    // While capture is off nothing is fetched from the clipboard.
    virtual void SetCapturing(bool /*capturing*/) {}

signals:
    void DrawClipboard();
    void ChangeCBChain(TViewerHandle removed, TViewerHandle next);
};
