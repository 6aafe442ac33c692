#include "capture/displayformat.h"
#include "capture/stowthread.h"
#include "childprocess.h"
#include "codecs/bmpwriter.h"
#include "codecs/filestream.h"
#include "fakeplatform.h"
#include "platform/threadpriority.h"
#include "testfiles.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <latch>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

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
    ASSERT_TRUE(Touch(dir.filePath("SV9.bmp")));
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
        ASSERT_TRUE(WriteAll(name, "someone else's"));
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
            EXPECT_EQ(ReadAll(dir.filePath("d.bmp")), EncodeBitmap(reference));
            QFile::remove(dir.filePath("d.bmp"));

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

TEST(SaveErrors, CarryTheErrorCodeOfTheirMoment) {
    errno = ENOSPC;
    const EWriteError error;
    errno = 0;
    EXPECT_EQ(error.ErrorCode(), ENOSPC);
}

// On every display depth the save thread writes the display's pixel format, and colours every
// display can show come back as they were.
TEST(StowThread, SavesInTheDisplaysPixelFormat) {
    TFakePlatform platform;
    QTemporaryDir dir;
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 255)};
    for (int x = 0; x < 4; ++x)
        picture.setPixel(x, x % 3, colours[x]);
    for (const int depth : {8, 16, 24, 32}) {
        const QString name = dir.filePath(QStringLiteral("d%1.bmp").arg(depth));
        TSaveJob job = Job(name, TSaveFormat::sfBMP, picture);
        job.DisplayDepth = depth;
        TStowThread thread(std::move(job), 3);
        EXPECT_EQ(RunToCompletion(&thread), 1) << depth;
        const QByteArray header = ReadAll(name).left(30);
        ASSERT_EQ(header.size(), 30) << depth;
        EXPECT_EQ(uchar(header[28]) | uchar(header[29]) << 8, depth) << depth;
        // Five bits a channel at 16 bits: how a reader widens them back is its own business.
        const QRgb kept = depth == 16 ? 0xF8F8F8 : 0xFFFFFF;
        QImage back = QImage(name).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(back.size(), picture.size()) << depth;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x)
                EXPECT_EQ(back.pixel(x, y) & kept, picture.pixel(x, y) & kept) << depth;
    }
    EXPECT_TRUE(platform.Boxes.Shown.isEmpty());
}

// A thread's scheduling as anyone on the system sees it (as ps does): policy and nice value.
struct TSeen {
    int Policy = -1;
    int Nice = 99;
    int Errno = 0;
};

TSeen SeenFromOutside(pid_t thread) {
    const QByteArray text = ReadAll(QStringLiteral("/proc/self/task/%1/stat").arg(thread));
    if (text.isEmpty())
        return {};
    // The fields after the command name (which may hold spaces) start with field 3.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return {fields.value(41 - 3).toInt(), fields.value(19 - 3).toInt()};
}

// Applies a position on a worker of its own and looks at the worker from outside while it lives.
TSeen WorkerAt(int position) {
    std::latch applied(1), seen(1);
    pid_t id = 0;
    int errorCode = 0;
    std::thread worker([&] {
        errno = EILSEQ; // a value no scheduling call gives
        ApplyThreadPriority(position);
        errorCode = errno;
        id = gettid();
        applied.count_down();
        seen.wait();
    });
    applied.wait();
    TSeen result = SeenFromOutside(id);
    result.Errno = errorCode;
    seen.count_down();
    worker.join();
    return result;
}

bool HasCapability(int bit) {
    for (const QByteArray& line : ReadAll(QStringLiteral("/proc/self/status")).split('\n'))
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> bit) & 1;
    return false;
}
constexpr int CapSetPCap = 8;
constexpr int CapSysNice = 23;
constexpr int CapSysResource = 24;

// The lowest nice value this process may give a thread of its own.
int HighestAllowedNice() {
    rlimit limit{};
    if (HasCapability(CapSysNice) || getrlimit(RLIMIT_NICE, &limit) != 0 ||
        limit.rlim_cur == RLIM_INFINITY)
        return -20;
    return std::clamp(20 - int(limit.rlim_cur), -20, 20);
}

TEST(ThreadPriority, PositionsStepFromTheProcessNiceValue) {
    const pid_t runner = gettid();
    const int base = SeenFromOutside(runner).Nice;
    if (qEnvironmentVariableIsSet("SVX_PRIORITY_BASE")) { // a run started below
        ASSERT_EQ(base, qEnvironmentVariableIntValue("SVX_PRIORITY_BASE"));
    }
    const int highest = std::min(HighestAllowedNice(), base);
    const TSeen idle = WorkerAt(0);
    EXPECT_EQ(idle.Policy, SCHED_IDLE);
    EXPECT_EQ(idle.Nice, base);
    EXPECT_EQ(idle.Errno, EILSEQ); // a refused change leaves no error behind
    const struct {
        int Position, Step;
    } steps[] = {{1, 10}, {2, 5}, {3, 0}, {4, -5}, {5, -10}, {6, -20}};
    for (const auto& [position, step] : steps) {
        const TSeen worker = WorkerAt(position);
        EXPECT_EQ(worker.Policy, SCHED_OTHER) << position;
        // Bounded to the nice range; a raise goes as far as the system allows.
        EXPECT_EQ(worker.Nice, std::max(std::clamp(base + step, -20, 19), highest)) << position;
        EXPECT_EQ(worker.Errno, EILSEQ) << position;
    }
    // The thread that started the workers is never touched.
    EXPECT_EQ(SeenFromOutside(runner).Policy, SCHED_OTHER);
    EXPECT_EQ(SeenFromOutside(runner).Nice, base);
}

// The same under a program started with a nice value of its own, without the privilege to raise
// priorities, and with a nice limit that allows part of a raise, each in a process of its own.
TEST(ThreadPriority, StepsHoldForAStartedNiceValueAndWithoutPrivilege) {
    if (qEnvironmentVariableIsSet("SVX_PRIORITY_BASE"))
        GTEST_SKIP() << "already a started run";
    const int base = SeenFromOutside(gettid()).Nice;
    std::vector<std::pair<QStringList, int>> starts{
        {{"nice", "-n", "10"}, std::min(base + 10, 19)}};
    // Dropping the privilege needs one of its own.
    const bool privileged = HasCapability(CapSysNice) && HasCapability(CapSetPCap);
    if (privileged) {
        starts.push_back({{"setpriv", "--bounding-set=-sys_nice"}, base});
        starts.push_back(
            {{"nice", "-n", "10", "setpriv", "--bounding-set=-sys_nice"}, std::min(base + 10, 19)});
    }
    // A nice limit of 25 lets the user raise as far as -5, not further.
    if (privileged && HasCapability(CapSysResource)) {
        starts.push_back(
            {{"nice", "-n", "10", "prlimit", "--nice=25", "setpriv", "--bounding-set=-sys_nice"},
             std::min(base + 10, 19)});
    }
    for (auto [command, startedNice] : starts) {
        TChildProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SVX_PRIORITY_BASE", QString::number(startedNice));
        const QString program = command.takeFirst();
        ASSERT_TRUE(child.Start(
            program,
            command << QCoreApplication::applicationFilePath()
                    << "--gtest_filter=ThreadPriority.PositionsStepFromTheProcessNiceValue",
            environment))
            << qPrintable(program);
        QByteArray said;
        const int exitCode = child.WaitForExit(&said);
        const std::string output = said.toStdString();
        EXPECT_EQ(exitCode, 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
    }
}

} // namespace
