// Settings across real starts: the first-run greeting and the factory values, options kept over a
// restart, damaged files replaced, start at login, and a shutdown killed at any moment.
#include "e2efixture.h"
#include "imagechecks.h"
#include "testfiles.h"
#include "tinyfilesystem.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <csignal>

namespace {

const QString GreetingCaption = QStringLiteral("SVX.dat not found or wrong version");
const QString GreetingText =
    QStringLiteral("Looks like the first run. Assuming default settings; please check.");

} // namespace

class SettingsTest : public TE2ETest {
protected:
    // Beside the program while the help file lies there, else in the configuration folder.
    QString SettingsFile() {
        return QFile::exists(Sandbox().PathOf(QStringLiteral("bin/Svx.hlp")))
                   ? Sandbox().PathOf(QStringLiteral("bin/SVX.dat"))
                   : Home() + QStringLiteral("/.config/Snapvault/SVX.dat");
    }

    // Starts the program, waits for its window; the greetings seen on the way.
    QList<TWindow> Start(TChildProcess** program) {
        *program = StartProgram();
        QList<TWindow> seen;
        EXPECT_TRUE(*program && WaitForMainWindow(**program, 15000, &seen));
        QList<TWindow> greetings;
        for (const TWindow& window : seen) {
            if (window.Name == GreetingCaption &&
                std::none_of(greetings.begin(), greetings.end(),
                             [&](const TWindow& known) { return known.Id == window.Id; }))
                greetings.append(window);
        }
        return greetings;
    }

    // A first run whose settings let later starts show the window (the factory values start
    // minimised into the tray); the settings it stored.
    QByteArray FirstRunShowingLaterStarts() {
        TChildProcess* program = nullptr;
        Start(&program);
        const std::optional<TWindow> window = WaitForMainWindow(*program);
        EXPECT_TRUE(window && SetChecked(*window, QStringLiteral("OptStartMinimized"), false));
        Terminate(*program);
        return ReadAll(SettingsFile());
    }

    void Terminate(TChildProcess& program) {
        EXPECT_EQ(RunTerminate(), 0);
        EXPECT_EQ(program.ExitCodeWithin(10000), 0);
    }
};

TEST_F(SettingsTest, FirstRunGreetsOnceThenOptionsComeBack) {
    TChildProcess* program = nullptr;
    const QList<TWindow> greetings = Start(&program);
    ASSERT_EQ(greetings.size(), 1);
    EXPECT_TRUE(BoxFitsText(greetings.first(), GreetingText, QMessageBox::NoIcon));
    std::optional<TWindow> window = WaitForMainWindow(*program);
    ASSERT_TRUE(window);
    // Factory values: capturing, JPEG, base name SVX, numbered automatically, into the home
    // folder, pictures of 320 x 200 and more.
    EXPECT_EQ(Desktop().WindowName(window->Id), ActiveCaption);
    const QImage picture = PatternImage(400, 300, 7);
    ASSERT_TRUE(CopyImage(picture));
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SVX0001.jpg")).isNull());

    // Options changed in the window are there after the next start, without a greeting.
    ASSERT_TRUE(SetChecked(*window, QStringLiteral("PngOut"), true));
    ASSERT_TRUE(SetChecked(*window, QStringLiteral("OptStartMinimized"), false));
    ASSERT_TRUE(TypeInto(*window, QStringLiteral("NameEdit"), QStringLiteral("Kept")));
    Terminate(*program);
    ASSERT_TRUE(QFile::exists(SettingsFile()));
    EXPECT_TRUE(Start(&program).isEmpty()) << "greeted although the settings were stored";
    ASSERT_TRUE(CopyImage(PatternImage(401, 300, 8)));
    const QImage saved = WaitForImageFile(Home() + QStringLiteral("/Kept0001.png"));
    EXPECT_TRUE(SamePixels(PatternImage(401, 300, 8), saved));
    Terminate(*program);
}

