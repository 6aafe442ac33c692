#include "capture/sizefilter.h"
#include "capture/stretch.h"
#include "capture/thumbnail.h"

#include <gtest/gtest.h>

namespace {

TEST(SizeFilter, BothSidesMustReachTheMinimum) {
    constexpr int Min640x480 = 2;
    EXPECT_TRUE(PassesSizeFilter({640, 480}, Min640x480));
    EXPECT_FALSE(PassesSizeFilter({639, 1000}, Min640x480));
    EXPECT_FALSE(PassesSizeFilter({1000, 479}, Min640x480));
    EXPECT_TRUE(PassesSizeFilter({1280, 1024}, 5));
    EXPECT_FALSE(PassesSizeFilter({1279, 1024}, 5));
    // "any size", and a list without a selection, let everything through.
    EXPECT_TRUE(PassesSizeFilter({1, 1}, 0));
    EXPECT_TRUE(PassesSizeFilter({1, 1}, -1));
    EXPECT_TRUE(PassesSizeFilter({1, 1}, 6));
}

TEST(ScalingDecision, OnTheCapturedSize) {
    constexpr int To1024x768 = 4;
    // Only expanding: one short side is enough, even if the other is over.
    EXPECT_TRUE(DecideScaling({1280, 600}, To1024x768, true, false).Scale);
    EXPECT_FALSE(DecideScaling({1280, 1024}, To1024x768, true, false).Scale);
    // Only shrinking: one long side is enough, even if the other is short.
    EXPECT_TRUE(DecideScaling({600, 1000}, To1024x768, false, true).Scale);
    EXPECT_TRUE(DecideScaling({1100, 700}, To1024x768, false, true).Scale);
    EXPECT_FALSE(DecideScaling({800, 600}, To1024x768, false, true).Scale);
    // Both: everything but the exact size.
    EXPECT_FALSE(DecideScaling({1024, 768}, To1024x768, true, true).Scale);
    EXPECT_TRUE(DecideScaling({1024, 767}, To1024x768, true, true).Scale);
    // Neither option, or no target selected: never.
    EXPECT_FALSE(DecideScaling({100, 100}, To1024x768, false, false).Scale);
    EXPECT_FALSE(DecideScaling({100, 100}, -1, true, true).Scale);
    EXPECT_EQ(DecideScaling({1, 1}, 3, true, false).Target, QSize(960, 720));
}

TEST(StretchSize, WorkedExamples) {
    const QSize target(1024, 768);
    EXPECT_EQ(StretchSize(target, {1280, 600}, true, true), QSize(1638, 768));
    EXPECT_EQ(StretchSize(target, {1280, 600}, true, false), QSize(1024, 480));
    EXPECT_EQ(StretchSize(target, {1280, 600}, false, true), QSize(1024, 768));
    EXPECT_EQ(StretchSize(target, {1280, 1024}, true, false), QSize(960, 768));
    EXPECT_EQ(StretchSize(target, {1280, 1024}, true, true), QSize(1024, 819));
    EXPECT_EQ(StretchSize(target, {800, 600}, true, true), QSize(1024, 768));
    EXPECT_EQ(StretchSize(target, {800, 600}, true, false), QSize(1024, 768));
    // 200/700 is just below 2/7 as a double, so 420 times it truncates to 119.
    EXPECT_EQ(StretchSize({320, 200}, {420, 700}, true, false), QSize(119, 200));
    EXPECT_EQ(StretchSize({320, 200}, {420, 700}, true, true), QSize(320, 533));
}

TEST(StretchSize, ThinStripsExpandedStayWithinRange) {
    // 1 x 3000 covering 1024 x 768 would need a height of 3,072,000; 1 x 3,000,000 would not
    // even fit an int.
    // Both are held at the largest side, 2^20.
    EXPECT_EQ(StretchSize({1024, 768}, {1, 3000}, true, true), QSize(1024, 1 << 20));
    EXPECT_EQ(StretchSize({1024, 768}, {1, 3000000}, true, true), QSize(1024, 1 << 20));
    // Below the bound the exact height: 1 x 1000 covering 1024 x 768 is 1024 x 1,024,000.
    EXPECT_EQ(StretchSize({1024, 768}, {1, 1000}, true, true), QSize(1024, 1024000));
    // Such a picture cannot be made: the stretch says so instead of returning garbage.
    QImage strip(1, 3000, QImage::Format_RGB32);
    strip.fill(Qt::blue);
    EXPECT_TRUE(StretchInto(strip, {1024, 768}, true, true).isNull());
}

TEST(Thumbnail, LargestPictureWithTheCapturedProportions) {
    const QSize control(209, 161);
    auto thumb = [&](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::red);
        return MakeThumbnail(image, control).size();
    };
    EXPECT_EQ(thumb(1024, 768), QSize(209, 156));
    EXPECT_EQ(thumb(1920, 1080), QSize(209, 117));
    EXPECT_EQ(thumb(100, 100), QSize(161, 161));
}

