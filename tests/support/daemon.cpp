#include "daemon.h"
#include "testfiles.h"
#include "waituntil.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

TDaemon::TDaemon(const QString& name)
    : FName(name), FFolder(QDir::tempPath() + QStringLiteral("/snapvault-%1-XXXXXX").arg(name)) {
    if (!FFolder.isValid() || !QDir(FFolder.path()).mkdir(QStringLiteral("runtime")))
        FProblem = QStringLiteral("no folder for %1").arg(name);
}

QByteArray TDaemon::Log() const {
    return ReadAll(FilePath(FName + QStringLiteral(".log")));
}

bool TDaemon::WriteFile(const QString& name, const QByteArray& contents) const {
    return WriteAll(FilePath(name), contents) &&
           QFile::setPermissions(FilePath(name), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup | QFile::ReadOther |
                                                     QFile::ExeOther);
}

bool TDaemon::Start(const TOptions& options) {
    if (!FFolder.isValid())
        return false;
    Stop();
    FProblem.clear();
    const QByteArray runtime = QFile::encodeName(Runtime());
    QString program = options.Program;
    QStringList arguments = options.Arguments;
    if (options.Unprivileged && geteuid() == 0) {
        const passwd* user = getpwnam("nobody");
        if (user == nullptr || chmod(QFile::encodeName(FFolder.path()).constData(), 0755) != 0 ||
            chown(runtime.constData(), user->pw_uid, user->pw_gid) != 0) {
            FProblem = QStringLiteral("cannot hand %1 to the user nobody").arg(Runtime());
            return false;
        }
        arguments = QStringList{QStringLiteral("--reuid=%1").arg(user->pw_uid),
                                QStringLiteral("--regid=%1").arg(user->pw_gid),
                                QStringLiteral("--clear-groups"), program} +
                    arguments;
        program = QStringLiteral("setpriv");
    }
    chmod(runtime.constData(), 0700);
    QProcessEnvironment environment = options.Environment;
    if (!environment.contains(QStringLiteral("PATH")))
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), Runtime());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Runtime());
    QFile::remove(FilePath(FName + QStringLiteral(".log"))); // a restart's probes read it afresh
    if (!FProcess.Start(program, arguments, environment, TChildProcess::TErrors::Merged,
                        FilePath(FName + QStringLiteral(".log")))) {
        FProblem = QStringLiteral("%1 cannot be started").arg(options.Program);
        return false;
    }
    bool ready = !options.Ready;
    WaitUntil([&] { return ready || (ready = options.Ready(*this)) || !FProcess.Running(); },
              options.TimeoutMs);
    if (ready)
        return true;
    FProblem = QStringLiteral("%1 %2; it said:\n%3")
                   .arg(options.Program,
                        FProcess.Running() ? QStringLiteral("is not ready in time")
                                           : QStringLiteral("has ended"),
                        QString::fromLocal8Bit(Log().right(3000)));
    Stop();
    return false;
}
