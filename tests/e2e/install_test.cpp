// The program as `cmake --install` lays it out for the /usr prefix, staged with DESTDIR and run by
// a user with a fresh home: it finds its data files in share/snapvault/, keeps its settings in the
// user's configuration folder, and its start-at-login entry starts the installed program.
#include "e2efixture.h"
#include "formlayout.h"
#include "imagechecks.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>

namespace {

// The value of `key` in the [Desktop Entry] group of a desktop entry file (empty when missing).
QString DesktopEntryValue(const QString& file, const QString& key) {
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inGroup = false;
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inGroup && line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return {};
}

} // namespace

using InstallTest = TE2ETest;

TEST_F(InstallTest, StagedProgramFindsItsFilesAndKeepsSettingsWithTheUser) {
    const QString stage = Sandbox().PathOf(QStringLiteral("stage"));
    QProcessEnvironment installEnvironment = QProcessEnvironment::systemEnvironment();
    installEnvironment.insert(QStringLiteral("DESTDIR"), stage);
    const TToolResult install = RunTool(QStringLiteral("cmake"),
                                        {QStringLiteral("--install"), QStringLiteral(SVX_BUILD_DIR),
                                         QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                        installEnvironment, 60000, TChildProcess::TErrors::Merged);
    ASSERT_TRUE(install.Ok()) << install.Output.constData();

    const QString program = stage + QStringLiteral("/usr/bin/snapvault");
    ASSERT_FALSE(QFile::exists(stage + QStringLiteral("/usr/bin/Svx.hlp")));
    Sandbox().UseProgram(program);
    Sandbox().SetVariable(QStringLiteral("XDG_CONFIG_DIRS"), stage + QStringLiteral("/etc/xdg"));
    Sandbox().SetVariable(QStringLiteral("XDG_DATA_DIRS"), stage + QStringLiteral("/usr/share"));
    // A home without .config: the settings folder is made when needed.
    ASSERT_TRUE(QDir(Home() + QStringLiteral("/.config")).removeRecursively());

    const auto [running, window] = StartWithWindow();

    ASSERT_TRUE(SetActive(window, true));
    ASSERT_TRUE(CopyImage(PatternImage(400, 300, 7)));
    EXPECT_TRUE(WaitUntil([&] { return !ImageFilesIn(Home()).isEmpty(); }, 10000))
        << "no capture saved in " << Home().toStdString();
    // F1 shows a topic of the help file, which only lies in the data folder.
    ASSERT_TRUE(Desktop().Focus(window.Id));
    ASSERT_TRUE(Desktop().Keys({QStringLiteral("F1")}));
    const QSize formSize = TFormLayout::Get().FormSize();
    const std::optional<TWindow> popup = Desktop().WaitForWindow(
        [&](const TWindow& shown) {
            return shown.Pid == running->Pid() && shown.Geometry.size() != formSize;
        },
        5000);
    EXPECT_TRUE(popup) << "no help pop-up after F1";

    ASSERT_EQ(RunTerminate(), 0);
    ASSERT_EQ(running->ExitCodeWithin(10000), 0);

    const QString config = Home() + QStringLiteral("/.config");
    EXPECT_TRUE(QFile::exists(config + QStringLiteral("/Snapvault/SVX.dat")));
    EXPECT_FALSE(QFile::exists(stage + QStringLiteral("/usr/share/snapvault/SVX.dat")));
    EXPECT_FALSE(QFile::exists(stage + QStringLiteral("/usr/bin/SVX.dat")));

    // The installation folder in the staged XDG configuration makes start at login available and
    // chosen on a first run; the entry starts this very program.
    const QString autostart = config + QStringLiteral("/autostart/SVX.desktop");
    EXPECT_EQ(DesktopEntryValue(autostart, QStringLiteral("TryExec")).toStdString(),
              program.toStdString());
    const QStringList command =
        QProcess::splitCommand(DesktopEntryValue(autostart, QStringLiteral("Exec")));
    ASSERT_EQ(command.join(QLatin1Char('|')).toStdString(), program.toStdString());
    Sandbox().UseProgram(command.first());
    TChildProcess* started = StartProgram();
    ASSERT_NE(started, nullptr);
    // The settings of the first run start it minimised into the tray: its icon shows it is up.
    EXPECT_TRUE(
        WaitUntil([&] { return !Desktop().EmbeddedWindowsOf(started->Pid()).isEmpty(); }, 15000))
        << "the program started by the autostart entry shows no icon in the tray";
    EXPECT_EQ(RunTerminate(), 0);
    EXPECT_EQ(started->ExitCodeWithin(10000), 0);
}
