#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>
#include <sys/wait.h>

// A program a test starts, with a plain fork and exec, its standard output and error read
// through one pipe or appended to a log file. QProcess starts children in a way
// ThreadSanitizer does not follow, after which it reports races that are none; a fork it sees.
// Killed when the object goes.
class TChildProcess {
public:
    TChildProcess() = default;
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Whether the standard error joins the output read here, or goes where the test's own goes.
    enum class TErrors { Merged, Inherited };
    // False when the program cannot be found or started. With `logFile` what it prints is
    // appended there instead (a server whose talk nobody reads while it runs).
    bool Start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               TErrors errors = TErrors::Merged, const QString& logFile = {});
    // Waits up to `timeoutMs` for more output and appends it to `output`. False when nothing
    // came: the time ran out or the program closed its output.
    bool ReadMore(QByteArray& output, int timeoutMs);
    // Waits until the program has ended, reading its output on into `output` (or dropping it), and
    // returns its exit code; -1 when it was killed by a signal or was not started.
    int WaitForExit(QByteArray* output = nullptr);
    // Kills the program and waits for it. Nothing when it does not run.
    void Kill();
    // Asks the program to end (SIGTERM), gives it `graceMs` to do so, then kills it: a server
    // killed outright leaves its sockets and lock files behind.
    void Stop(int graceMs = 3000);
    // Whether the program still runs.
    bool Running() { return !Reap(WNOHANG); }
    // Waits up to `timeoutMs` for the program to end; its exit code, or none when it still runs
    // or was killed by a signal.
    std::optional<int> ExitCodeWithin(int timeoutMs);
    // Sends `signalNumber`; false when the program does not run.
    bool Signal(int signalNumber) const;
    // The process id it was started with, also once it has ended.
    pid_t Pid() const { return FStarted; }

private:
    // Collects the exit status of an ended program; false when it still runs (WNOHANG).
    bool Reap(int options);
    bool Launch(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment, int output, bool mergeErrors);

    pid_t FPid = -1; // while not collected
    pid_t FStarted = -1;
    int FExitCode = -1;
    int FOutput = -1;
};
