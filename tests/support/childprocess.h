#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// A helper program started with a plain fork and exec, its standard output and error read
// through one pipe. QProcess starts children in a way ThreadSanitizer does not follow, after
// which it reports races that are none; a fork it sees. Killed when the object goes.
class TChildProcess {
public:
    TChildProcess() = default;
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Whether the standard error joins the output read here, or goes where the test's own goes.
    enum class TErrors { Merged, Inherited };
    // False when the program cannot be found or started.
    bool Start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               TErrors errors = TErrors::Merged);
    // The same with standard output and error appended to `logFile` (a server whose talk
    // nobody reads while it runs).
    bool StartLogged(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment, const QString& logFile);
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
    // Whether the program still runs (an ended one is reaped).
    bool Running();
    // Sends `signalNumber`; false when the program does not run.
    bool Signal(int signalNumber) const;
    pid_t Pid() const { return FPid; }

private:
    bool Launch(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment, int output, bool mergeErrors);

    pid_t FPid = -1;
    int FOutput = -1;
};
