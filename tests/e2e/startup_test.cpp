// Start-up, the splash, one instance per user, and ending a running instance from outside.
#include "e2efixture.h"
#include "toolrun.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

const QSize SplashSize(378, 292);
const QString AlreadyRunningCaption = QStringLiteral("Snapvault");

bool SplashAmong(const QList<TWindow>& windows) {
    return std::any_of(windows.begin(), windows.end(),
                       [](const TWindow& window) { return window.Geometry.size() == SplashSize; });
}

std::string Describe(const QList<TWindow>& windows) {
    std::string text;
    for (const TWindow& window : windows)
        text += window.Describe().toStdString() + "\n";
    return text.empty() ? "none" : text;
}

} // namespace

using StartupTest = TE2ETest;

TEST_F(StartupTest, ShowsSplashThenWindowWhoseCaptionFollowsActivate) {
    // A first run's greeting closes the splash at once: the splash is looked for on the start
    // after it, which reads the stored settings.
    QProcess* firstRun = nullptr;
    const std::optional<TWindow> firstWindow = StartAndWaitForWindow(&firstRun);
    ASSERT_TRUE(firstWindow);
    // The factory values start minimised, which a later start honours.
    ASSERT_TRUE(SetChecked(*firstWindow, QStringLiteral("OptStartMinimized"), false));
    ASSERT_EQ(RunTerminate(), 0);
    ASSERT_EQ(WaitForExit(*firstRun, 10000), 0);

    QProcess* program = StartProgram();
    ASSERT_NE(program, nullptr);
    QList<TWindow> seen;
    const std::optional<TWindow> window = WaitForMainWindow(*program, 15000, &seen);
    ASSERT_TRUE(window) << "no main window; seen: " << Describe(seen);
    EXPECT_TRUE(SplashAmong(seen))
        << "no 378x292 splash before the window; seen: " << Describe(seen);
    // The splash has gone once the window is up.
    EXPECT_FALSE(SplashAmong(Desktop().WindowsOf(program->processId())));

    // A first run starts with capture off (the window's own values) or on (factory values);
    // either way the caption says which, exactly, and so does the check box.
    const QString caption = Desktop().WindowName(window->Id);
    ASSERT_TRUE(caption == InactiveCaption || caption == ActiveCaption) << caption.toStdString();
    const bool active = caption == ActiveCaption;
    EXPECT_EQ(ReadControlState(*window, QStringLiteral("OptActivate")), int(active));
    // Each click on Activate turns the caption over.
    for (const bool wanted : {!active, active}) {
        ASSERT_TRUE(ClickControl(*window, QStringLiteral("OptActivate")));
        EXPECT_TRUE(
            Desktop().WaitForWindowName(window->Id, wanted ? ActiveCaption : InactiveCaption, 5000))
            << "caption after the click: " << Desktop().WindowName(window->Id).toStdString();
    }
}

TEST_F(StartupTest, AnyArgumentSuppressesSplashAndIsOtherwiseIgnored) {
    QProcess* program = StartProgram({QStringLiteral("x")});
    ASSERT_NE(program, nullptr);
    QList<TWindow> seen;
    const std::optional<TWindow> window = WaitForMainWindow(*program, 15000, &seen);
    ASSERT_TRUE(window) << "an unknown argument must not stop the start; seen: " << Describe(seen);
    EXPECT_FALSE(SplashAmong(seen)) << "splash shown although an argument was given";
    // It runs as a first instance like any other: -terminate reaches it.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(WaitForExit(*program, 10000), 0);
}

TEST_F(StartupTest, SecondStartReportsAlreadyRunningAndLeavesFirstAlone) {
    QProcess* first = nullptr;
    const std::optional<TWindow> mainWindow = StartAndWaitForWindow(&first);
    ASSERT_TRUE(mainWindow);

    // The switch is case-sensitive: "-Terminate" is no switch and gets the same answer.
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("-Terminate")}}) {
        SCOPED_TRACE("second start with arguments: " + arguments.join(' ').toStdString());
        QProcess* second = StartProgram(arguments);
        ASSERT_NE(second, nullptr);
        const std::optional<TWindow> box = WaitForBox(second->processId(), AlreadyRunningCaption);
        ASSERT_TRUE(box) << "no \"already running\" box; windows of the second start: "
                         << Describe(Desktop().WindowsOf(second->processId()));
        // A box, not a second main window, and it waits for the user.
        EXPECT_TRUE(BoxFitsText(*box, QStringLiteral("Snapvault is already running!"),
                                QMessageBox::Critical));
        EXPECT_TRUE(IsRunning(*second)) << "the box must wait for an answer";
        ASSERT_TRUE(AnswerBox(*box));
        EXPECT_EQ(WaitForExit(*second, 5000), 0);
        EXPECT_TRUE(IsRunning(*first)) << "the first instance ended";
    }
    // ... and it still answers to -terminate: the second start took nothing away from it.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(WaitForExit(*first, 10000), 0);
}

TEST_F(StartupTest, TerminateClosesRunningInstance) {
    QProcess* first = nullptr;
    const std::optional<TWindow> mainWindow = StartAndWaitForWindow(&first);
    ASSERT_TRUE(mainWindow);

    QProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    ASSERT_NE(terminator, nullptr);
    EXPECT_EQ(WaitForExit(*terminator, 10000), 0);
    EXPECT_EQ(WaitForExit(*first, 10000), 0) << "the first instance did not end normally";
    EXPECT_TRUE(Desktop().WindowsOf(first->processId()).isEmpty());
}

TEST_F(StartupTest, TerminateWithNothingRunningEndsAtOnceWithoutWindow) {
    QElapsedTimer elapsed;
    elapsed.start();
    QProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    ASSERT_NE(terminator, nullptr);
    QList<TWindow> seen;
    WaitUntil(
        [&] {
            seen += Desktop().WindowsOf(terminator->processId());
            return !IsRunning(*terminator);
        },
        10000, 10);
    EXPECT_EQ(WaitForExit(*terminator, 0), 0);
    EXPECT_LT(elapsed.elapsed(), 2000) << "-terminate with nothing to close must end at once";
    EXPECT_TRUE(seen.isEmpty()) << "windows shown: " << Describe(seen);
}

TEST_F(StartupTest, KilledInstanceDoesNotBlockNextStart) {
    QProcess* crashed = nullptr;
    ASSERT_TRUE(StartAndWaitForWindow(&crashed));
    crashed->kill(); // SIGKILL: no shutdown runs, the lock and the server socket stay behind
    ASSERT_TRUE(crashed->waitForFinished(5000));

    QProcess* next = nullptr;
    const std::optional<TWindow> mainWindow = StartAndWaitForWindow(&next);
    ASSERT_TRUE(mainWindow) << "the next start shows no main window";
    for (const TWindow& window : Desktop().WindowsOf(next->processId())) {
        if (window.Id != mainWindow->Id) {
            EXPECT_NE(window.Name, AlreadyRunningCaption) << window.Describe().toStdString();
        }
    }
    // The new instance took over the name a later -terminate looks for.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(WaitForExit(*next, 10000), 0);
}
