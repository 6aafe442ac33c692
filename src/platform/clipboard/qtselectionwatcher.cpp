#include "platform/clipboard/qtselectionwatcher.h"

#include "platform/clipboard/clipboardimage.h"
#include "platform/clipboard/picturehash.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool TQtSelectionWatcher::Start() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    QObject::connect(clipboard, &QClipboard::changed, &FReceiver, [this](QClipboard::Mode mode) {
        if (mode != QClipboard::Clipboard || !Fetching())
            return;
        TSelectionChange change;
        if (const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
            data != nullptr && MimeDataOffersImage(*data)) {
            change.OffersImage = true;
            change.Image = ImageFromMimeData(*data);
        }
        FReport(WithHash(std::move(change)));
    });
    return true;
}
