#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// Every long-running program a test starts (the program under test, xclip serving the
// clipboard). Whatever is still running at the end is killed, by its own process id.
class TChildProcesses {
public:
    TChildProcesses() = default;
    ~TChildProcesses();
    TChildProcesses(const TChildProcesses&) = delete;
    TChildProcesses& operator=(const TChildProcesses&) = delete;

    // Starts a program and waits until it runs; null when it cannot be started. What it prints
    // goes to `logFile`, or nowhere.
    QProcess* Start(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, const QString& logFile = {});
    void StopAll();

private:
    std::vector<std::unique_ptr<QProcess>> FProcesses;
};

// Waits up to `timeoutMs` for a process to end; its exit code, or none when it still runs or
// crashed.
std::optional<int> WaitForExit(QProcess& process, int timeoutMs);
bool IsRunning(QProcess& process);
