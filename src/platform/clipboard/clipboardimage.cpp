#include "platform/clipboard/clipboardimage.h"

#include <QMimeData>
#include <QVariant>

namespace {

// An image set in this process travels as a QImage and offers no encoded type.
bool InProcessImage(const QMimeData& data) {
    return data.formats() == QStringList{QStringLiteral("application/x-qt-image")};
}

} // namespace

bool MimeDataOffersImage(const QMimeData& data) {
    return !PreferredImageType(data.formats()).isEmpty() || InProcessImage(data);
}

std::optional<QImage> ImageFromMimeData(const QMimeData& data) {
    // Only the preferred type is read: when it does not decode the transfer failed, even if
    // others are offered, since trying our luck with the rest could save something the user
    // never copied.
    const QString type = PreferredImageType(data.formats());
    if (!type.isEmpty())
        return DecodeClipboardImage(data.data(type), type);
    if (InProcessImage(data)) {
        QImage image = data.imageData().value<QImage>();
        if (!image.isNull())
            return image;
    }
    return std::nullopt;
}
