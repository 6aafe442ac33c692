#include "platform/programinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#ifndef SVX_VERSION_TEXT
#define SVX_VERSION_TEXT ""
#endif

QString ProgramVersion() {
    return QStringLiteral(SVX_VERSION_TEXT).left(12);
}

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString DefaultOutputFolder() {
    QString home = QDir::homePath();
    if (!home.endsWith(QLatin1Char('/')))
        home += QLatin1Char('/');
    return home;
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
