// Capture on a Wayland desktop: copies made while a native Wayland window has the focus reach
// the program through the compositor's data-control protocol. The program's window lives on the
// suite's X server, where the fixture's hands work; its clipboard there stays untouched, so
// whatever is saved came through the compositor.
#include "e2efixture.h"
#include "formlayout.h"
#include "imagechecks.h"
#include "toolrun.h"
#include "waylandsession.h"

#include <QThread>

namespace {

QString BmpName(int number) {
    return QStringLiteral("SV%1.bmp").arg(number, 4, 10, QLatin1Char('0'));
}

} // namespace

class WaylandCaptureTest : public TE2ETest {
protected:
    static void SetUpTestSuite() {
        TE2ETest::SetUpTestSuite();
        FSway = std::make_unique<TWaylandSession>();
    }
    static void TearDownTestSuite() {
        FSway.reset();
        TE2ETest::TearDownTestSuite();
    }

    void SetUp() override {
        TE2ETest::SetUp();
        if (HasFatalFailure())
            return;
        // A test may have taken the compositor away.
        if (!FSway->Running() && !FSway->Start())
            GTEST_SKIP() << "the Wayland compositor cannot start here: "
                         << FSway->Problem().toStdString();
        Sandbox().SetVariable(QStringLiteral("WAYLAND_DISPLAY"), FSway->Socket());
        FWayland = FSway->ClientEnvironment(Sandbox().Environment());
    }

    void TearDown() override {
        FChildren.StopAll();
        TE2ETest::TearDown();
    }

    // Starts the program saving BMP files and switches capture on; then a terminal, a native
    // Wayland window, takes the focus.
    ::testing::AssertionResult StartCapturingBehindTerminal(TChildProcess** program = nullptr) {
        if (auto capturing = StartCapturing(QStringLiteral("BitmapOut"), program); !capturing)
            return capturing;
        if (FChildren.Start(QStringLiteral("foot"),
                            {QStringLiteral("sleep"), QStringLiteral("600")}, FWayland) == nullptr)
            return ::testing::AssertionFailure() << "foot cannot be started";
        const bool focused = FSway->Focus(QStringLiteral("foot"));
        if (!focused)
            return ::testing::AssertionFailure() << "the terminal does not take the focus";
        return ::testing::AssertionSuccess();
    }

