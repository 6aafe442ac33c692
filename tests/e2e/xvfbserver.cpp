#include "xvfbserver.h"

#include "toolrun.h"

#include <QFile>

namespace {

constexpr int FirstDisplay = 90;
constexpr int LastDisplay = 199;

bool DisplayTaken(int number) {
    return QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
}

QProcessEnvironment OnDisplay(const QString& display) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    return environment;
}

} // namespace

bool TXvfbServer::Start() {
    for (int number = FirstDisplay; number <= LastDisplay; ++number) {
        if (DisplayTaken(number))
            continue;
        FDisplay = QStringLiteral(":%1").arg(number);
        // -noreset: it must not start over whenever the last client goes. Another server that
        // takes the display between the look and the start ends this one: then the next.
        TDaemon::TOptions options;
        options.Program = QStringLiteral("Xvfb");
        options.Arguments = {FDisplay,
                             QStringLiteral("-screen"),
                             QStringLiteral("0"),
                             QStringLiteral("1280x1024x%1").arg(FDepth),
                             QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"),
                             QStringLiteral("-noreset")};
        options.Ready = [this](TDaemon&) {
            return RunTool(QStringLiteral("xdpyinfo"), {}, OnDisplay(FDisplay), 2000).Ok();
        };
        if (FServer.Start(options))
            return true;
        FProblem = FServer.Problem();
    }
    FDisplay.clear();
    return false;
}

bool TXvfbServer::StartTray() {
    // A small panel in the bottom right corner, out of the way of the centred windows.
    TDaemon::TOptions options;
    options.Program = QStringLiteral("trayer");
    options.Arguments = {
        QStringLiteral("--edge"),  QStringLiteral("bottom"),      QStringLiteral("--align"),
        QStringLiteral("right"),   QStringLiteral("--widthtype"), QStringLiteral("pixel"),
        QStringLiteral("--width"), QStringLiteral("100"),         QStringLiteral("--heighttype"),
        QStringLiteral("pixel"),   QStringLiteral("--height"),    QStringLiteral("24")};
    options.Environment = OnDisplay(FDisplay);
    options.Ready = [this](TDaemon&) {
        // The panel's window, mapped.
        const TToolResult found =
            RunTool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--class"), QStringLiteral("trayer")},
                    OnDisplay(FDisplay), 2000);
        return found.Ok() && !found.Output.trimmed().isEmpty();
    };
    const bool shown = FTray.Start(options);
    if (!shown)
        FProblem = FTray.Problem();
    return shown;
}
