#include "platform/clipboardimage.h"
#include "platform/systemerror.h"

#include <QBuffer>
#include <QMimeData>
#include <QtEndian>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

QByteArray Encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// A PNG whose header claims a picture far too large to hold.
QByteArray HugePngHeader() {
    QImage small(1, 1, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray png = Encoded(small, "PNG");
    // IHDR data starts at byte 16: width and height, big-endian. The CRC no longer matches,
    // which a careful reader may also refuse: either way it must not decode.
    qToBigEndian<quint32>(200000, png.data() + 16);
    qToBigEndian<quint32>(200000, png.data() + 20);
    return png;
}

TEST(ClipboardImage, DecodesOfferedPictures) {
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    for (const char* type : {"image/png", "image/bmp"}) {
        QMimeData data;
        data.setData(type, Encoded(image, type + 6));
        ASSERT_TRUE(MimeDataOffersImage(data)) << type;
        const auto copied = ImageFromMimeData(data);
        ASSERT_TRUE(copied.has_value()) << type;
        EXPECT_EQ(copied->convertToFormat(QImage::Format_RGB32), image) << type;
    }
}

TEST(ClipboardImage, UndecodableOffersAreFailedTransfers) {
    QMimeData garbage;
    garbage.setData("image/png", QByteArray("not a picture at all"));
    EXPECT_TRUE(MimeDataOffersImage(garbage));
    EXPECT_FALSE(ImageFromMimeData(garbage).has_value());

    QMimeData empty;
    empty.setData("image/png", QByteArray());
    EXPECT_FALSE(ImageFromMimeData(empty).has_value());

    QMimeData huge;
    huge.setData("image/png", HugePngHeader());
    EXPECT_FALSE(ImageFromMimeData(huge).has_value());
}

TEST(ClipboardImage, LargeScreenshotsAreNotTooLarge) {
    // 8192 x 4608 with alpha is more than Qt's default reading limit of 128 MiB. Stored
    // without compression, so the test does not spend its time in deflate.
    QImage image(8192, 4608, QImage::Format_ARGB32);
    image.fill(qRgba(5, 6, 7, 255));
    QMimeData data;
    data.setData("image/png", Encoded(image, "PNG", 100));
    const auto copied = ImageFromMimeData(data);
    ASSERT_TRUE(copied.has_value());
    EXPECT_EQ(copied->size(), image.size());
}

TEST(ClipboardImage, TextIsNoPicture) {
    QMimeData text;
    text.setText("hello");
    EXPECT_FALSE(MimeDataOffersImage(text));
    EXPECT_FALSE(ImageFromMimeData(text).has_value());
}

TEST(ClipboardImage, InProcessImagesTravelAsQImage) {
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(qRgba(9, 8, 7, 255));
    QMimeData data;
    data.setImageData(image);
    EXPECT_TRUE(MimeDataOffersImage(data));
    EXPECT_EQ(ImageFromMimeData(data), image);
}

TEST(ErrorCaption, SystemTextOrTheGeneralOne) {
    EXPECT_EQ(ErrorCaption(0), "An error has occurred");
    EXPECT_EQ(ErrorCaption(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorCaption(EACCES), "Permission denied");
}

} // namespace
