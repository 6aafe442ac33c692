#include "xvfbserver.h"

#include "toolrun.h"

#include <QFile>
#include <algorithm>

namespace {

constexpr int FirstDisplay = 90;
constexpr int LastDisplay = 199;
constexpr int StartTimeoutMs = 10000;

QProcessEnvironment ServerEnvironment() {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    return environment;
}

// Politely first: a server that is killed outright leaves its socket behind.
void StopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

bool DisplayTaken(int number) {
    return QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
}

} // namespace

TXvfbServer::~TXvfbServer() {
    Stop();
}

bool TXvfbServer::Start() {
    for (int number = FirstDisplay; number <= LastDisplay; ++number) {
        if (DisplayTaken(number))
            continue;
        if (TryDisplay(number))
            return true;
    }
    if (FProblem.isEmpty())
        FProblem = QStringLiteral("no free display between :%1 and :%2")
                       .arg(FirstDisplay)
                       .arg(LastDisplay);
    return false;
}

bool TXvfbServer::TryDisplay(int number) {
    const QString display = QStringLiteral(":%1").arg(number);
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(ServerEnvironment());
    // Its warnings (keymap compiler and such) would fill a pipe nobody reads.
    process->setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: the server writes its display number to standard output once it accepts
    // connections. -noreset: it must not start over whenever the last client goes.
    process->start(QStringLiteral("Xvfb"),
                   {display, QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp"), QStringLiteral("-noreset"), QStringLiteral("-displayfd"),
                    QStringLiteral("1")});
    if (!process->waitForStarted(StartTimeoutMs)) {
        FProblem = QStringLiteral("Xvfb cannot be started: ") + process->errorString();
        return false;
    }
    QByteArray announced;
    const qint64 deadline = NowMs() + StartTimeoutMs;
    while (!announced.contains('\n') && process->state() == QProcess::Running &&
           NowMs() < deadline) {
        process->waitForReadyRead(int(std::max<qint64>(1, deadline - NowMs())));
        announced += process->readAllStandardOutput();
    }
    if (!announced.contains('\n')) {
        // Another server took the display between our look and our start: try the next one.
        FProblem = QStringLiteral("Xvfb did not come up on %1").arg(display);
        StopProcess(*process);
        return false;
    }
    FProcess = std::move(process);
    FDisplay = display;
    QProcessEnvironment environment = ServerEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), FDisplay);
    const bool answers = WaitUntil(
        [&] {
            return RunTool(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), FDisplay},
                           environment, 2000)
                .Ok();
        },
        StartTimeoutMs, 20);
    if (!answers) {
        FProblem = QStringLiteral("Xvfb on %1 does not answer").arg(FDisplay);
        Stop();
        return false;
    }
    FProblem.clear();
    return true;
}

bool TXvfbServer::StartTray() {
    QProcessEnvironment environment = ServerEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), FDisplay);
    FTray = std::make_unique<QProcess>();
    FTray->setProcessEnvironment(environment);
    FTray->setStandardOutputFile(QProcess::nullDevice());
    FTray->setStandardErrorFile(QProcess::nullDevice());
    // A small panel in the bottom right corner, out of the way of the centred windows.
    FTray->start(QStringLiteral("trayer"),
                 {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                  QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                  QStringLiteral("--width"), QStringLiteral("100"), QStringLiteral("--heighttype"),
                  QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("24")});
    if (!FTray->waitForStarted(StartTimeoutMs)) {
        FProblem = QStringLiteral("trayer cannot be started: ") + FTray->errorString();
        FTray.reset();
        return false;
    }
    const qint64 pid = FTray->processId();
    const bool shown = WaitUntil(
        [&] {
            const TToolResult found =
                RunTool(QStringLiteral("xdotool"),
                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--pid"), QString::number(pid)},
                        environment, 2000);
            return found.Ok() && !found.Output.trimmed().isEmpty();
        },
        StartTimeoutMs, 20);
    if (!shown)
        FProblem = QStringLiteral("trayer shows no panel on %1").arg(FDisplay);
    return shown;
}

void TXvfbServer::StopTray() {
    if (FTray) {
        StopProcess(*FTray);
        FTray.reset();
    }
}

void TXvfbServer::Stop() {
    StopTray();
    if (!FProcess)
        return;
    StopProcess(*FProcess);
    FProcess.reset();
    FDisplay.clear();
}
