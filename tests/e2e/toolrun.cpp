#include "toolrun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

TToolResult RunTool(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, int timeoutMs) {
    TToolResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.Finished = process.exitStatus() == QProcess::NormalExit;
    result.ExitCode = process.exitCode();
    result.Output = process.readAllStandardOutput();
    result.Errors = process.readAllStandardError();
    return result;
}

qint64 NowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

void SleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}
