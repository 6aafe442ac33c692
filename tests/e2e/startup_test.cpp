// Start-up, the splash, one instance per user, and ending a running instance from outside.
#include "e2efixture.h"
#include "mapwatcher.h"
#include "toolrun.h"

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
    const auto [firstRun, firstWindow] = StartWithWindow();
    // The factory values start minimised, which a later start honours.
    ASSERT_TRUE(SetChecked(firstWindow, QStringLiteral("OptStartMinimized"), false));
    ASSERT_EQ(RunTerminate(), 0);
    ASSERT_EQ(firstRun->ExitCodeWithin(10000), 0);

    TMapWatcher shown(Desktop().Environment().value(QStringLiteral("DISPLAY")));
    ASSERT_TRUE(shown.IsValid());
    TChildProcess* program = StartProgram();
    ASSERT_NE(program, nullptr);
    QList<TWindow> seen;
    const std::optional<TWindow> window = WaitForMainWindow(*program, 15000, &seen);
    ASSERT_TRUE(window) << "no main window; seen: " << Describe(seen);
    EXPECT_TRUE(shown.ShownSizes().contains(SplashSize))
        << "no 378x292 splash before the window; seen: " << Describe(seen);
    // The splash has gone once the window is up.
    EXPECT_FALSE(SplashAmong(Desktop().WindowsOf(program->Pid())));
    // A dock shows the application's icon and matches the window to its launcher.
    const TToolResult properties =
        RunTool(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->Id), QStringLiteral("WM_CLASS"),
                 QStringLiteral("_NET_WM_ICON")},
                Desktop().Environment());
    ASSERT_TRUE(properties.Ok());
    EXPECT_TRUE(properties.Output.contains("WM_CLASS(STRING) = \"snapvault\", \"Snapvault\""))
        << properties.Output.toStdString();
    EXPECT_TRUE(properties.Output.contains("_NET_WM_ICON(CARDINAL) = "));

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
    // The toolkit's own switches count too, though it takes them out of the argument list.
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("x")}, QStringList{"-session", "X"}}) {
        SCOPED_TRACE("arguments: " + arguments.join(' ').toStdString());
        TMapWatcher shown(Desktop().Environment().value(QStringLiteral("DISPLAY")));
        ASSERT_TRUE(shown.IsValid());
        TChildProcess* program = StartProgram(arguments);
        ASSERT_NE(program, nullptr);
        QList<TWindow> seen;
        const std::optional<TWindow> window = WaitForMainWindow(*program, 15000, &seen);
        ASSERT_TRUE(window) << "an unknown argument must not stop the start; seen: "
                            << Describe(seen);
        EXPECT_FALSE(shown.ShownSizes().contains(SplashSize))
            << "splash shown although an argument was given";
        // It runs as a first instance like any other: -terminate reaches it.
        EXPECT_EQ(RunTerminate(), 0);
        EXPECT_EQ(program->ExitCodeWithin(10000), 0);
        // The next start is a first run again (the stored factory values start minimised).
        QFile::remove(Sandbox().PathOf(QStringLiteral("bin/SVX.dat")));
    }
}

TEST_F(StartupTest, SecondStartReportsAlreadyRunningAndLeavesFirstAlone) {
    TChildProcess* const first = StartWithWindow().Program;

    // The switch is case-sensitive and must come first: "-Terminate", or "-terminate" behind
    // one of the toolkit's switches, is no switch and gets the same answer.
    for (const QStringList& arguments : {QStringList{}, QStringList{QStringLiteral("-Terminate")},
                                         QStringList{"-reverse", "-terminate"}}) {
        SCOPED_TRACE("second start with arguments: " + arguments.join(' ').toStdString());
        TChildProcess* second = StartProgram(arguments);
        ASSERT_NE(second, nullptr);
        const std::optional<TWindow> box = WaitForBox(second->Pid(), AlreadyRunningCaption);
        ASSERT_TRUE(box) << "no \"already running\" box; windows of the second start: "
                         << Describe(Desktop().WindowsOf(second->Pid()));
        // A box, not a second main window, and it waits for the user.
        EXPECT_TRUE(BoxFitsText(*box, QStringLiteral("Snapvault is already running!"),
                                QMessageBox::Critical));
        EXPECT_TRUE(second->Running()) << "the box must wait for an answer";
        ASSERT_TRUE(AnswerBox(*box));
        EXPECT_EQ(second->ExitCodeWithin(5000), 0);
        EXPECT_TRUE(first->Running()) << "the first instance ended";
    }
    // ... and it still answers to -terminate: the second start took nothing away from it.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(first->ExitCodeWithin(10000), 0);
}

TEST_F(StartupTest, TerminateClosesRunningInstance) {
    TChildProcess* const first = StartWithWindow().Program;

    TChildProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    ASSERT_NE(terminator, nullptr);
    EXPECT_EQ(terminator->ExitCodeWithin(10000), 0);
    EXPECT_EQ(first->ExitCodeWithin(10000), 0) << "the first instance did not end normally";
    EXPECT_TRUE(Desktop().WindowsOf(first->Pid()).isEmpty());
}

TEST_F(StartupTest, TerminateWithNothingRunningEndsWithoutWindow) {
    TMapWatcher shown(Desktop().Environment().value(QStringLiteral("DISPLAY")));
    ASSERT_TRUE(shown.IsValid());
    TChildProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    ASSERT_NE(terminator, nullptr);
    EXPECT_EQ(terminator->ExitCodeWithin(60000), 0);
    // Nothing else runs on the display meanwhile: any window shown was the program's.
    EXPECT_TRUE(shown.ShownSizes().isEmpty()) << "windows shown: " << shown.ShownSizes().size();
}

TEST_F(StartupTest, KilledInstanceDoesNotBlockNextStart) {
    // SIGKILL: no shutdown runs, the lock and the server socket stay behind.
    StartWithWindow().Program->Kill();

    const auto [next, mainWindow] = StartWithWindow();
    for (const TWindow& window : Desktop().WindowsOf(next->Pid())) {
        if (window.Id != mainWindow.Id) {
            EXPECT_NE(window.Name, AlreadyRunningCaption) << window.Describe().toStdString();
        }
    }
    // The new instance took over the name a later -terminate looks for.
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(next->ExitCodeWithin(10000), 0);
}

TEST_F(StartupTest, DisplayItCannotPaintOnIsRefusedBeforeAnyWindow) {
    TXvfbServer shallow(8);
    ASSERT_TRUE(shallow.Start()) << shallow.Problem().toStdString();
    QProcessEnvironment environment = Sandbox().Environment();
    environment.insert(QStringLiteral("DISPLAY"), shallow.Display());
    const TToolResult result =
        RunTool(Sandbox().ProgramPath(), {}, environment, 10000, TChildProcess::TErrors::Merged);
    ASSERT_TRUE(result.Finished);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(result.Output.contains("8 bits per pixel")) << result.Output.toStdString();
    EXPECT_TRUE(result.Output.contains("at least 15")) << result.Output.toStdString();
}
