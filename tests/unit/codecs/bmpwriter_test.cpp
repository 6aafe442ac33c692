#include "codecs/bmpwriter.h"
#include "codecs/filestream.h"
#include "codecs/graphicerrors.h"

#include "codectestutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace CodecTest;

namespace {

// Every byte of the picture's memory, filler included, set to a non-zero value first: whatever
// the writer copies from beyond the pixels shows up in the file.
QImage Dirty(QImage image) {
    std::memset(image.bits(), 0xAB, size_t(image.sizeInBytes()));
    return image;
}

// The same pixels, with every byte and bit beyond them in each row set.
QImage WithDirtyFiller(const QImage& source) {
    QImage dirty = Dirty(QImage(source.size(), source.format()));
    dirty.setColorTable(source.colorTable());
    const int width = source.width();
    const qsizetype dataBytes = (qsizetype(width) * source.depth() + 7) / 8;
    for (int y = 0; y < source.height(); ++y) {
        uchar* line = dirty.scanLine(y);
        std::memcpy(line, source.constScanLine(y), size_t(dataBytes));
        if (source.depth() == 1 && width % 8 != 0)
            line[dataBytes - 1] |= source.format() == QImage::Format_Mono
                                       ? uchar(0xFF >> (width % 8))
                                       : uchar(0xFF << (width % 8));
    }
    return dirty;
}

struct TFormatCase {
    QImage::Format Format;
    int BitsPerPixel;
    int TableEntries;
};

class BmpFormatTest : public ::testing::TestWithParam<TFormatCase> {};

QImage MakeInFormat(QImage::Format format, int width, int height) {
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB)
        return MakeScreenshot(width, height).convertToFormat(format, Qt::ThresholdDither);
    return MakeScreenshot(width, height, format);
}

// Header fields parsed by hand, every pixel decoded by Qt's BMP reader. 37 pixels wide so that
// every format's rows need filler.
TEST_P(BmpFormatTest, HeadersAndPixelsMatchThePicture) {
    const TFormatCase c = GetParam();
    const int width = 37, height = 5;
    const QImage source = MakeInFormat(c.Format, width, height);
    // From memory whose filler and bits past the last pixel of each row are set.
    const QByteArray file = EncodeBitmap(WithDirtyFiller(source));

    const quint32 rowSize = (width * c.BitsPerPixel + 31) / 32 * 4;
    const quint32 imageSize = rowSize * height;
    const quint32 offset = 14 + 40 + 4 * c.TableEntries;
    ASSERT_EQ(file.size(), qsizetype(offset + imageSize));
    EXPECT_EQ(file.left(2), QByteArray("BM"));
    EXPECT_EQ(Le32(file, 2), offset + imageSize);
    EXPECT_EQ(Le32(file, 6), 0u); // both reserved words
    EXPECT_EQ(Le32(file, 10), offset);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), quint32(width));
    EXPECT_EQ(Le32(file, 22), quint32(height));
    EXPECT_EQ(Le16(file, 26), 1);
    EXPECT_EQ(Le16(file, 28), c.BitsPerPixel);
    EXPECT_EQ(Le32(file, 30), 0u);
    EXPECT_EQ(Le32(file, 34), imageSize);
    EXPECT_EQ(Le32(file, 38), 0u);
    EXPECT_EQ(Le32(file, 42), 0u);
    EXPECT_EQ(Le32(file, 46), quint32(c.TableEntries));
    EXPECT_EQ(Le32(file, 50), 0u);

    const QImage decoded = QImage::fromData(file, "BMP");
    ASSERT_FALSE(decoded.isNull());
    ASSERT_EQ(decoded.size(), source.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            QRgb expected = source.pixel(x, y), actual = decoded.pixel(x, y);
            if (c.BitsPerPixel == 16) { // readers differ in how they widen 5 bits to 8
                expected &= 0xF8F8F8;
                actual &= 0xF8F8F8;
            }
            ASSERT_EQ(qRgb(qRed(actual), qGreen(actual), qBlue(actual)),
                      qRgb(qRed(expected), qGreen(expected), qBlue(expected)))
                << "pixel " << x << "," << y;
        }

    // The file has zeros there, whatever memory held.
    const quint32 dataBits = width * c.BitsPerPixel;
    for (int y = 0; y < height && dataBits % 32 != 0; ++y) {
        QByteArray past =
            file.mid(offset + quint32(y) * rowSize + dataBits / 8, rowSize - dataBits / 8);
        past[0] = char(uchar(past[0]) & (0xFF >> dataBits % 8));
        EXPECT_EQ(past.toHex(), QByteArray(past.size(), '\0').toHex()) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(DisplayFormats, BmpFormatTest,
                         ::testing::Values(TFormatCase{QImage::Format_BGR888, 24, 0},
                                           TFormatCase{QImage::Format_RGB888, 24, 0},
                                           TFormatCase{QImage::Format_RGB32, 32, 0},
                                           TFormatCase{QImage::Format_RGB555, 16, 0},
                                           TFormatCase{QImage::Format_Indexed8, 8, 256},
                                           TFormatCase{QImage::Format_Mono, 1, 2},
                                           TFormatCase{QImage::Format_MonoLSB, 1, 2},
                                           TFormatCase{QImage::Format_ARGB32, 32, 0},
                                           TFormatCase{QImage::Format_Grayscale8, 32, 0},
                                           TFormatCase{QImage::Format_RGB16, 32, 0}));

TEST(BmpWriter, SmallBgrPictureIsExactlyTheExpectedBytes) {
    QImage image = Dirty(QImage(3, 2, QImage::Format_BGR888));
    const QRgb top[3] = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    const QRgb bottom[3] = {qRgb(10, 11, 12), qRgb(13, 14, 15), qRgb(16, 17, 18)};
    for (int x = 0; x < 3; ++x) {
        image.setPixel(x, 0, top[x]);
        image.setPixel(x, 1, bottom[x]);
    }
    const QByteArray file = EncodeBitmap(image);
    ASSERT_EQ(file.size(), 78);
    EXPECT_EQ(Le32(file, 2), 78u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 34), 24u);
    // Bottom row first, blue-green-red, each row padded from 9 to 12 bytes with zeros.
    const QByteArray rows = QByteArray::fromHex("0c0b0a 0f0e0d 121110 000000"
                                                "030201 060504 090807 000000");
    EXPECT_EQ(file.mid(54).toHex(), rows.toHex());
}

