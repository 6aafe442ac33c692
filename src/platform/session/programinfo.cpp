#include "platform/session/programinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#ifndef SVX_VERSION_TEXT
#define SVX_VERSION_TEXT ""
#endif

QString ProgramVersion() {
    return QStringLiteral(SVX_VERSION_TEXT).left(12);
}

namespace {

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

TProgramPaths CurrentProgramPaths() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const QFileInfo folder(executableFolder);
    return ProgramPathsFor(
        executableFolder,
        QFileInfo::exists(QDir(executableFolder).filePath(QStringLiteral("Svx.hlp"))),
        folder.isWritable(), UserConfigFolder());
}

} // namespace

TProgramPaths ProgramPathsFor(const QString& executableFolder, bool helpBeside, bool folderWritable,
                              const QString& configHome) {
    const QString settingsName = QStringLiteral("SVX.dat");
    const QString userSettings =
        WithSlash(configHome) + QStringLiteral("Snapvault/") + settingsName;
    if (!helpBeside)
        return {
            WithSlash(QDir::cleanPath(executableFolder + QStringLiteral("/../share/snapvault"))),
            userSettings};
    const QString folder = WithSlash(executableFolder);
    return {folder, folderWritable ? folder + settingsName : userSettings};
}

QString ProgramFolder() {
    return CurrentProgramPaths().Folder;
}

QString SettingsFilePath() {
    return CurrentProgramPaths().SettingsFile;
}

QString DefaultOutputFolder() {
    return WithSlash(QDir::homePath());
}

int DisplayDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 24;
    const int depth = screen->depth();
    return depth > 0 ? depth : 24;
}

bool DisplayConfigured(QString& why) {
    // A platform chosen by hand (offscreen, vnc, ...) is the user's business.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    why = QStringLiteral("Snapvault needs a graphical desktop, but no display is set (neither "
                         "DISPLAY nor WAYLAND_DISPLAY). Start it from a desktop session.");
    return false;
}

bool DisplayPaintable(QString& why) {
    constexpr int MinimumDepth = 15;
    const int depth = DisplayDepth();
    if (depth >= MinimumDepth)
        return true;
    why = QStringLiteral("Snapvault cannot run on this display: it shows %1 bits per pixel, and "
                         "Snapvault needs at least %2 (thousands of colours or more).")
              .arg(depth)
              .arg(MinimumDepth);
    return false;
}

QString UserConfigFolder() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative values are invalid by the base-directory rules and are ignored.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.config");
}
