#include "capture/displayformat.h"
#include "capture/stowthread.h"
#include "codecs/bmpwriter.h"
#include "codecs/filestream.h"
#include "fakeplatform.h"
#include "platform/threadpriority.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>

namespace {

QImage Picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    return image;
}

TSaveJob Job(const QString& fileName, TSaveFormat format, const QImage& picture) {
    TSaveJob job;
    job.FileName = fileName;
    job.Format = format;
    job.Bitmap = picture;
    job.JPEG = std::make_unique<TJPEGImage>();
    job.DisplayDepth = 24;
    return job;
}

// Starts a save and runs the event loop until its completion has run; returns the completions
// seen.
int RunToCompletion(TStowThread* thread) {
    int completions = 0;
    QEventLoop loop;
    QObject::connect(
        thread, &TStowThread::Completed, &loop,
        [&](TStowThread* sender) {
            EXPECT_EQ(sender, thread);
            ++completions;
        },
        Qt::BlockingQueuedConnection);
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    return completions;
}

TEST(SaveImage, WritesTheFormatAsked) {
    QTemporaryDir dir;
    TSaveJob bmp = Job(dir.filePath("a.bmp"), TSaveFormat::sfBMP, Picture(3, 2));
    SaveImage(bmp);
    QFile file(dir.filePath("a.bmp"));
    EXPECT_EQ(file.size(), 78); // 24-bit rows of 9 bytes padded to 12
    EXPECT_TRUE(bmp.Bitmap.isNull());
    EXPECT_EQ(bmp.JPEG, nullptr); // released on the way out

    TSaveJob jpeg = Job(dir.filePath("a.jpg"), TSaveFormat::sfJPEG, Picture(16, 16));
    jpeg.JPEG->Grayscale = true;
    SaveImage(jpeg);
    QImage decoded(dir.filePath("a.jpg"));
    EXPECT_EQ(decoded.format(), QImage::Format_Grayscale8);

    QImage picture = Picture(5, 3);
    picture.setPixel(4, 2, qRgb(200, 100, 50));
    TSaveJob png = Job(dir.filePath("a.png"), TSaveFormat::sfPNG, picture);
    SaveImage(png);
    QImage back = QImage(dir.filePath("a.png")).convertToFormat(QImage::Format_RGB32);
    back.setColorSpace(QColorSpace()); // the file says sRGB; the pixels are what counts
    EXPECT_EQ(back, picture);
}

TEST(SaveImage, UnknownFormatIsAnErrorAndReleasesTheJob) {
    QTemporaryDir dir;
    TSaveJob job = Job(dir.filePath("x"), static_cast<TSaveFormat>(7), Picture(2, 2));
    try {
        SaveImage(job);
        FAIL() << "no error";
    } catch (const EFrameworkError& error) {
        EXPECT_EQ(error.Message(), "Error creating image object");
    }
    EXPECT_TRUE(job.Bitmap.isNull());
    EXPECT_EQ(job.JPEG, nullptr);
}

// A name taken after it was chosen (here by a dangling link and by a file) is neither written
// through nor replaced: the save takes the next number as the search would, 10^N skipped, and
// reports the bytes of its own file. Without a number to move on from, it is an error.
TEST(SaveImage, NamesTakenMeanwhileAreSkipped) {
    QTemporaryDir dir;
    QFile::link(dir.filePath("elsewhere"), dir.filePath("SV0000.bmp"));
    QFile(dir.filePath("SV9.bmp")).open(QIODevice::WriteOnly);
    const QList<std::pair<QString, QString>> cases{{"SV0000.bmp", "SV0001.bmp"},
                                                   {"SV9.bmp", "SV11.bmp"}};
    for (const auto& [taken, next] : cases) {
        TSaveJob job = Job(dir.filePath(taken), TSaveFormat::sfBMP, Picture(3, 2));
        job.NumberStart = int(dir.filePath("SV").size());
        job.NumberLength = int(taken.indexOf('.')) - 2;
        EXPECT_EQ(SaveImage(job), 78) << taken.toStdString();
        EXPECT_EQ(job.FileName, dir.filePath(next));
        EXPECT_EQ(QFileInfo(dir.filePath(next)).size(), 78);
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("SV0000.bmp")).isSymLink());
    EXPECT_FALSE(QFile::exists(dir.filePath("elsewhere")));
    TSaveJob fixed = Job(dir.filePath("SV9.bmp"), TSaveFormat::sfPNG, Picture(3, 2));
    EXPECT_THROW(SaveImage(fixed), EFCreateError);
    EXPECT_EQ(QFileInfo(dir.filePath("SV9.bmp")).size(), 0);
}

