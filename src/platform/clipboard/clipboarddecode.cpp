#include "platform/clipboard/clipboarddecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cstring>
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

// The most pixels one byte of a complete picture can stand for: deflate's best ratio (1032:1)
// at one bit a pixel, as in a PNG of one colour. GIF's codes, JPEG's and BMP's runs pack fewer.
constexpr qint64 MaxPixelsPerByte = 8 * 1032;

// The size the reader fills: a GIF's decoder paints the logical screen (bytes 6 to 9, read
// whatever the signature), which may be far larger than the first frame that size() reports.
QSize FilledSize(const QByteArray& bytes, const TImageType& type, const QSize& declared) {
    if (qstrcmp(type.Format, "gif") != 0 || bytes.size() < 10)
        return declared;
    const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
    return declared.expandedTo(
        QSize(qFromLittleEndian<quint16>(header + 6), qFromLittleEndian<quint16>(header + 8)));
}

// A size the bytes can hold: within the sides, and no more pixels than they can describe. A
// header that claims more (cut off after it, or a tiny frame on a huge screen) would have the
// reader reserve and paint memory the input never fills.
bool Holds(const QSize& size, qint64 bytes) {
    return size.isValid() && !size.isEmpty() && size.width() <= MaxClipboardSide &&
           size.height() <= MaxClipboardSide &&
           qint64(size.width()) * size.height() <= bytes * MaxPixelsPerByte;
}

// Whether no chunk of a PNG claims more bytes than follow it. The reader reserves a chunk's
// declared length (up to 2 GiB) before it finds the input short; a whole picture never claims
// more than it has. A picture cut off between chunks is left to the reader.
bool ChunksFit(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    for (qint64 at = 8; at + 8 <= size;) {
        const qint64 length = qFromBigEndian<quint32>(data + at);
        if (length > size - at - 12)
            return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    return true;
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

bool ChunkClaimsMoreThanFollows(const QByteArray& bytes, const QString& mimeType) {
    const TImageType* type = FindType(mimeType);
    return type != nullptr && qstrcmp(type->Format, "png") == 0 && !ChunksFit(bytes);
}

std::optional<QImage> DecodeClipboardImage(const QByteArray& bytes, const QString& mimeType) {
    const TImageType* type = FindType(mimeType);
    if (type == nullptr || !CanRead(*type) || bytes.isEmpty() || bytes.size() > MaxClipboardBytes)
        return std::nullopt;
    if (ChunkClaimsMoreThanFollows(bytes, mimeType))
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
    if (!declared.isValid() || !Holds(FilledSize(bytes, *type, declared), bytes.size()))
        return std::nullopt;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return image;
}
