#include "platform/qtclipboardchain.h"

#include "platform/clipboardimage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

TViewerHandle TQtClipboardChain::Join() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    FConnection = connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            emit DrawClipboard();
    });
    // Joining a viewer chain announces the current content once.
    emit DrawClipboard();
    return 0;
}

void TQtClipboardChain::Leave(TViewerHandle) {
    disconnect(FConnection);
}

bool TQtClipboardChain::HasImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data != nullptr && MimeDataOffersImage(*data);
}

std::optional<QImage> TQtClipboardChain::CopyImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (data == nullptr)
        return std::nullopt;
    return ImageFromMimeData(*data);
}
