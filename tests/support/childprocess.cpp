#include "childprocess.h"
#include "waituntil.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TChildProcess::~TChildProcess() {
    Kill();
}

bool TChildProcess::Start(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& environment, TErrors errors,
                          const QString& logFile) {
    int ends[2] = {-1, -1}; // reading, writing
    const bool opened =
        logFile.isEmpty()
            ? ::pipe2(ends, O_CLOEXEC) == 0
            : (ends[1] = ::open(QFile::encodeName(logFile).constData(),
                                O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) >= 0;
    if (!opened)
        return false;
    const bool started =
        Launch(program, arguments, environment, ends[1], errors == TErrors::Merged);
    ::close(ends[1]);
    if (started)
        FOutput = ends[0];
    else if (ends[0] >= 0)
        ::close(ends[0]);
    return started;
}

bool TChildProcess::Launch(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& environment, int output, bool mergeErrors) {
    Kill();
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    // Everything the child needs is prepared before the fork: between fork and exec a child of
    // a threaded process may call only what is safe in a signal handler.
    std::vector<QByteArray> strings{QFile::encodeName(path)};
    for (const QString& argument : arguments)
        strings.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> variables;
    for (const QString& variable : environment.toStringList())
        variables.push_back(variable.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    FExitCode = -1;
    FPid = FStarted = ::fork();
    if (FPid == 0) {
        ::dup2(output, STDOUT_FILENO);
        if (mergeErrors)
            ::dup2(output, STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return FPid > 0;
}

bool TChildProcess::ReadMore(QByteArray& output, int timeoutMs) {
    if (FOutput < 0)
        return false;
    pollfd ready{FOutput, POLLIN, 0};
    int count;
    do {
        count = ::poll(&ready, 1, timeoutMs);
    } while (count < 0 && errno == EINTR);
    if (count <= 0)
        return false;
    char buffer[65536];
    const ssize_t taken = ::read(FOutput, buffer, sizeof buffer);
    if (taken <= 0)
        return false;
    output.append(buffer, taken);
    return true;
}

bool TChildProcess::Signal(int signalNumber) const {
    return FPid > 0 && ::kill(FPid, signalNumber) == 0;
}

bool TChildProcess::Reap(int options) {
    if (FPid <= 0)
        return true;
    int status = 0;
    pid_t ended;
    do {
        ended = ::waitpid(FPid, &status, options);
    } while (ended < 0 && errno == EINTR);
    if (ended == 0)
        return false;
    FExitCode = ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    FPid = -1;
    return true;
}

int TChildProcess::WaitForExit(QByteArray* output) {
    QByteArray ignored;
    while (ReadMore(output != nullptr ? *output : ignored, -1))
        ignored.clear();
    Reap(0);
    Kill();
    return FExitCode;
}

std::optional<int> TChildProcess::ExitCodeWithin(int timeoutMs) {
    if (!WaitUntil([this] { return !Running(); }, timeoutMs, 10))
        return std::nullopt;
    return FExitCode >= 0 ? std::optional<int>(FExitCode) : std::nullopt;
}

void TChildProcess::Stop(int graceMs) {
    if (Signal(SIGTERM)) {
        Signal(SIGCONT); // a stopped program cannot end
        ExitCodeWithin(graceMs);
    }
    Kill();
}

void TChildProcess::Kill() {
    if (Signal(SIGKILL))
        Reap(0);
    if (FOutput >= 0)
        ::close(FOutput);
    FOutput = -1;
}
