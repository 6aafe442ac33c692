#include "xvfbserver.h"

#include "toolrun.h"

#include <QRegularExpression>

namespace {

QProcessEnvironment OnDisplay(const QString& display) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    return environment;
}

} // namespace

bool TXvfbServer::Start() {
    // The server takes the first free display and writes its number on a line of its own once
    // it accepts connections. -noreset: it must not start over whenever the last client goes.
    TDaemon::TOptions options;
    options.Program = QStringLiteral("Xvfb");
    options.Arguments = {QStringLiteral("-displayfd"),
                         QStringLiteral("1"),
                         QStringLiteral("-screen"),
                         QStringLiteral("0"),
                         QStringLiteral("1280x1024x%1").arg(FDepth),
                         QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"),
                         QStringLiteral("-noreset")};
    options.Ready = [this](TDaemon& daemon) {
        const QRegularExpressionMatch number =
            QRegularExpression(QStringLiteral("^(\\d+)$"), QRegularExpression::MultilineOption)
                .match(QString::fromLocal8Bit(daemon.Log()));
        FDisplay = number.hasMatch() ? QLatin1Char(':') + number.captured(1) : QString();
        return number.hasMatch();
    };
    if (!FServer.Start(options))
        FProblem = FServer.Problem();
    return FProblem.isEmpty();
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