QImage Pattern(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 40, y * 40, (x + y) * 10));
    return image.convertToFormat(format);
}

TEST(NearestStretch, EachTargetPixelTakesOneSourcePixel) {
    const QImage source = Pattern(4, 2);
    // Halving the width keeps columns 0 and 2.
    const QImage half = NearestStretch(source, {2, 2});
    ASSERT_EQ(half.format(), QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(half.pixel(0, y), source.pixel(0, y));
        EXPECT_EQ(half.pixel(1, y), source.pixel(2, y));
    }
    // Doubling the height repeats each row; no colour in between is made up.
    const QImage tall = NearestStretch(source, {4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(tall.pixel(x, y), source.pixel(x, y / 2)) << x << "," << y;
}

TEST(NearestStretch, AnyHeldFormatGivesTheSamePixels) {
    const QImage source = Pattern(5, 3);
    const QImage expected = NearestStretch(source, {7, 2});
    for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB888,
                                  QImage::Format_BGR888, QImage::Format_RGBX64}) {
        EXPECT_EQ(NearestStretch(source.convertToFormat(format), {7, 2}), expected) << format;
    }
    QImage mono(3, 1, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setPixel(0, 0, 1);
    mono.setPixel(1, 0, 0);
    mono.setPixel(2, 0, 1);
    const QImage wide = NearestStretch(mono, {6, 1});
    EXPECT_EQ(wide.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(wide.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(wide.pixel(5, 0), qRgb(255, 255, 255));
}

TEST(AveragingStretch, AveragesTheCoveredPixels) {
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(0, 0, 0));
    source.setPixel(1, 0, qRgb(200, 100, 0));
    source.setPixel(0, 1, qRgb(100, 100, 100));
    source.setPixel(1, 1, qRgb(100, 0, 255));
    const QImage one = AveragingStretch(source, {1, 1});
    EXPECT_EQ(one.pixel(0, 0), qRgb(100, 50, 89)); // (0+200+100+100)/4, …, (355+2)/4
    // Enlarging repeats pixels, like the nearest stretch.
    EXPECT_EQ(AveragingStretch(source, {4, 4}), NearestStretch(source, {4, 4}));
}

TEST(AveragingStretch, OnlyForPoorDisplaysAndRichSources) {
    const QImage rgb = Pattern(2, 2);
    EXPECT_TRUE(NeedsAveragingStretch(8, rgb));
    EXPECT_FALSE(NeedsAveragingStretch(16, rgb));
    EXPECT_FALSE(NeedsAveragingStretch(8, rgb.convertToFormat(QImage::Format_Indexed8)));
    EXPECT_FALSE(NeedsAveragingStretch(8, QImage(2, 2, QImage::Format_Mono)));
}

TEST(StretchInto, KeepsAspectAndReturnsTheStretchedPicture) {
    const QImage result = StretchInto(Pattern(1280, 1024), {1024, 768}, true, false);
    EXPECT_EQ(result.size(), QSize(960, 768));
    EXPECT_TRUE(StretchInto(QImage(), {10, 10}, true, false).isNull());
}

} // namespace