TEST_F(SettingsTest, DamagedFilesGreetAndAreReplacedBySoundOnes) {
    QRandomGenerator random(42);
    QByteArray noise(4000, '\0');
    for (char& byte : noise)
        byte = char(random.bounded(256));
    TChildProcess* program = nullptr;
    Start(&program);
    Terminate(*program);
    const QByteArray sound = ReadAll(SettingsFile());
    ASSERT_GT(sound.size(), 1000);
    const struct {
        const char* Why;
        QByteArray Bytes;
    } damaged[] = {
        {"empty", QByteArray()}, {"random bytes", noise}, {"cut short", sound.left(700)}};
    for (const auto& file : damaged) {
        SCOPED_TRACE(file.Why);
        ASSERT_TRUE(WriteAll(SettingsFile(), file.Bytes));
        EXPECT_EQ(Start(&program).size(), 1);
        Terminate(*program);
        EXPECT_EQ(ReadAll(SettingsFile()), sound);
    }
}

TEST_F(SettingsTest, LoginEntryOnlyWhereThisVersionIsInstalled) {
    const QString entry = Home() + QStringLiteral("/.config/autostart/SVX.desktop");
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed" : "not installed");
        // The installation marker of the version the program carries (see the about tab).
        const QString marker = Home() + QStringLiteral("/.config/Fennmoor/Snapvault/") +
                               QStringLiteral(SVX_VERSION_TEXT);
        if (installed)
            QDir().mkpath(marker);
        TChildProcess* program = nullptr;
        Start(&program);
        EXPECT_EQ(QFile::exists(entry), installed);
        if (installed) {
            EXPECT_TRUE(
                ReadAll(entry).contains("Exec=\"" + Sandbox().ProgramPath().toUtf8() + "\""));
        }
        Terminate(*program);
        EXPECT_EQ(QFile::exists(entry), installed) << "after the shutdown";
        QFile::remove(SettingsFile());
    }
}

// The shutdown killed right before each step of writing the settings, from the opening to the
// rename, until a step lies beyond the write: the file is the old one or the new one, whole.
TEST_F(SettingsTest, ShutdownKilledAtAnyStepOfTheWriteLeavesReadableSettings) {
    const QByteArray sound = FirstRunShowingLaterStarts();
    ASSERT_FALSE(sound.isEmpty());
    Sandbox().SetVariable(QStringLiteral("LD_PRELOAD"), QStringLiteral(SVX_KILL_AT_WRITE));
    Sandbox().SetVariable(QStringLiteral("SVX_KILL_FILE"), QStringLiteral("SVX.dat"));
    for (int step = 1;; ++step) {
        SCOPED_TRACE(step);
        ASSERT_LT(step, 50) << "the write never ends";
        Sandbox().SetVariable(QStringLiteral("SVX_KILL_AT"), QString::number(step));
        TChildProcess* program = nullptr;
        ASSERT_TRUE(Start(&program).isEmpty());
        TChildProcess* terminator = StartProgram({QStringLiteral("-terminate")});
        ASSERT_NE(terminator, nullptr);
        const std::optional<int> ended = program->ExitCodeWithin(30000);
        terminator->ExitCodeWithin(30000);
        // The options did not change: old and new are the same bytes.
        EXPECT_EQ(ReadAll(SettingsFile()), sound);
        if (ended == 0) {
            EXPECT_GT(step, 3) << "the write was never cut";
            break;
        }
        ASSERT_TRUE(program->Running() == false) << "the program neither ended nor was killed";
    }
}

