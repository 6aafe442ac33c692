// What other programs put on the clipboard, fast, slowly or falsely, through the real X11
// transfer: each change saved at most once and whole, nothing that stalls the window or takes
// memory for a picture it does not hold.
#include "e2efixture.h"
#include "imagechecks.h"
#include "platform/clipboard/xcbselectionwatcher.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSemaphore>
#include <mutex>

namespace {

const QString FailedTransferText = QStringLiteral("Error transferring data from clipboard");
const QString ErrorBoxCaption = QStringLiteral("An error has occurred");

// Peak resident memory of a process, in MiB (VmHWM); -1 when unknown.
qint64 PeakMemoryMiB(qint64 pid) {
    const auto match =
        QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+) kB"))
            .match(QString::fromLatin1(ReadAll(QStringLiteral("/proc/%1/status").arg(pid))));
    return match.hasMatch() ? match.captured(1).toLongLong() / 1024 : -1;
}

} // namespace

class HostileClipboardTest : public TE2ETest {
protected:
    // Runs the project's clipboard owner until it holds the last of `contents`.
    TChildProcess* Own(const QStringList& arguments, int contents = 1) {
        return Clipboard().RunOwner(
            arguments, contents, Sandbox().PathOf(QStringLiteral("owner-%1.log").arg(++FOwners)));
    }

    // Copies 40 full-HD pictures, `intervalMs` apart, saved as `format`, and waits until the
    // saves are over. Each
    // saved file must be whole and one of the pictures, none twice, in the order copied; the
    // number of files saved.
    int CopyBurst(int intervalMs, const QString& format) {
        TChildProcess* program = nullptr;
        EXPECT_TRUE(StartCapturing(format, &program));
        QList<QImage> images;
        QStringList arguments{QStringLiteral("--interval"), QString::number(intervalMs)};
        for (int i = 0; i < 40; ++i) {
            images.append(PatternImage(1920, 1080, i));
            arguments << QStringLiteral("image/png=") + WriteClip(images.last());
        }
        EXPECT_NE(Own(arguments, int(images.size())), nullptr);
        // Over once the last picture, which stays on the clipboard, has the last file and no save
        // runs: changes are taken in order, and a file is made by its save.
        QStringList names;
        EXPECT_TRUE(WaitUntil(
            [&] {
                names = ImageFilesIn(Home());
                const QImage last(names.isEmpty() ? QString() : Home() + '/' + names.last());
                return !last.isNull() && last.pixel(0, 0) == images.last().pixel(0, 0) &&
                       !HasThread(*program, "TStowThread");
            },
            180000, 200))
            << "the last picture was not saved";
        QHash<QRgb, int> bySeed;
        for (int i = 0; i < images.size(); ++i)
            bySeed.insert(images[i].pixel(0, 0), i);
        int previous = -1;
        for (const QString& name : names) {
            const QImage saved(Home() + QLatin1Char('/') + name);
            const int index = saved.isNull() ? -1 : bySeed.value(saved.pixel(0, 0), -1);
            const auto same =
                index < 0 ? ::testing::AssertionFailure() : SamePixels(images[index], saved);
            if (!same || index <= previous) {
                ADD_FAILURE() << name.toStdString() << " is picture " << index << " after "
                              << previous << ": not one of the copied pictures, saved twice, "
                              << "out of order or not whole. " << same.message();
                break;
            }
            previous = index;
        }
        return int(names.size());
    }

    int FOwners = 0;
};

TEST_F(HostileClipboardTest, CopiesBackToBackAreNeverSavedTwice) {
    // Copies replaced before we could read them are gone; none may be saved twice.
    const int saved = CopyBurst(20, QStringLiteral("PngOut"));
    EXPECT_GE(saved, 1);
    RecordProperty("saved", saved);
}

TEST_F(HostileClipboardTest, CopiesFiftyMillisecondsApartAllArrive) {
    // Bitmaps cost little to save, so the program's own saves do not slow its reading.
    EXPECT_EQ(CopyBurst(50, QStringLiteral("BitmapOut")), 40);
}

