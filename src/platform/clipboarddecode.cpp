#include "platform/clipboarddecode.h"

#include <QBuffer>
#include <QImageReader>
#include <iterator>

namespace {

struct TImageType {
    const char* Mime;
    const char* Format; // the reader's name for it
};

// Lossless types first.
constexpr TImageType ImageTypes[] = {
    {"image/png", "png"},
    {"image/bmp", "bmp"},
    {"image/x-bmp", "bmp"},
    {"image/x-MS-bmp", "bmp"},
    {"image/x-win-bitmap", "bmp"},
    {"image/tiff", "tiff"},
    {"image/x-portable-pixmap", "ppm"},
    {"image/ppm", "ppm"},
    {"image/gif", "gif"},
    {"image/jpeg", "jpeg"},
    {"image/jpg", "jpeg"},
};

const TImageType* FindType(const QString& mimeType) {
    for (const TImageType& type : ImageTypes)
        if (mimeType == QLatin1String(type.Mime))
            return &type;
    return nullptr;
}

bool CanRead(const TImageType& type) {
    static const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    return readable.contains(QByteArray(type.Format));
}

// The reader's allocation limit is one global; set it once, before the first decode on any
// thread. Qt's default (128 MB) would refuse an 8K screenshot.
void SetAllocationLimit() {
    static const bool done = [] {
        QImageReader::setAllocationLimit(MaxClipboardImageMegabytes);
        return true;
    }();
    (void)done;
}

} // namespace

QStringList DecodableImageTypes() {
    QStringList types;
    for (const TImageType& type : ImageTypes)
        if (CanRead(type))
            types << QString::fromLatin1(type.Mime);
    return types;
}

QString PreferredImageType(const QStringList& offered) {
    for (const QString& type : DecodableImageTypes())
        if (offered.contains(type))
            return type;
    return {};
}

std::optional<QImage> DecodeClipboardImage(const QByteArray& bytes, const QString& mimeType) {
    const TImageType* type = FindType(mimeType);
    if (type == nullptr || !CanRead(*type) || bytes.isEmpty() || bytes.size() > MaxClipboardBytes)
        return std::nullopt;
    SetAllocationLimit();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, type->Format);
    reader.setAutoDetectImageFormat(false);
    // The declared size decides before any pixel memory is taken; a reader that cannot tell it
    // does not get to decode.
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty() || declared.width() > MaxClipboardSide ||
        declared.height() > MaxClipboardSide)
        return std::nullopt;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return image;
}
