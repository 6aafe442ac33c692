#include "codecs/jpegimage.h"

#include "codectestutil.h"

#include "childprocess.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <thread>
#include <vector>

using namespace CodecTest;

namespace {

struct TSegment {
    uchar Marker;
    QByteArray Payload;
};

// The marker segments of a JPEG file, in order; entropy-coded data after each SOS is skipped.
std::vector<TSegment> Segments(const QByteArray& jpeg) {
    std::vector<TSegment> segments;
    const auto byte = [&](qsizetype i) { return uchar(jpeg[i]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return segments;
    qsizetype pos = 2;
    while (pos + 1 < jpeg.size()) {
        if (byte(pos) != 0xFF)
            return {}; // not at a marker: malformed
        const uchar marker = byte(pos + 1);
        pos += 2;
        if (marker == 0xD9) {
            segments.push_back({marker, {}});
            break;
        }
        const qsizetype length = Be16(jpeg, pos);
        segments.push_back({marker, jpeg.mid(pos + 2, length - 2)});
        pos += length;
        if (marker == 0xDA) { // scan data runs to the next marker that is not a stuffed 0 or RSTn
            while (pos + 1 < jpeg.size() && !(byte(pos) == 0xFF && byte(pos + 1) != 0 &&
                                              (byte(pos + 1) < 0xD0 || byte(pos + 1) > 0xD7)))
                ++pos;
        }
    }
    return segments;
}

std::vector<TSegment> SegmentsOf(const std::vector<TSegment>& all, uchar marker) {
    std::vector<TSegment> found;
    std::copy_if(all.begin(), all.end(), std::back_inserter(found),
                 [marker](const TSegment& s) { return s.Marker == marker; });
    return found;
}

QByteArray Encode(const QImage& image, int quality, bool grayscale = false,
                  bool progressive = false) {
    TJPEGImage jpeg;
    jpeg.CompressionQuality = quality;
    jpeg.Grayscale = grayscale;
    jpeg.ProgressiveEncoding = progressive;
    jpeg.Assign(image);
    return jpeg.EncodedData();
}

TEST(JpegImage, ColourAndGreyFilesHaveJfifMarkerAndComponentCount) {
    for (const bool grayscale : {false, true}) {
        const auto segments = Segments(Encode(MakeScreenshot(40, 30), 90, grayscale));
        ASSERT_GE(segments.size(), 3u);
        EXPECT_EQ(segments.front().Marker, 0xE0);
        EXPECT_TRUE(segments.front().Payload.startsWith(QByteArray("JFIF\0", 5)));
        EXPECT_EQ(segments.back().Marker, 0xD9);
        const auto frames = SegmentsOf(segments, 0xC0);
        ASSERT_EQ(frames.size(), 1u);
        const QByteArray& sof = frames[0].Payload;
        EXPECT_EQ(Be16(sof, 1), 30); // height
        EXPECT_EQ(Be16(sof, 3), 40); // width
        EXPECT_EQ(int(sof[5]), grayscale ? 1 : 3);
        EXPECT_EQ(SegmentsOf(segments, 0xDA).size(), 1u);
    }
}

TEST(JpegImage, ProgressiveFileHasSeveralScans) {
    for (const bool grayscale : {false, true}) {
        const auto segments = Segments(Encode(MakeScreenshot(40, 30), 90, grayscale, true));
        EXPECT_TRUE(SegmentsOf(segments, 0xC0).empty());
        ASSERT_EQ(SegmentsOf(segments, 0xC2).size(), 1u);
        // libjpeg's simple progression: 10 scans for colour, 6 for grey.
        EXPECT_EQ(SegmentsOf(segments, 0xDA).size(), grayscale ? 6u : 10u);
    }
}

TEST(JpegImage, LowestQualityStaysBaseline) {
    const auto segments = Segments(Encode(MakeScreenshot(40, 30), 1));
    EXPECT_EQ(SegmentsOf(segments, 0xC0).size(), 1u); // baseline frame, not extended
    int largest = 0;
    for (const TSegment& dqt : SegmentsOf(segments, 0xDB)) {
        for (qsizetype pos = 0; pos < dqt.Payload.size();) {
            const bool sixteenBit = (uchar(dqt.Payload[pos]) >> 4) != 0;
            ++pos;
            for (int i = 0; i < 64; ++i) {
                const int value = sixteenBit ? Be16(dqt.Payload, pos) : uchar(dqt.Payload[pos]);
                pos += sixteenBit ? 2 : 1;
                largest = std::max(largest, value);
            }
        }
    }
    EXPECT_EQ(largest, 255); // scaled up as far as baseline allows, and no further
}

TEST(JpegImage, PixelFormatSettingDoesNotChangeTheFile) {
    const QImage image = MakeScreenshot(33, 21);
    TJPEGImage eight, twentyFour;
    eight.PixelFormat = TJPEGPixelFormat::jf8Bit;
    twentyFour.PixelFormat = TJPEGPixelFormat::jf24Bit;
    eight.Assign(image);
    twentyFour.Assign(image);
    EXPECT_EQ(eight.EncodedData(), twentyFour.EncodedData());
}

TEST(JpegImage, HighestQualityDecodesCloseToTheSource) {
    const QImage source = MakePhoto(64, 48);
    const QImage decoded = QImage::fromData(Encode(source, 100), "JPEG");
    ASSERT_EQ(decoded.size(), source.size());
    int worst = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb a = source.pixel(x, y), b = decoded.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 3);
}

// Rows fed straight from the picture's memory, or converted a band at a time, must give the
// very bytes that red-green-blue rows of the whole picture give. 37 rows: bands end mid-picture.
TEST(JpegImage, EveryHeldFormatEncodesLikeItsRgbCopy) {
    QImage withAlpha = MakeScreenshot(50, 37, QImage::Format_ARGB32);
    for (int y = 0; y < withAlpha.height(); ++y)
        for (int x = 0; x < withAlpha.width(); ++x) {
            const QRgb c = withAlpha.pixel(x, y);
            withAlpha.setPixel(x, y, qRgba(qRed(c), qGreen(c), qBlue(c), (x * 37 + y * 11) % 256));
        }
    std::vector<QImage> images = {withAlpha,
                                  withAlpha.convertToFormat(QImage::Format_ARGB32_Premultiplied)};
    for (const auto format :
         {QImage::Format_RGB32, QImage::Format_BGR888, QImage::Format_RGB888, QImage::Format_RGB555,
          QImage::Format_Indexed8, QImage::Format_Grayscale8})
        images.push_back(MakeScreenshot(50, 37, format));
    // Indexes past a short colour table, and no table at all.
    QImage shortTable(50, 37, QImage::Format_Indexed8);
    for (int y = 0; y < shortTable.height(); ++y)
        for (int x = 0; x < shortTable.width(); ++x)
            shortTable.scanLine(y)[x] = uchar((x + y) % 10);
    shortTable.setColorTable({qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(10, 10, 200)});
    images.push_back(shortTable);
    shortTable.setColorTable({});
    images.push_back(shortTable);
    images.push_back(MakeScreenshot(50, 37).convertToFormat(QImage::Format_Mono));
    images.push_back(MakeScreenshot(50, 37).convertToFormat(QImage::Format_MonoLSB));

    for (const QImage& image : images) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
        for (const bool grayscale : {false, true})
            for (const bool progressive : {false, true})
                EXPECT_EQ(Encode(image, 75, grayscale, progressive),
                          Encode(rgb, 75, grayscale, progressive))
                    << "format " << image.format() << " grey " << grayscale << " progressive "
                    << progressive;
    }
}

// cjpeg drives libjpeg the usual way; our files are exactly what libjpeg makes for the settings.
TEST(JpegImage, FilesMatchCjpegByteForByte) {
    const QString cjpeg = QStringLiteral("/usr/bin/cjpeg");
    if (!QFileInfo(cjpeg).isExecutable())
        GTEST_SKIP() << "cjpeg not installed";
    QTemporaryDir dir;
    const QImage image = MakeScreenshot(61, 45);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray ppm =
        QStringLiteral("P6\n%1 %2\n255\n").arg(rgb.width()).arg(rgb.height()).toLatin1();
    for (int y = 0; y < rgb.height(); ++y)
        ppm.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    ASSERT_TRUE(WriteAll(dir.filePath("in.ppm"), ppm));

    for (const int quality : {1, 50, 90, 100})
        for (const bool grayscale : {false, true})
            for (const bool progressive : {false, true}) {
                QStringList arguments = {"-quality", QString::number(quality), "-baseline"};
                if (grayscale)
                    arguments << "-grayscale";
                if (progressive)
                    arguments << "-progressive";
                arguments << dir.filePath("in.ppm");
                TChildProcess process;
                QByteArray reference;
                ASSERT_TRUE(process.Start(cjpeg, arguments,
                                          QProcessEnvironment::systemEnvironment(),
                                          TChildProcess::TErrors::Inherited));
                ASSERT_EQ(process.WaitForExit(&reference), 0);
                EXPECT_EQ(Encode(image, quality, grayscale, progressive), reference)
                    << "quality " << quality << " grey " << grayscale << " progressive "
                    << progressive;
            }
}

TEST(JpegImage, SettingsOrPictureChangedAfterEncodingAreHonoured) {
    TJPEGImage jpeg;
    jpeg.Assign(MakeScreenshot(20, 20));
    const QByteArray first = jpeg.EncodedData();
    jpeg.CompressionQuality = 30;
    EXPECT_EQ(jpeg.EncodedData(), Encode(MakeScreenshot(20, 20), 30));
    jpeg.Assign(MakePhoto(20, 20));
    EXPECT_EQ(jpeg.EncodedData(), Encode(MakePhoto(20, 20), 30));
    jpeg.Assign(QImage());
    EXPECT_TRUE(jpeg.EncodedData().isEmpty());
    EXPECT_FALSE(first.isEmpty());
}

TEST(JpegImage, SeparateObjectsEncodeConcurrently) {
    const QImage shared = MakeScreenshot(300, 200, QImage::Format_RGB555);
    const QByteArray expected = Encode(shared, 85, false, true);
    std::vector<QByteArray> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&shared, &result] { result = Encode(shared, 85, false, true); });
    for (auto& thread : threads)
        thread.join();
    for (const auto& result : results)
        EXPECT_EQ(result, expected);
}

class JpegFileTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }
};

TEST_F(JpegFileTest, FileHoldsTheEncodedBytes) {
    ASSERT_TRUE(WriteAll(Path("a.jpg"), QByteArray(100000, 'x')));
    TJPEGImage jpeg;
    jpeg.Assign(MakeScreenshot(40, 30));
    jpeg.SaveToFile(Path("a.jpg"));
    EXPECT_EQ(ReadAll(Path("a.jpg")), jpeg.EncodedData());
}

TEST_F(JpegFileTest, EmptyPictureGivesEmptyFile) {
    for (const QImage& image : {QImage(), QImage(0, 3, QImage::Format_RGB32)}) {
        TJPEGImage jpeg;
        jpeg.Assign(image);
        ASSERT_NO_THROW(jpeg.SaveToFile(Path("e.jpg")));
        EXPECT_TRUE(QFile::exists(Path("e.jpg")));
        EXPECT_EQ(QFileInfo(Path("e.jpg")).size(), 0);
    }
}

TEST_F(JpegFileTest, FatalLibjpegErrorRaisesEjpegAndLeavesNoFile) {
    TJPEGImage jpeg;
    jpeg.Assign(QImage(70000, 1, QImage::Format_RGB32)); // wider than libjpeg allows
    const QString expected = QStringLiteral("JPEG-Fehler #%1").arg(int(JERR_IMAGE_TOO_BIG));
    EXPECT_EQ(ErrorMessage<EJPEG>([&] { jpeg.SaveToFile(Path("big.jpg")); }), expected);
    EXPECT_FALSE(QFile::exists(Path("big.jpg")));
    EXPECT_EQ(ErrorMessage<EInvalidGraphic>([&] { jpeg.EncodedData(); }), expected);
    // The object stays usable after a failure.
    jpeg.Assign(MakeScreenshot(8, 8));
    EXPECT_FALSE(jpeg.EncodedData().isEmpty());
}

TEST_F(JpegFileTest, FileIsCreatedBeforeEncoding) {
    const QString name = Path("missing/x.jpg");
    TJPEGImage jpeg;
    jpeg.Assign(QImage(70000, 1, QImage::Format_RGB32)); // would fail to encode
    EXPECT_EQ(ErrorMessage<EFCreateError>([&] { jpeg.SaveToFile(name); }),
              QStringLiteral("Datei %1 kann nicht erstellt werden").arg(name));
}

TEST_F(JpegFileTest, FullDiskIsReportedAndLeavesTheLinkAlone) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const QString name = Path("full.jpg");
    ASSERT_TRUE(QFile::link("/dev/full", name));
    TJPEGImage jpeg;
    jpeg.Assign(MakeScreenshot(64, 64));
    EXPECT_EQ(ErrorMessage<EWriteError>([&] { jpeg.SaveToFile(name); }),
              QStringLiteral("Stream-Write-Fehler"));
    // The save created no file of its own there: the link is left as it was found.
    EXPECT_TRUE(QFileInfo(name).isSymLink());
}

} // namespace
