#include "platform/clipboard/clipboarddecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cstring>
#include <string_view>

namespace {

using namespace std::string_view_literals;

struct TImageType {
    const char* Mime;
    const char* Format; // the reader's name for it
};

// Lossless and cheap to decode first, then the lossy ones.
constexpr TImageType ImageTypes[] = {
    {"image/png", "png"},
    {"image/bmp", "bmp"},
    {"image/x-bmp", "bmp"},
    {"image/x-MS-bmp", "bmp"},
    {"image/x-win-bitmap", "bmp"},
    {"image/tiff", "tiff"},
    {"image/x-portable-pixmap", "ppm"},
    {"image/ppm", "ppm"},
    {"image/jpeg", "jpeg"},
    {"image/jpg", "jpeg"},
    {"image/gif", "gif"},
    {"image/webp", "webp"},
};

// How each reader's files begin; '?' stands for any byte.
struct TSignature {
    std::string_view Magic;
    const char* Format;
};

constexpr TSignature Signatures[] = {
    {"\x89PNG\r\n\x1a\n"sv, "png"},
    {"BM"sv, "bmp"},
    {"II*\0"sv, "tiff"},
    {"MM\0*"sv, "tiff"},
    {"\xff\xd8\xff"sv, "jpeg"},
    {"GIF8?a"sv, "gif"},
    {"RIFF????WEBP"sv, "webp"},
    {"P1"sv, "ppm"},
    {"P2"sv, "ppm"},
    {"P3"sv, "ppm"},
    {"P4"sv, "ppm"},
    {"P5"sv, "ppm"},
    {"P6"sv, "ppm"},
};

bool Begins(const QByteArray& bytes, std::string_view magic) {
    if (bytes.size() < qsizetype(magic.size()))
        return false;
    for (size_t at = 0; at < magic.size(); ++at)
        if (magic[at] != '?' && bytes[qsizetype(at)] != magic[at])
            return false;
    return true;
}

bool CanRead(const char* format) {
    static const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    return readable.contains(QByteArray(format));
}

// The reader for what the bytes are; none when they are no picture of a type we decode.
const char* ReaderFor(const QByteArray& bytes) {
    for (const TSignature& signature : Signatures)
        if (Begins(bytes, signature.Magic))
            return CanRead(signature.Format) ? signature.Format : nullptr;
    return nullptr;
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
// at one bit a pixel, as in a PNG of one colour. GIF's codes, JPEG's and BMP's runs pack fewer;
// a TIFF or WebP of one colour can pack more, and is refused with the bombs it looks like.
constexpr qint64 MaxPixelsPerByte = 8 * 1032;

// The size the reader fills: a GIF's decoder paints the logical screen (bytes 6 to 9), which
// may be far larger than the first frame that size() reports.
QSize FilledSize(const QByteArray& bytes, const char* format, const QSize& declared) {
    if (qstrcmp(format, "gif") != 0 || bytes.size() < 10)
        return declared;
    const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
    return declared.expandedTo(
        QSize(qFromLittleEndian<quint16>(header + 6), qFromLittleEndian<quint16>(header + 8)));
}

// A size the bytes can hold: within the sides, and no more pixels than they can describe. A
// header that claims more (cut off after it, which the JPEG reader paints grey to the end, or a
// tiny frame on a huge screen) would have the reader reserve and paint memory the input never
// fills.
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
        if (CanRead(type.Format))
            types << QString::fromLatin1(type.Mime);
    return types;
}

QStringList OfferedImageTypes(const QStringList& offered) {
    QStringList types;
    for (const QString& type : DecodableImageTypes())
        for (const QString& name : offered)
            if (name.compare(type, Qt::CaseInsensitive) == 0 && !types.contains(name))
                types << name;
    return types;
}

bool ChunkClaimsMoreThanFollows(const QByteArray& bytes) {
    const char* format = ReaderFor(bytes);
    return format != nullptr && qstrcmp(format, "png") == 0 && !ChunksFit(bytes);
}

std::optional<QImage> DecodeClipboardImage(const QByteArray& bytes) {
    const char* format = ReaderFor(bytes);
    if (format == nullptr || bytes.size() > MaxClipboardBytes)
        return std::nullopt;
    if (ChunkClaimsMoreThanFollows(bytes))
        return std::nullopt;
    SetAllocationLimit();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    // The declared size decides before any pixel memory is taken; a reader that cannot tell it
    // does not get to decode.
    const QSize declared = reader.size();
    if (!declared.isValid() || !Holds(FilledSize(bytes, format, declared), bytes.size()))
        return std::nullopt;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    return image;
}
