#include "platform/clipboardimage.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>
#include <QVariant>

namespace {

// Lossless types first: a program that offers PNG and JPEG means the PNG.
const char* const PreferredTypes[] = {"image/png",      "image/bmp",  "image/x-bmp",
                                      "image/x-MS-bmp", "image/tiff", "image/x-portable-pixmap",
                                      "image/ppm",      "image/gif",  "image/jpeg",
                                      "image/jpg"};

std::optional<QImage> Decode(const QByteArray& bytes, const QByteArray& format) {
    if (bytes.isEmpty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(true);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return image;
}

} // namespace

bool MimeDataOffersImage(const QMimeData& data) {
    if (data.hasImage())
        return true;
    const QStringList formats = data.formats();
    for (const QString& format : formats)
        if (format.startsWith(QLatin1String("image/")))
            return true;
    return false;
}

std::optional<QImage> ImageFromMimeData(const QMimeData& data) {
    // Qt's own conversion of clipboard images reads with the global limit too; the default
    // (128 MB) would refuse an 8K screenshot.
    QImageReader::setAllocationLimit(MaxClipboardImageMegabytes);
    // An image set in this process travels as a QImage already.
    if (data.hasImage()) {
        const QVariant variant = data.imageData();
        if (variant.canConvert<QImage>()) {
            QImage image = variant.value<QImage>();
            if (!image.isNull())
                return image;
        }
    }
    const QStringList formats = data.formats();
    for (const char* type : PreferredTypes) {
        const QString name = QString::fromLatin1(type);
        if (formats.contains(name)) {
            const QByteArray subtype = name.mid(6).toLatin1();
            if (auto image = Decode(data.data(name), subtype))
                return image;
            // A type that does not decode is a failed transfer, even if others are offered:
            // trying our luck with the rest could save something the user never copied.
            return std::nullopt;
        }
    }
    for (const QString& format : formats)
        if (format.startsWith(QLatin1String("image/")))
            return Decode(data.data(format), QByteArray());
    return std::nullopt;
}