    // Runs a shell command line that copies something with wl-copy, which goes on serving the
    // copy until another one replaces it.
    ::testing::AssertionResult WaylandCopy(const QString& commandLine) {
        if (FChildren.Start(QStringLiteral("sh"), {QStringLiteral("-c"), commandLine}, FWayland) ==
            nullptr)
            return ::testing::AssertionFailure() << "cannot run " << commandLine.toStdString();
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult CopyPicture(const QImage& image) {
        if (TClipboardFeeder(FChildren, FWayland).CopyOnWayland(WriteClip(image)) == nullptr)
            return ::testing::AssertionFailure() << "wl-copy cannot be started";
        return ::testing::AssertionSuccess();
    }

    // Whether the program still runs with no window but its main window (no error box).
    ::testing::AssertionResult RunsWithoutBox(TChildProcess& program) {
        if (!program.Running())
            return ::testing::AssertionFailure() << "the program has ended";
        const QList<TWindow> windows = Desktop().WindowsOf(program.Pid());
        for (const TWindow& window : windows)
            if (window.Geometry.size() != TFormLayout::Get().FormSize())
                return ::testing::AssertionFailure()
                       << "it shows " << window.Describe().toStdString();
        return ::testing::AssertionSuccess();
    }

    static std::unique_ptr<TWaylandSession> FSway;
    QProcessEnvironment FWayland;
    TChildProcesses FChildren;
};

std::unique_ptr<TWaylandSession> WaylandCaptureTest::FSway;

TEST_F(WaylandCaptureTest, PicturesCopiedInWaylandWindowsAreSavedAndNothingElse) {
    // On the clipboard before the program starts, while capture is still off: not saved.
    ASSERT_TRUE(CopyPicture(PatternImage(200, 150, 1)));
    TChildProcess* program = nullptr;
    ASSERT_TRUE(StartCapturingBehindTerminal(&program));

    // None of these is a picture copied to the clipboard: no file, no box.
    ASSERT_TRUE(WaylandCopy(QStringLiteral("exec wl-copy --foreground 'no picture'")));
    ASSERT_TRUE(WaylandCopy(QStringLiteral("exec wl-copy --foreground --primary --type image/png "
                                           "< '%1'")
                                .arg(WriteClip(PatternImage(90, 60, 3)))));
    // A picture type whose bytes are no picture is a failed transfer, as on X11.
    ASSERT_TRUE(WaylandCopy(
        QStringLiteral("echo 'not a PNG' | exec wl-copy --foreground --type image/png")));
    const std::optional<TWindow> box =
        WaitForBox(program->Pid(), QStringLiteral("An error has occurred"));
    ASSERT_TRUE(box);
    EXPECT_TRUE(AnswerBox(*box));
    const QImage copied = PatternImage(131, 77, 2);
    ASSERT_TRUE(CopyPicture(copied));
    // Taken in order: had anything before been saved, this would not hold the first number.
    EXPECT_TRUE(SamePixels(copied, WaitForImageFile(Home() + QLatin1Char('/') + BmpName(0))));
    // A second source with the same picture (a clipboard keeper's) adds no file: the next
    // picture takes the next number, and no third file appears.
    ASSERT_TRUE(CopyPicture(copied));

    const QString shot = Sandbox().PathOf(QStringLiteral("shot.png"));
    ASSERT_TRUE(
        WaylandCopy(QStringLiteral("grim - | tee '%1' | exec wl-copy --foreground --type image/png")
                        .arg(shot)));
    const QImage saved = WaitForImageFile(Home() + QLatin1Char('/') + BmpName(1));
    EXPECT_TRUE(SamePixels(QImage(shot), saved));

    // Text between two pictures: the later picture takes the next number.
    ASSERT_TRUE(WaylandCopy(QStringLiteral("exec wl-copy --foreground 'more text'")));
    const QImage last = PatternImage(75, 45, 6);
    ASSERT_TRUE(CopyPicture(last));
    EXPECT_TRUE(SamePixels(last, WaitForImageFile(Home() + QLatin1Char('/') + BmpName(2))));
    EXPECT_EQ(ImageFilesIn(Home()), (QStringList{BmpName(0), BmpName(1), BmpName(2)}));
    EXPECT_TRUE(RunsWithoutBox(*program));
    // The watcher's thread ends with the program.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(program->ExitCodeWithin(20000), 0);

    // Started again with capture on: the picture on the clipboard then is not saved, the next
    // copy takes the next number.
    ASSERT_TRUE(CopyPicture(PatternImage(64, 40, 7)));
    TChildProcess* again = StartProgram(); // into the tray, as the first start left it
    ASSERT_TRUE(again && WaitUntil([&] { return HasThread(*again, "wayland watcher"); }, 10000));
    const QImage next = PatternImage(66, 44, 8);
    ASSERT_TRUE(CopyPicture(next));
    EXPECT_TRUE(SamePixels(next, WaitForImageFile(Home() + QLatin1Char('/') + BmpName(3))));
}

TEST_F(WaylandCaptureTest, TenCopiesATenthOfASecondApartGiveTenFiles) {
    ASSERT_TRUE(StartCapturingBehindTerminal());
    QList<QImage> images;
    for (int i = 0; i < 10; ++i) {
        images.append(PatternImage(60 + i, 40 + i, 20 + i));
        ASSERT_TRUE(CopyPicture(images.last()));
        QThread::msleep(100);
    }
    for (int i = 0; i < images.size(); ++i) {
        SCOPED_TRACE(BmpName(i).toStdString());
        EXPECT_TRUE(
            SamePixels(images[i], WaitForImageFile(Home() + QLatin1Char('/') + BmpName(i))));
    }
    EXPECT_EQ(ImageFilesIn(Home()).size(), images.size());
}

TEST_F(WaylandCaptureTest, SourceThatNeverDeliversHoldsNothingUp) {
    TChildProcess* program = nullptr;
    ASSERT_TRUE(StartCapturingBehindTerminal(&program));
    ASSERT_NE(FChildren.Start(QStringLiteral(SVX_STALLED_SOURCE), {QStringLiteral("image/png")},
                              FWayland),
              nullptr);
    // The stalled source keeps its pipe open for good: the wait for it has an end, and then it
    // is a failed transfer, whose box shows that the window still answers.
    const std::optional<TWindow> box =
        WaitForBox(program->Pid(), QStringLiteral("An error has occurred"));
    ASSERT_TRUE(box);
    EXPECT_TRUE(AnswerBox(*box));
    const QImage copied = PatternImage(70, 50, 4);
    ASSERT_TRUE(CopyPicture(copied));
    EXPECT_TRUE(SamePixels(copied, WaitForImageFile(Home() + QLatin1Char('/') + BmpName(0))));
    EXPECT_EQ(ImageFilesIn(Home()).size(), 1);
    // A copy made while the program still waits for a stalled source is saved, without a box.
    TChildProcess stalled;
    ASSERT_TRUE(
        stalled.Start(QStringLiteral(SVX_STALLED_SOURCE), {QStringLiteral("image/png")}, FWayland));
    QByteArray said;
    while (!said.contains("asked"))
        ASSERT_TRUE(stalled.ReadMore(said, 10000)) << "the stalled source is never asked";
    const QImage during = PatternImage(80, 60, 5);
    ASSERT_TRUE(CopyPicture(during));
    EXPECT_TRUE(SamePixels(during, WaitForImageFile(Home() + QLatin1Char('/') + BmpName(1))));
    EXPECT_TRUE(RunsWithoutBox(*program));
}

TEST_F(WaylandCaptureTest, CompositorGoingAwayEndsCaptureQuietly) {
    TChildProcess* program = nullptr;
    ASSERT_TRUE(StartCapturingBehindTerminal(&program));
    const auto watching = [&] { return HasThread(*program, "wayland watcher"); };
    ASSERT_TRUE(WaitUntil(watching, 10000));
    FChildren.StopAll();
    FSway->Stop();
    // The watcher's thread ends once it has seen the compositor go. What it reported on the way
    // is handled before a click that comes after: a box for it would be up by then.
    ASSERT_TRUE(WaitUntil([&] { return !watching(); }, 20000));
    const std::optional<TWindow> window = WaitForMainWindow(*program);
    ASSERT_TRUE(window && SetActive(*window, false));
    EXPECT_TRUE(RunsWithoutBox(*program));
    EXPECT_TRUE(ImageFilesIn(Home()).isEmpty());
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(program->ExitCodeWithin(20000), 0);
}
