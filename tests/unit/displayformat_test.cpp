#include "capture/displayformat.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

QImage Colours() {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 255, 0, 128));
    image.setPixel(2, 0, qRgba(0, 0, 255, 255));
    image.setPixel(0, 1, qRgba(255, 255, 255, 255));
    image.setPixel(1, 1, qRgba(0, 0, 0, 255));
    image.setPixel(2, 1, qRgba(128, 128, 128, 255));
    return image;
}

TEST(DisplayFormat, EachDepthHasItsPixelFormat) {
    const QImage source = Colours();
    EXPECT_EQ(ToDisplayFormat(source, 32).format(), QImage::Format_RGB32);
    EXPECT_EQ(ToDisplayFormat(source, 24).format(), QImage::Format_BGR888);
    EXPECT_EQ(ToDisplayFormat(source, 16).format(), QImage::Format_RGB555);
    EXPECT_EQ(ToDisplayFormat(source, 15).format(), QImage::Format_RGB555);
    const QImage indexed = ToDisplayFormat(source, 8);
    EXPECT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(indexed.colorCount(), 256);
}

TEST(DisplayFormat, TrueColourKeepsThePixels) {
    const QImage source = Colours();
    const QImage bgr = ToDisplayFormat(source, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(qRgb(qRed(source.pixel(x, y)), qGreen(source.pixel(x, y)),
                           qBlue(source.pixel(x, y))),
                      bgr.pixel(x, y));
    // Blue, green, red in memory, as a 24-bit display holds them.
    EXPECT_EQ(bgr.constScanLine(0)[0], 0);
    EXPECT_EQ(bgr.constScanLine(0)[2], 255);
}

TEST(DisplayFormat, PaletteColoursSurviveAnEightBitDisplay) {
    const QImage indexed = ToDisplayFormat(Colours(), 8);
    EXPECT_EQ(indexed.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(indexed.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(indexed.pixel(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(indexed.pixel(1, 1), qRgb(0, 0, 0));
    const QVector<QRgb>& palette = DisplayPalette();
    EXPECT_EQ(palette.size(), 256);
    EXPECT_EQ(QSet<QRgb>(palette.begin(), palette.end()).size(), 256); // no colour twice
}

TEST(DisplayFormat, MonochromeStaysBlackAndWhite) {
    QImage mono(9, 1, QImage::Format_Mono);
    // A table the other way round, as some programs write it.
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    mono.setPixel(8, 0, 1);
    for (int depth : {8, 16, 24, 32}) {
        const QImage held = ToDisplayFormat(mono, depth);
        ASSERT_EQ(held.format(), QImage::Format_Mono);
        EXPECT_EQ(held.colorTable(), (QVector<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
        EXPECT_EQ(held.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(held.pixel(8, 0), qRgb(0, 0, 0));
    }
}

} // namespace
