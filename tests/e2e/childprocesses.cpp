#include "childprocesses.h"

TChildProcesses::~TChildProcesses() {
    StopAll();
}

QProcess* TChildProcesses::Start(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment, const QString& logFile) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    // Kept off the test's own pipes, which nobody reads while the child runs.
    process->setProcessChannelMode(QProcess::MergedChannels);
    if (logFile.isEmpty()) {
        process->setStandardOutputFile(QProcess::nullDevice());
    } else {
        process->setStandardOutputFile(logFile, QIODevice::Append);
    }
    process->start(program, arguments);
    if (!process->waitForStarted(10000))
        return nullptr;
    FProcesses.push_back(std::move(process));
    return FProcesses.back().get();
}

void TChildProcesses::StopAll() {
    for (const auto& process : FProcesses) {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    }
    for (const auto& process : FProcesses)
        process->waitForFinished(5000);
    FProcesses.clear();
}

std::optional<int> WaitForExit(QProcess& process, int timeoutMs) {
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(timeoutMs))
        return std::nullopt;
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

bool IsRunning(QProcess& process) {
    // Without an event loop QProcess learns of a child's end only inside its waitFor calls.
    return process.state() != QProcess::NotRunning && !process.waitForFinished(0);
}