TEST(BmpWriter, WideSingleRowNeedsNoFiller) {
    const QByteArray file = EncodeBitmap(MakeScreenshot(1000, 1, QImage::Format_BGR888));
    EXPECT_EQ(file.size(), 3054);
    EXPECT_EQ(Le32(file, 2), 3054u);
    EXPECT_EQ(Le32(file, 10), 54u);
}

TEST(BmpWriter, ThirtyTwoBitPixelsHaveZeroReservedByte) {
    const QImage image = MakeScreenshot(5, 3);
    const QByteArray file = EncodeBitmap(image);
    for (int i = 0; i < 15; ++i) {
        const int x = i % 5, y = 2 - i / 5;
        const QRgb pixel = image.pixel(x, y);
        const char* p = file.constData() + 54 + 4 * i;
        EXPECT_EQ(uchar(p[0]), qBlue(pixel));
        EXPECT_EQ(uchar(p[1]), qGreen(pixel));
        EXPECT_EQ(uchar(p[2]), qRed(pixel));
        EXPECT_EQ(p[3], 0);
    }
}

TEST(BmpWriter, PaletteTablesAreWrittenInFull) {
    QImage indexed(4, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(40, 50, 60), qRgb(70, 80, 90)});
    indexed.fill(2);
    QByteArray file = EncodeBitmap(indexed);
    EXPECT_EQ(Le32(file, 10), 1078u);
    EXPECT_EQ(Le32(file, 46), 256u);
    EXPECT_EQ(file.mid(54, 12).toHex(), QByteArray("1e140a00"
                                                   "3c322800"
                                                   "5a504600"));
    EXPECT_EQ(file.mid(66, 1012), QByteArray(1012, '\0')); // entries the picture lacks
    EXPECT_EQ(file.mid(1078, 4), QByteArray(4, '\2'));

    // A 1-bit picture keeps its own two colours in its own order.
    QImage mono(9, 1, QImage::Format_Mono);
    mono.fill(0);
    mono.setPixel(0, 0, 1);
    mono.setPixel(8, 0, 1);
    file = EncodeBitmap(mono);
    EXPECT_EQ(Le32(file, 10), 62u);
    EXPECT_EQ(file.mid(54, 8).toHex(), QByteArray("00000000ffffff00"));
    EXPECT_EQ(file.mid(62).toHex(), QByteArray("80800000"));

    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    file = EncodeBitmap(mono);
    EXPECT_EQ(file.mid(54, 8).toHex(), QByteArray("ffffff0000000000"));
    EXPECT_EQ(EncodeBitmap(mono.convertToFormat(QImage::Format_MonoLSB)), file);
}

class BmpFileTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }
};

// Rows that need a filler go out in blocks of 2 MiB: these take two (3.6 MB and 2.7 MB), and the
// rows do not divide evenly into them.
TEST_F(BmpFileTest, FileHoldsExactlyTheEncodedBytes) {
    for (const auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        const QImage image = MakeScreenshot(1001, 901, format);
        SaveBitmapToFile(image, Path("big.bmp"));
        EXPECT_EQ(ReadAll(Path("big.bmp")), EncodeBitmap(image));
    }
}

// Rows that need no filler go out straight from the picture's memory, many per system call;
// more rows than one call takes (1024), and every format that can be written that way.
TEST_F(BmpFileTest, RowsWrittenInPlaceGiveTheSameBytes) {
    for (const auto format :
         {QImage::Format_BGR888, QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QImage image = MakeInFormat(format, 64, 2500);
        SaveBitmapToFile(image, Path("rows.bmp"));
        EXPECT_EQ(ReadAll(Path("rows.bmp")), EncodeBitmap(image)) << format;
    }
}

// Both ways out, written straight from the picture (gathered) and in blocks (more than one),
// with sizes that are no multiple of any pipe or block size.
QList<QImage> PicturesForBothPaths() {
    return {MakeScreenshot(1000, 701, QImage::Format_BGR888),
            MakeScreenshot(1001, 701, QImage::Format_RGB32)};
}

// The file is a pipe whose reader takes a little at a time and interrupts the writer with a
// signal after each read: writes come back short or interrupted, and must resume exactly.
TEST_F(BmpFileTest, ShortAndInterruptedWritesResumeWhereTheyStopped) {
    struct sigaction quiet {
    }, previous{};
    quiet.sa_handler = [](int) {}; // no SA_RESTART: the writer's call returns early
    ASSERT_EQ(sigaction(SIGUSR1, &quiet, &previous), 0);
    const pthread_t writer = pthread_self();
    for (const QImage& image : PicturesForBothPaths()) {
        const QString pipe = Path("pipe.bmp");
        ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QByteArray received;
        std::thread reader([&] {
            const int fd = open(QFile::encodeName(pipe).constData(), O_RDONLY);
            char chunk[3000];
            for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) != 0;) {
                if (n > 0)
                    received.append(chunk, n);
                pthread_kill(writer, SIGUSR1);
            }
            close(fd);
        });
        EXPECT_NO_THROW(SaveBitmapToFile(image, pipe)) << image.format();
        reader.join();
        EXPECT_TRUE(received == EncodeBitmap(image)) << image.format() << ": " << received.size();
        QFile::remove(pipe);
    }
    sigaction(SIGUSR1, &previous, nullptr);
}

// A file that takes no more (here: the size limit) at the first byte, in the middle, or only at
// the last write is an error, and leaves no cut-short picture behind.
TEST_F(BmpFileTest, AFileThatTakesNoMoreIsAnErrorAtAnyPoint) {
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
    for (const QImage& image : PicturesForBothPaths()) {
        const auto size = rlim_t(EncodeBitmap(image).size());
        for (const rlim_t limit : {rlim_t(0), rlim_t(54), size / 2, size - 1}) {
            const QString name = Path("limited.bmp");
            rlimit lowered = previous;
            lowered.rlim_cur = limit;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
            EXPECT_THROW(SaveBitmapToFile(image, name), EWriteError) << image.format() << limit;
            setrlimit(RLIMIT_FSIZE, &previous);
            EXPECT_FALSE(QFile::exists(name)) << image.format() << limit;
        }
    }
    signal(SIGXFSZ, oldHandler);
}