// A stream that fails removes its file only while the name is still that file: whatever took
// the name since is someone else's.
TEST(FileStream, FailedFileIsRemovedOnlyWhileItIsStillOurs) {
    QTemporaryDir dir;
    const QString name = dir.filePath("a.bmp");
    {
        TFileStream stream(name, TFileStream::TCreation::New);
        QFile::remove(name);
        QFile other(name);
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write("someone else's");
    } // destroyed without Commit: a failed save
    EXPECT_EQ(QFileInfo(name).size(), 14);
    { TFileStream stream(name, TFileStream::TCreation::Replace); }
    EXPECT_FALSE(QFile::exists(name));
}

// The save converts to the display's format a band of rows at a time; the file must be the one
// the whole picture converted at once gives, for every display and every kind of source.
TEST(SaveImage, WritesTheDisplayFormatOfTheWholePicture) {
    QTemporaryDir dir;
    QImage colour(23, 37, QImage::Format_ARGB32);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, qRgba(x * 11, y * 7, (x * y) & 255, 200));
    const QList<QImage> sources{colour, colour.convertToFormat(QImage::Format_RGB32),
                                colour.convertToFormat(QImage::Format_Mono)};
    for (const QImage& source : sources) {
        for (const int depth : {32, 24, 16, 8}) {
            SCOPED_TRACE(testing::Message() << source.format() << " at " << depth);
            const QImage reference = ToDisplayFormat(source, depth);
            TSaveJob bmp = Job(dir.filePath("d.bmp"), TSaveFormat::sfBMP, source);
            bmp.DisplayDepth = depth;
            SaveImage(bmp);
            QFile file(dir.filePath("d.bmp"));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), EncodeBitmap(reference));
            file.remove();

            TSaveJob png = Job(dir.filePath("d.png"), TSaveFormat::sfPNG, source);
            png.DisplayDepth = depth;
            SaveImage(png);
            QImage back = QImage(dir.filePath("d.png")).convertToFormat(QImage::Format_RGB32);
            back.setColorSpace(QColorSpace());
            EXPECT_EQ(back, reference.convertToFormat(QImage::Format_RGB32));
            QFile::remove(dir.filePath("d.png"));
        }
    }
}

TEST(StowThread, FailedSaveShowsItsErrorAndStillCompletes) {
    TFakePlatform platform;
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing/SV0000.bmp");
    TStowThread thread(Job(missing, TSaveFormat::sfBMP, Picture(4, 4)), 3);
    EXPECT_EQ(RunToCompletion(&thread), 1);
    ASSERT_EQ(platform.Boxes.Shown.size(), 1);
    EXPECT_EQ(platform.Boxes.Shown[0].Text,
              QStringLiteral("Datei %1 kann nicht erstellt werden").arg(missing));
    // The caption is the system's text for why the file could not be created.
    EXPECT_EQ(platform.Boxes.Shown[0].Caption, "No such file or directory");
    EXPECT_EQ(platform.Boxes.Shown[0].Owner, nullptr);
}

TEST(StowThread, SuccessfulSaveCompletesOnceWithoutABox) {
    TFakePlatform platform;
    QTemporaryDir dir;
    TStowThread thread(Job(dir.filePath("ok.bmp"), TSaveFormat::sfBMP, Picture(4, 4)), 3);
    EXPECT_EQ(RunToCompletion(&thread), 1);
    EXPECT_TRUE(platform.Boxes.Shown.isEmpty());
    EXPECT_TRUE(QFile::exists(dir.filePath("ok.bmp")));
}

TEST(ThreadPriority, ARefusedChangeLeavesNoErrorBehind) {
    for (int position = 0; position <= 6; ++position) {
        errno = EILSEQ; // a value no scheduling call gives
        ApplyThreadPriority(position);
        EXPECT_EQ(errno, EILSEQ) << position;
    }
    ApplyThreadPriority(3);
}

TEST(SaveErrors, CarryTheErrorCodeOfTheirMoment) {
    errno = ENOSPC;
    const EWriteError error;
    errno = 0;
    EXPECT_EQ(error.ErrorCode(), ENOSPC);
}

TEST(ThreadPriority, PositionsMapToTheWorkersScheduling) {
    const int base = CurrentThreadSchedule().Nice;
    // How a worker is scheduled, seen from inside it. Joined, so that the hand-over of the
    // result is one the thread checker can follow (QThread::wait() synchronises inside Qt).
    auto seen = [](int position) {
        TThreadSchedule schedule;
        std::thread probe([&] {
            ApplyThreadPriority(position);
            schedule = CurrentThreadSchedule();
        });
        probe.join();
        return schedule;
    };
    EXPECT_TRUE(seen(0).Idle);
    EXPECT_EQ(seen(1).Nice, 10);
    EXPECT_EQ(seen(2).Nice, 5);
    const TThreadSchedule normal = seen(3);
    EXPECT_FALSE(normal.Idle);
    EXPECT_EQ(normal.Nice, base);
    // Raising needs a privilege; with it the worker runs at -20, without it unchanged.
    const int critical = seen(6).Nice;
    EXPECT_TRUE(critical == -20 || critical == base) << critical;
    // The GUI thread is never touched.
    EXPECT_EQ(CurrentThreadSchedule().Nice, base);
}

} // namespace
