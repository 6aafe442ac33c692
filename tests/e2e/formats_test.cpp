// Output formats and the size options, each read from the window at the moment of the capture.
#include "e2efixture.h"
#include "imagechecks.h"
#include "testfiles.h"

#include <QFile>

namespace {

// Few colours: the PNG writer may store this with a palette.
QImage StripesImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(200, 30, 40), qRgb(10, 120, 250), qRgb(255, 255, 255)};
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = colours[(x / 3 + y / 2) % 3];
    }
    return image;
}

} // namespace

using FormatTest = TE2ETest;

TEST_F(FormatTest, PngHoldsExactlyTheCopiedPixels) {
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("PngOut")));
    ASSERT_TRUE(SetActive(window, true));

    const QList<QImage> images{PatternImage(97, 61, 20), StripesImage(70, 33)};
    for (const QImage& image : images)
        ASSERT_TRUE(CopyImage(image));
    for (int i = 0; i < images.size(); ++i) {
        const QString path = Home() + QStringLiteral("/SV000%1.png").arg(i);
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(SamePixels(images[i], WaitForImageFile(path)));
    }
}

TEST_F(FormatTest, JpegOptionsAreThoseShownAtCaptureTime) {
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("JpgOut")));
    ASSERT_TRUE(SetActive(window, true));
    const QImage image = PatternImage(80, 60, 30);

    ASSERT_TRUE(SetChecked(window, QStringLiteral("JPEGGray"), true));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("JPEGProgressive"), true));
    ASSERT_TRUE(CopyImage(image));
    const QString greyPath = Home() + QStringLiteral("/SV0000.jpg");
    const QImage grey = WaitForImageFile(greyPath);
    ASSERT_FALSE(grey.isNull()) << "no complete " << greyPath.toStdString();
    EXPECT_EQ(grey.format(), QImage::Format_Grayscale8);
    std::optional<TJpegFrame> frame = ReadJpegFrame(ReadAll(greyPath));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->Marker, 0xC2) << "not progressive";
    EXPECT_EQ(frame->Components, 1);
    EXPECT_EQ(QSize(frame->Width, frame->Height), image.size());

    // Unchecked again before the next copy: colour, sequential.
    ASSERT_TRUE(SetChecked(window, QStringLiteral("JPEGGray"), false));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("JPEGProgressive"), false));
    ASSERT_TRUE(CopyImage(image));
    const QString colourPath = Home() + QStringLiteral("/SV0001.jpg");
    ASSERT_FALSE(WaitForImageFile(colourPath).isNull())
        << "no complete " << colourPath.toStdString();
    frame = ReadJpegFrame(ReadAll(colourPath));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->Marker, 0xC0) << "not baseline";
    EXPECT_EQ(frame->Components, 3);
}

TEST_F(FormatTest, ShrinksToTargetKeepingAspectRatio) {
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("JpgOut")));
    ASSERT_TRUE(ChooseItem(window, QStringLiteral("OptResizeTo"), QStringLiteral("1024x768")));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptResizeUp"), false));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptResizeDown"), true));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptAR"), true));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptARShr"), true));
    ASSERT_TRUE(SetActive(window, true));
    const QImage screen = PatternImage(1280, 1024, 50);

    // Shrinking fits the picture inside 1024x768; expanding makes it cover that.
    ASSERT_TRUE(CopyImage(screen));
    const QImage shrunk = WaitForImageFile(Home() + QStringLiteral("/SV0000.jpg"));
    EXPECT_EQ(shrunk.size(), QSize(960, 768));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptARExp"), true));
    ASSERT_TRUE(CopyImage(screen));
    const QImage expanded = WaitForImageFile(Home() + QStringLiteral("/SV0001.jpg"));
    EXPECT_EQ(expanded.size(), QSize(1024, 819));
}