TEST_F(BmpFileTest, FullDiskIsReportedOnTheInPlacePath) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const QString name = Path("full24.bmp");
    ASSERT_TRUE(QFile::link("/dev/full", name));
    EXPECT_THROW(SaveBitmapToFile(MakeScreenshot(64, 64, QImage::Format_BGR888), name),
                 EWriteError);
    // The save created no file of its own there: the link is left as it was found.
    EXPECT_TRUE(QFileInfo(name).isSymLink());
}

TEST_F(BmpFileTest, ExistingFileIsReplaced) {
    ASSERT_TRUE(WriteAll(Path("a.bmp"), QByteArray(10000, 'x')));
    SaveBitmapToFile(MakeScreenshot(3, 2, QImage::Format_BGR888), Path("a.bmp"));
    EXPECT_EQ(QFileInfo(Path("a.bmp")).size(), 78);
}

TEST_F(BmpFileTest, EmptyPictureGivesEmptyFile) {
    for (const QImage& image :
         {QImage(), QImage(0, 5, QImage::Format_RGB32), QImage(5, 0, QImage::Format_BGR888)}) {
        ASSERT_TRUE(WriteAll(Path("e.bmp"), "old"));
        ASSERT_NO_THROW(SaveBitmapToFile(image, Path("e.bmp")));
        EXPECT_TRUE(QFile::exists(Path("e.bmp")));
        EXPECT_EQ(QFileInfo(Path("e.bmp")).size(), 0);
        EXPECT_TRUE(EncodeBitmap(image).isEmpty());
    }
}

TEST_F(BmpFileTest, UncreatableFileNamesTheFile) {
    const QString name = Path("missing/dir/x.bmp");
    EXPECT_EQ(ErrorMessage<EFCreateError>([&] { SaveBitmapToFile(MakeScreenshot(3, 2), name); }),
              QStringLiteral("Datei %1 kann nicht erstellt werden").arg(name));
}

TEST_F(BmpFileTest, FullDiskIsReportedAndLeavesTheLinkAlone) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const QString name = Path("full.bmp");
    ASSERT_TRUE(QFile::link("/dev/full", name));
    EXPECT_EQ(ErrorMessage<EWriteError>([&] { SaveBitmapToFile(MakeScreenshot(64, 64), name); }),
              QStringLiteral("Stream-Write-Fehler"));
    // The save created no file of its own there: the link is left as it was found.
    EXPECT_TRUE(QFileInfo(name).isSymLink());
}

} // namespace

namespace {

// Rows the writer cannot have faithfully are an error, never a file that looks saved: a band
// whose conversion finds no memory (not a black band), and sizes past the header's 32-bit
// fields (not a wrapped size). Nothing of the file stays.
TEST_F(BmpFileTest, PicturesThatCannotBeWrittenFaithfullyAreErrors) {
    const QImage source = MakeScreenshot(20, 40);
    int bands = 0;
    const TRowConversion failsOnSecondBand = [&bands](const QImage& rows) {
        return ++bands == 2 ? QImage() : rows.convertToFormat(QImage::Format_BGR888);
    };
    {
        TFileStream stream(Path("nomem.bmp"));
        EXPECT_THROW(SaveBitmapToStream(source, stream, failsOnSecondBand), std::bad_alloc);
    }
    EXPECT_FALSE(QFile::exists(Path("nomem.bmp")));

    // 32768 x 32769 at 32 bits is 4 GiB and more: refused before a row is read, so a view on
    // one row of memory is enough to ask.
    std::vector<uchar> row(32768 * 4);
    const QImage huge(row.data(), 32768, 32769, 32768 * 4, QImage::Format_RGB32);
    ASSERT_FALSE(huge.isNull());
    {
        TFileStream stream(Path("huge.bmp"));
        EXPECT_EQ(ErrorMessage<EInvalidGraphic>([&] { SaveBitmapToStream(huge, stream); }),
                  QStringLiteral("Bitmap ist ung\u00fcltig"));
    }
    EXPECT_FALSE(QFile::exists(Path("huge.bmp")));
}

} // namespace
