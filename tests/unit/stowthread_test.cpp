#include "capture/stowthread.h"
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
