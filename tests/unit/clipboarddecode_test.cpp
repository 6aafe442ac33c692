#include "platform/clipboard/clipboardimage.h"
#include "platform/systemerror.h"

#include <QBuffer>
#include <QMimeData>
#include <QtEndian>
#include <cerrno>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray Encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QImage Filled(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    return image;
}

// A small PNG whose header, checksum intact, declares width x height.
QByteArray PngDeclaring(quint32 width, quint32 height) {
    QByteArray png = Encoded(Filled(1, 1), "PNG");
    // The IHDR chunk: type at 12, width and height at 16 and 20, its checksum at 29.
    qToBigEndian<quint32>(width, png.data() + 16);
    qToBigEndian<quint32>(height, png.data() + 20);
    const auto* chunk = reinterpret_cast<const Bytef*>(png.constData() + 12);
    qToBigEndian<quint32>(quint32(crc32(0, chunk, 17)), png.data() + 29);
    return png;
}

// `bytes` with those at `at` replaced by `hex`.
QByteArray Patched(QByteArray bytes, qsizetype at, const char* hex) {
    const QByteArray patch = QByteArray::fromHex(hex);
    return bytes.replace(at, patch.size(), patch);
}

// The smallest GIF: one white pixel (Qt reads GIF but does not write it).
const QByteArray OnePixelGif =
    QByteArray::fromHex("474946383961010001008000"
                        "00ffffff0000002c00000000010001000002024401003b");

TEST(ClipboardDecode, EachTypeDecodesWithItsOwnFormatOnly) {
    const QImage small = Filled(5, 3);
    const struct {
        const char* Type;
        QByteArray Bytes;
        QSize Size;
        bool Lossless;
    } cases[] = {
        {"image/png", Encoded(small, "PNG"), small.size(), true},
        {"image/png", Encoded(Filled(MaxClipboardSide, 1), "PNG"), {MaxClipboardSide, 1}, true},
        {"image/bmp", Encoded(small, "BMP"), small.size(), true},
        {"image/x-MS-bmp", Encoded(small, "BMP"), small.size(), true},
        {"image/x-portable-pixmap", Encoded(small, "PPM"), small.size(), true},
        {"image/jpeg", Encoded(small, "JPEG"), small.size(), false},
        {"image/gif", OnePixelGif, {1, 1}, false},
        {"image/tiff", Encoded(small, "TIFF"), small.size(), true},
        {"image/webp", Encoded(small, "WEBP", 100), small.size(), true},
    };
    for (const auto& c : cases) {
        const auto image = DecodeClipboardImage(c.Bytes);
        ASSERT_TRUE(image.has_value()) << c.Type;
        EXPECT_EQ(image->size(), c.Size) << c.Type;
        if (c.Lossless) {
            EXPECT_EQ(image->convertToFormat(QImage::Format_RGB32),
                      Filled(c.Size.width(), c.Size.height()))
                << c.Type;
        }
    }
}

