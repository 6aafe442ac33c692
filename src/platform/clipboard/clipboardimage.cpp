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
    return !OfferedImageTypes(data.formats()).isEmpty() || InProcessImage(data);
}

std::optional<QImage> ImageFromMimeData(const QMimeData& data) {
    // The first type that brings bytes is read; one refused or empty leads to the next. When
    // those bytes do not decode the transfer failed, even if others are offered, since trying
    // our luck with the rest could save something the user never copied.
    const QStringList types = OfferedImageTypes(data.formats());
    for (const QString& type : types)
        if (const QByteArray bytes = data.data(type); !bytes.isEmpty())
            return DecodeClipboardImage(bytes);
    if (InProcessImage(data)) {
        QImage image = data.imageData().value<QImage>();
        if (!image.isNull())
            return image;
    }
    return std::nullopt;
}