// A logout or a plain kill while a large picture is being written: the program ends the way a
// `-terminate` ends it, with the picture whole and the settings written. A hang-up ignored at
// the start (nohup) stays ignored, and one after a request is no second request; a second
// request while that runs ends the program outright.
TEST_F(SettingsTest, TerminationSignalsEndTheProgramTheOrderlyWay) {
    const QImage large = PatternImage(6000, 4000, 7);
    const QString file = Home() + QStringLiteral("/SV0000.bmp");
    const struct {
        const char* Name;
        bool NoHangUp; // started with SIGHUP ignored
        std::vector<int> Signals;
        bool Orderly;
    } cases[] = {
        {"a kill", false, {SIGTERM}, true},
        {"a closed terminal", false, {SIGHUP}, true},
        {"a closed terminal under nohup, then a kill", true, {SIGHUP, SIGTERM}, true},
        {"a kill, then a closed terminal", false, {SIGTERM, SIGHUP}, true},
        {"a kill, then Ctrl+C", false, {SIGTERM, SIGINT}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(SettingsFile());
        QFile::remove(file);
        TChildProcess* program = nullptr;
        // The program starts with this hang-up handling; ours comes back however the case ends.
        const auto was = std::signal(SIGHUP, c.NoHangUp ? SIG_IGN : SIG_DFL);
        const auto restore = qScopeGuard([was] { std::signal(SIGHUP, was); });
        ASSERT_TRUE(StartCapturing(QStringLiteral("BitmapOut"), &program));
        const std::optional<TWindow> window = WaitForMainWindow(*program);
        // Ignored at the start, it stays ignored (the lowest bit of the mask); else it is taken.
        const QByteArray ignored = ReadAll(QStringLiteral("/proc/%1/status").arg(program->Pid()));
        const QRegularExpression hangUpIgnored("SigIgn:\\s*\\w*[13579bdf]\\n");
        EXPECT_EQ(hangUpIgnored.match(ignored).hasMatch(), c.NoHangUp);
        ASSERT_TRUE(CopyImage(large));
        ASSERT_TRUE(WaitUntil([&] { return QFile::exists(file); }, 30000, 1)) << "no save began";
        for (const int signalNumber : c.Signals) {
            // Pending together, a hang-up (the lowest number) would be taken first: one that
            // follows a request comes once that request has closed the window.
            if (signalNumber == SIGHUP && signalNumber != c.Signals.front()) {
                ASSERT_TRUE(window && Desktop().WaitForWindowGone(window->Id, 30000));
            }
            ASSERT_EQ(::kill(pid_t(program->Pid()), signalNumber), 0);
        }
        EXPECT_EQ(program->ExitCodeWithin(60000), c.Orderly ? std::optional(0) : std::nullopt);
        if (!c.Orderly) {
            EXPECT_FALSE(program->Running()) << "a second request did not end it";
            continue;
        }
        EXPECT_TRUE(QFile::exists(SettingsFile())) << "the settings were not written";
        EXPECT_TRUE(SamePixels(large, WaitForImageFile(file, 0))) << "the picture is cut short";
    }
}

TEST_F(SettingsTest, FullDiskKeepsTheOldSettingsAndSaysSo) {
    // Without the help file beside it the program keeps its settings in the user's configuration
    // folder, which here is a tiny file system.
    QFile::remove(Sandbox().PathOf(QStringLiteral("bin/Svx.hlp")));
    const QString folder = Home() + QStringLiteral("/.config/Snapvault");
    const TTinyFileSystem tiny(folder, Sandbox().Environment());
    if (!tiny.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    TChildProcess* program = nullptr;
    const QByteArray before = FirstRunShowingLaterStarts();
    ASSERT_FALSE(before.isEmpty());

    EXPECT_TRUE(Start(&program).isEmpty());
    std::optional<TWindow> window = WaitForMainWindow(*program);
    ASSERT_TRUE(window);
    ASSERT_TRUE(SetChecked(*window, QStringLiteral("BitmapOut"), true));
    QFile filler(folder + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
    }
    filler.close();
    TChildProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    const std::optional<TWindow> box =
        WaitForBox(program->Pid(), QStringLiteral("Unable to write SVX.dat file"));
    ASSERT_TRUE(box) << "no cannot-save box";
    EXPECT_TRUE(
        BoxFitsText(*box,
                    QStringLiteral("Cannot save your settings. Check write permissions and\n"
                                   "make sure the working directory is set correctly to "
                                   "avoid this error."),
                    QMessageBox::NoIcon));
    EXPECT_TRUE(AnswerBox(*box));
    EXPECT_EQ(program->ExitCodeWithin(10000), 0);
    EXPECT_EQ(terminator->ExitCodeWithin(10000), 0);
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/SVX.dat")), before) << "the old settings are lost";
}

TEST_F(SettingsTest, TerminateDuringTheFirstRunGreetingEndsTheProgram) {
    TChildProcess* program = StartProgram();
    ASSERT_NE(program, nullptr);
    const std::optional<TWindow> greeting = WaitForBox(program->Pid(), GreetingCaption);
    ASSERT_TRUE(greeting);
    EXPECT_EQ(RunTerminate(), 0);
    // Whether the box is still up or went with the request, the program ends once it is gone.
    if (const auto stillUp = WaitForBox(program->Pid(), GreetingCaption, 500))
        AnswerBox(*stillUp);
    EXPECT_EQ(program->ExitCodeWithin(10000), 0)
        << "the close asked for during the greeting was lost";
    EXPECT_TRUE(QFile::exists(SettingsFile()));
}