TEST(ClipboardDecode, UnsoundOffersAreFailedTransfers) {
    const QByteArray jpeg = Encoded(Filled(2, 2), "JPEG");
    const struct {
        const char* Name;
        QByteArray Bytes;
    } cases[] = {
        {"garbage", "not a picture at all"},
        {"empty", QByteArray()},
        {"svg", "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>"},
        {"icon", Encoded(Filled(2, 2), "ICO")},
        {"too wide", Encoded(Filled(MaxClipboardSide + 1, 1), "PNG")},
        {"too high", Encoded(Filled(1, MaxClipboardSide + 1), "PNG")},
        {"too high, TIFF", Encoded(Filled(1, MaxClipboardSide + 1), "TIFF")},
        {"declares 20000 x 20000", PngDeclaring(20000, 20000)},
        {"declares 200000 x 200000", PngDeclaring(200000, 200000)},
        {"one pixel on a screen of 16000 x 16000",
         OnePixelGif.left(6) + "\x80\x3e\x80\x3e" + OnePixelGif.mid(10)},
        // Headers claiming 16000 x 16000 pixels, in fewer bytes than could describe them.
        {"JPEG", Patched(jpeg, jpeg.indexOf("\xff\xc0") + 5, "3e803e80")},
        {"BMP", Patched(Encoded(Filled(2, 2), "BMP"), 18, "803e0000803e0000")},
        {"WebP", Patched(Encoded(Filled(2, 2), "WEBP", 100), 21, "7ffe9f0f")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeClipboardImage(c.Bytes).has_value()) << c.Name;
}

// Refused by the guard itself, before a reader could reserve what a chunk claims.
TEST(ClipboardDecode, APngChunkClaimingMoreThanFollowsIsRefusedUnread) {
    QByteArray png = Encoded(Filled(5, 3), "PNG");
    const qsizetype idat = png.indexOf("IDAT") - 4; // the chunk's length, then its type
    const qsizetype checksum = idat + 8 + qFromBigEndian<quint32>(png.constData() + idat);
    EXPECT_FALSE(ChunkClaimsMoreThanFollows(png));
    EXPECT_TRUE(ChunkClaimsMoreThanFollows(png.left(checksum)));
    qToBigEndian<quint32>(0x7fffffff, png.data() + idat);
    EXPECT_TRUE(ChunkClaimsMoreThanFollows(png));
}

TEST(ClipboardDecode, LargeScreenshotsAreNotTooLarge) {
    // 8192 x 4608 with alpha is more than Qt's default reading limit of 128 MiB. Stored
    // without compression, so the test does not spend its time in deflate.
    QImage image(8192, 4608, QImage::Format_ARGB32);
    image.fill(qRgba(5, 6, 7, 255));
    const auto copied = DecodeClipboardImage(Encoded(image, "PNG", 100));
    ASSERT_TRUE(copied.has_value());
    EXPECT_EQ(copied->size(), image.size());
}

TEST(ClipboardDecode, TypePreference) {
    const QStringList types = DecodableImageTypes();
    ASSERT_FALSE(types.isEmpty());
    EXPECT_EQ(types.first(), "image/png");
    const struct {
        QStringList Offered;
        QStringList Chosen;
    } cases[] = {
        {{"TARGETS", "image/jpeg", "image/png", "image/bmp"},
         {"image/png", "image/bmp", "image/jpeg"}},
        {{"image/jpeg", "image/bmp"}, {"image/bmp", "image/jpeg"}},
        {{"text/html", "image/webp", "image/gif", "image/JPEG", "image/tiff"},
         {"image/tiff", "image/JPEG", "image/gif", "image/webp"}},
        {{"image/svg+xml", "text/plain"}, {}},
        {{"application/x-qt-image"}, {}},
        {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OfferedImageTypes(c.Offered), c.Chosen) << c.Offered.join(' ').toStdString();
}

TEST(ClipboardDecode, UndecodablePreferredTypeFailsEvenBesideAGoodOne) {
    QMimeData data;
    data.setData("image/png", "not a picture");
    data.setData("image/bmp", Encoded(Filled(2, 2), "BMP"));
    EXPECT_TRUE(MimeDataOffersImage(data));
    EXPECT_FALSE(ImageFromMimeData(data).has_value());
    // A type that brings nothing leads to the next.
    data.setData("image/png", QByteArray());
    EXPECT_TRUE(ImageFromMimeData(data).has_value());

    QMimeData svg;
    svg.setData("image/svg+xml", "<svg/>");
    EXPECT_FALSE(MimeDataOffersImage(svg));
}

TEST(ErrorCaption, SystemTextOrTheGeneralOne) {
    EXPECT_EQ(ErrorCaption(0), "An error has occurred");
    EXPECT_EQ(ErrorCaption(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorCaption(EACCES), "Permission denied");
}

} // namespace
