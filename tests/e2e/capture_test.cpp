// Capture through the real X11 clipboard: what is saved, what is not, and that nothing is lost
// or cut short when images come fast or the program is ended right after.
#include "e2efixture.h"
#include "imagechecks.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QFile>

namespace {

QString NumberedName(int number, const QString& extension) {
    return QStringLiteral("SV%1%2").arg(number, 4, 10, QLatin1Char('0')).arg(extension);
}

// Twenty pictures of twenty different sizes, odd and even widths mixed.
QList<QImage> BurstImages() {
    QList<QImage> images;
    for (int i = 0; i < 20; ++i)
        images.append(PatternImage(41 + 3 * i, 30 + 2 * i, 100 + i));
    return images;
}

// Every image has been saved to exactly one complete file SV0000.bmp, SV0001.bmp ... in
// `folder`, and there is no other file.
::testing::AssertionResult EachSavedOnce(const QList<QImage>& images, const QString& folder) {
    QStringList expectedNames;
    for (int i = 0; i < images.size(); ++i)
        expectedNames.append(NumberedName(i, QStringLiteral(".bmp")));
    const QStringList names = ImageFilesIn(folder);
    if (names != expectedNames)
        return ::testing::AssertionFailure()
               << "files: " << names.join(' ').toStdString() << "\nexpected "
               << expectedNames.join(' ').toStdString();
    QList<bool> found(images.size(), false);
    for (const QString& name : names) {
        const QByteArray content = ReadAll(folder + QLatin1Char('/') + name);
        if (!LooksComplete(content))
            return ::testing::AssertionFailure()
                   << name.toStdString() << " is cut short at " << content.size() << " bytes";
        const QImage saved = QImage::fromData(content);
        // Sizes differ, so the size tells which copy this file is.
        qsizetype match = -1;
        for (qsizetype i = 0; i < images.size(); ++i) {
            if (images[i].size() == saved.size())
                match = i;
        }
        if (match < 0 || found[match])
            return ::testing::AssertionFailure()
                   << name.toStdString() << " (" << saved.width() << "x" << saved.height()
                   << ") is no copied image, or one saved twice";
        found[match] = true;
        if (auto same = SamePixels(images[match], saved); !same)
            return same << " in " << name.toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

class CaptureTest : public TE2ETest {
protected:
    // Starts the program saving BMP files and copies the burst of images as fast as xclip can.
    ::testing::AssertionResult CopyBurstIntoBmpCapture(QList<QImage>& images,
                                                       TChildProcess** program = nullptr) {
        if (auto capturing = StartCapturing(QStringLiteral("BitmapOut"), program); !capturing)
            return capturing;
        images = BurstImages();
        for (const QImage& image : images)
            if (auto copied = CopyImage(image); !copied)
                return copied;
        return ::testing::AssertionSuccess();
    }
};

TEST_F(CaptureTest, SavesWhatIsCopiedWhileActiveAndNothingElse) {
    // On the clipboard before the program starts: not copied for it. Large enough to pass any
    // minimum size a first run may bring.
    ASSERT_TRUE(Clipboard().OfferImage(WriteClip(PatternImage(400, 300, 1))));
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("JpgOut")));

    ASSERT_TRUE(SetActive(window, false));
    ASSERT_TRUE(Clipboard().OfferImage(WriteClip(PatternImage(120, 90, 2))));
    ASSERT_TRUE(SetActive(window, true));
    ASSERT_TRUE(OfferText(QStringLiteral("no picture")));
    const QImage copied = PatternImage(131, 77, 3);
    ASSERT_TRUE(CopyImage(copied));

    // The program takes clipboard changes in order: had any earlier one been saved, it would
    // hold the first number.
    const QImage saved = WaitForImageFile(Home() + QStringLiteral("/SV0000.jpg"));
    ASSERT_FALSE(saved.isNull()) << "no complete SV0000.jpg in the home folder";
    EXPECT_EQ(saved.size(), copied.size());
    const std::optional<TJpegFrame> frame = ReadJpegFrame(ReadAll(Home() + "/SV0000.jpg"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->Components, 3);

    // Its owner has quit; a second owner (a clipboard keeper) offers the same picture again:
    // no new file. The next picture is saved, with the next number.
    ASSERT_TRUE(CopyImage(copied));
    ASSERT_TRUE(CopyImage(PatternImage(131, 77, 4)));
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0001.jpg")).isNull());
    EXPECT_EQ(ImageFilesIn(Home()),
              (QStringList{QStringLiteral("SV0000.jpg"), QStringLiteral("SV0001.jpg")}));
}

TEST_F(CaptureTest, BitmapsHoldExactlyTheCopiedPixels) {
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
    ASSERT_TRUE(SetActive(window, true));

    // Rows of 64, 65 and 35 pixels: 192 bytes need no padding, 195 and 105 bytes need 1 and 3.
    const QList<QImage> images{PatternImage(64, 48, 10), PatternImage(65, 49, 11),
                               PatternImage(35, 17, 12)};
    for (const QImage& image : images)
        ASSERT_TRUE(CopyImage(image));
    for (int i = 0; i < images.size(); ++i) {
        const QString path = Home() + QLatin1Char('/') + NumberedName(i, QStringLiteral(".bmp"));
        SCOPED_TRACE(path.toStdString());
        const QImage saved = WaitForImageFile(path);
        EXPECT_TRUE(SamePixels(images[i], saved));
        // The display has 24 bits per pixel, and so has the bitmap.
        EXPECT_EQ(BmpBitsPerPixel(ReadAll(path)), 24);
    }
    EXPECT_EQ(ImageFilesIn(Home()).size(), images.size());
}

TEST_F(CaptureTest, FastCopiesAreEachSavedCompletely) {
    QList<QImage> images;
    ASSERT_TRUE(CopyBurstIntoBmpCapture(images));
    WaitUntil([&] { return bool(EachSavedOnce(images, Home())); }, 15000, 50);
    EXPECT_TRUE(EachSavedOnce(images, Home()));
}

TEST_F(CaptureTest, TerminateRightAfterFastCopiesWaitsForEverySave) {
    TChildProcess* program = nullptr;
    QList<QImage> images;
    ASSERT_TRUE(CopyBurstIntoBmpCapture(images, &program));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(program->ExitCodeWithin(20000), 0);
    // Once the program has ended, every file must be whole: no waiting here.
    EXPECT_TRUE(EachSavedOnce(images, Home()));
}