TEST_F(HostileClipboardTest, OddOffersAreRefusedWithoutHarm) {
    TChildProcess* program = nullptr;
    ASSERT_TRUE(StartCapturing(QStringLiteral("BitmapOut"), &program));
    const qint64 pid = program->Pid();
    const QString goodPng = WriteClip(PatternImage(64, 48, 1));
    // Wider than any screen, yet within the toolkit's own allocation limit.
    QImage bomb(30000, 8000, QImage::Format_Mono);
    bomb.fill(0);
    const QString bombPng = WriteClip(bomb);
    const QString svg = Sandbox().PathOf(QStringLiteral("picture.svg"));
    ASSERT_TRUE(WriteAll(svg, "<svg xmlns='http://www.w3.org/2000/svg' width='64' "
                              "height='48'><rect width='64' height='48'/></svg>"));
    const QString garbage = Sandbox().PathOf(QStringLiteral("garbage.png"));
    ASSERT_TRUE(WriteAll(garbage, "no picture at all"));
    QImage goodBmp = PatternImage(64, 48, 2);
    goodBmp.save(Sandbox().PathOf(QStringLiteral("good.bmp")), "BMP");

    const struct {
        const char* Name;
        QStringList Owner;
        bool FailedTransfer;
    } cases[] = {
        {"a preferred type that does not decode beside a good one",
         {"image/png=" + garbage + ",image/bmp=" + Sandbox().PathOf("good.bmp")},
         true},
        {"a small file of 30000 x 8000 pixels", {"image/png=" + bombPng}, true},
        {"an owner that sends a byte every two seconds",
         {"--stall", "2000", "image/png=" + goodPng},
         true},
        // Last, so that no box stands when it is looked at.
        {"only a type that is no bitmap", {"image/svg+xml=" + svg}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const qint64 peakBefore = PeakMemoryMiB(pid);
        ASSERT_NE(Own(c.Owner), nullptr);
        if (c.FailedTransfer) {
            // The box also shows that the window still answers.
            const std::optional<TWindow> box = WaitForBox(pid, ErrorBoxCaption);
            ASSERT_TRUE(box);
            EXPECT_TRUE(BoxFitsText(*box, FailedTransferText, QMessageBox::Information));
            EXPECT_TRUE(AnswerBox(*box));
        } else {
            // Looked at; whether it opened a box shows once a later copy is saved.
            const QString log = Sandbox().PathOf(QStringLiteral("owner-%1.log").arg(FOwners));
            EXPECT_TRUE(
                WaitUntil([&] { return ReadAll(log).contains("asked for the types"); }, 10000));
        }
        // A refused picture takes no memory for its pixels.
        EXPECT_LT(PeakMemoryMiB(pid) - peakBefore, 100);
    }
    EXPECT_TRUE(ImageFilesIn(Home()).isEmpty());
    ASSERT_TRUE(CopyImage(PatternImage(64, 48, 3)));
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0000.bmp")).isNull());
    EXPECT_FALSE(WaitForBox(pid, ErrorBoxCaption, 0));

    // An owner stalling mid-transfer holds up neither the window nor the end of the program: its
    // transfer would take many minutes (a byte every 2 s), the end takes a small part of one.
    ASSERT_NE(Own({"--stall", "2000", "image/png=" + goodPng}), nullptr);
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(program->ExitCodeWithin(60000), 0);
}

// An owner refuses the preferred type, and a newer copy takes over before the rest of the fetch:
// the older copy is dropped without a box, and the newer one is saved once.
TEST_F(HostileClipboardTest, CopyReplacedAfterARefusalGivesTheNewerPictureOnce) {
    TChildProcess* program = nullptr;
    ASSERT_TRUE(StartCapturing(QStringLiteral("BitmapOut"), &program));
    PatternImage(64, 48, 5).save(Sandbox().PathOf(QStringLiteral("older.bmp")), "BMP");
    const QImage newer = PatternImage(64, 48, 6);
    ASSERT_NE(Own({"--next-on-refusal", "image/bmp=" + Sandbox().PathOf("older.bmp"),
                   "image/png=" + WriteClip(newer)},
                  2),
              nullptr);
    EXPECT_TRUE(SamePixels(newer, WaitForImageFile(Home() + QStringLiteral("/SV0000.bmp"))));
    // Changes are taken in order: once the next copy is saved, a box for the older one would
    // be open.
    ASSERT_TRUE(CopyImage(PatternImage(64, 48, 7)));
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0001.bmp")).isNull());
    EXPECT_EQ(ImageFilesIn(Home()).size(), 2);
    EXPECT_FALSE(WaitForBox(program->Pid(), ErrorBoxCaption, 0));
}

// The byte cap of one picture holds however the owner hands the data over: in one property, or
// in pieces that add up past it. The watcher itself, on the suite's display, with a cap that the
// test's picture just fits. An owner that answers each request twice is taken at its first word.
TEST_F(HostileClipboardTest, TransfersPastTheByteCapFail) {
    const QString png = WriteClip(PatternImage(64, 48, 8)), bmp = Sandbox().PathOf("clip.bmp");
    const qint64 size = QFileInfo(png).size();
    ASSERT_TRUE(PatternImage(64, 48, 9).save(bmp, "BMP"));
    // Read from one property in several requests, whose offsets count 32-bit units.
    const QString large = Sandbox().PathOf("large.bmp");
    ASSERT_TRUE(PatternImage(1600, 1000, 10).save(large, "BMP"));
    ASSERT_GT(QFileInfo(large).size(), 4 << 20);
    const QString jpg = Sandbox().PathOf("clip.jpg"), tif = Sandbox().PathOf("clip.tif"),
                  gif = Sandbox().PathOf("clip.gif"), nil = Sandbox().PathOf("nil");
    ASSERT_TRUE(PatternImage(64, 48, 10).save(jpg, "JPEG") &&
                PatternImage(64, 48, 11).save(tif, "TIFF") && WriteAll(nil, {}) &&
                RunTool("convert", {bmp, gif}, Sandbox().Environment()).Ok());
    const TScopedSetting display(
        "DISPLAY", Desktop().Environment().value(QStringLiteral("DISPLAY")).toLocal8Bit());
    const struct {
        const char* Name;
        QStringList Owner;
        qint64 Cap;
        bool Arrives;
    } cases[] = {
        {"in one property, just fitting", {"image/png=" + png}, size, true},
        {"in one property, a byte too many", {"image/png=" + png}, size - 1, false},
        {"in pieces, just fitting", {"--piece", "256", "image/png=" + png}, size, true},
        {"in pieces, past the cap", {"--piece", "256", "image/png=" + png}, size - 1, false},
        // Its refusal of PNG comes again where the list of types is awaited.
        {"answers sent twice", {"--answer-twice", "image/bmp=" + bmp}, MaxClipboardBytes, true},
        {"over 4 MiB in one property",
         {"--piece", "8388608", "image/bmp=" + large},
         MaxClipboardBytes,
         true},
        // Pictures of each type, asked for after PNG is refused or answered with nothing.
        {"JPEG alone", {"image/jpeg=" + jpg}, MaxClipboardBytes, true},
        {"GIF alone", {"image/gif=" + gif}, MaxClipboardBytes, true},
        {"TIFF alone", {"image/tiff=" + tif}, MaxClipboardBytes, true},
        {"empty PNG", {"image/png=" + nil + ",image/bmp=" + bmp}, MaxClipboardBytes, true},
        // As xclip does, whatever type it is asked for.
        {"PNG asked for, JPEG sent", {"image/png=" + jpg}, MaxClipboardBytes, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::mutex lock;
        QList<TSelectionChange> reports;
        QSemaphore reported;
        TXcbSelectionWatcher watcher(
            [&](TSelectionChange change) {
                const std::lock_guard guard(lock);
                reports.append(std::move(change));
                reported.release();
            },
            c.Cap);
        ASSERT_TRUE(watcher.Start());
        ASSERT_NE(Own(c.Owner), nullptr);
        ASSERT_TRUE(reported.tryAcquire(1, 20000));
        const std::lock_guard guard(lock);
        EXPECT_TRUE(reports[0].OffersImage);
        EXPECT_EQ(reports[0].Image.has_value(), c.Arrives);
    }
}
