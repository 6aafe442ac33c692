#include "swaysession.h"

#include "childprocesses.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 20000;

// XWayland runs from the start, as on a desktop where X11 programs may come at any time. The
// bar "tray" hosts StatusNotifierItems; its swaybar is started by the tests when they want a
// panel, so its process is not started with the session.
const char* const Config = "xwayland force\n"
                           "bar {\n  id tray\n  swaybar_command true\n  tray_output *\n}\n";

} // namespace

TSwaySession::~TSwaySession() {
    Stop();
}

bool TSwaySession::Start() {
    Stop();
    FProblem.clear();
    FRoot = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                            QStringLiteral("/snapvault-sway-XXXXXX"));
    const QString runtime = FRoot->filePath(QStringLiteral("runtime"));
    const QString config = FRoot->filePath(QStringLiteral("config"));
    QFile configFile(config);
    if (!FRoot->isValid() || !QDir(FRoot->path()).mkpath(QStringLiteral("runtime")) ||
        !configFile.open(QIODevice::WriteOnly) || configFile.write(Config) < 0) {
        FProblem = QStringLiteral("cannot prepare a folder for sway");
        return false;
    }
    configFile.close();

    QString program = QStringLiteral("sway");
    QStringList arguments{QStringLiteral("-c"), config};
    if (geteuid() == 0) {
        const passwd* user = getpwnam("nobody");
        if (user == nullptr) {
            FProblem = QStringLiteral("sway refuses root, and there is no user \"nobody\"");
            return false;
        }
        const QByteArray root = QFile::encodeName(FRoot->path());
        const QByteArray runtimePath = QFile::encodeName(runtime);
        if (chmod(root.constData(), 0755) != 0 ||
            chown(runtimePath.constData(), user->pw_uid, user->pw_gid) != 0) {
            FProblem = QStringLiteral("cannot hand %1 to the user nobody").arg(runtime);
            return false;
        }
        arguments.prepend(program);
        arguments.prepend(QStringLiteral("--clear-groups"));
        arguments.prepend(QStringLiteral("--regid=%1").arg(user->pw_gid));
        arguments.prepend(QStringLiteral("--reuid=%1").arg(user->pw_uid));
        program = QStringLiteral("setpriv");
    }
    chmod(QFile::encodeName(runtime).constData(), 0700);

    // The headless backend without input devices, drawn in software: no GPU, no seat hardware.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), runtime);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessEnvironment(environment);
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    FProcess->setStandardOutputFile(FRoot->filePath(QStringLiteral("sway.log")));
    FProcess->start(program, arguments);
    if (!FProcess->waitForStarted(StartTimeoutMs)) {
        FProblem = QStringLiteral("sway cannot be started: ") + FProcess->errorString();
        FProcess.reset();
        return false;
    }

    // Ready once its control socket answers; the clients' socket is there before that.
    const bool ready = WaitUntil(
        [&] {
            if (FProcess->state() == QProcess::NotRunning)
                return true;
            const QStringList sockets = QDir(runtime).entryList(
                {QStringLiteral("wayland-*"), QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            FSocket.clear();
            FControlSocket.clear();
            for (const QString& name : sockets)
                (name.startsWith(QStringLiteral("wayland-")) ? FSocket : FControlSocket) =
                    runtime + QLatin1Char('/') + name;
            return !FSocket.isEmpty() && !FControlSocket.isEmpty() &&
                   RunTool(QStringLiteral("swaymsg"),
                           {QStringLiteral("-t"), QStringLiteral("get_version")},
                           ClientEnvironment(QProcessEnvironment()), 2000)
                       .Ok();
        },
        StartTimeoutMs, 50);
    if (!ready || FProcess->state() == QProcess::NotRunning) {
        QFile log(FRoot->filePath(QStringLiteral("sway.log")));
        log.open(QIODevice::ReadOnly);
        FProblem = QStringLiteral("sway does not come up:\n") +
                   QString::fromLocal8Bit(log.readAll().right(2000));
        Stop();
        return false;
    }
    return true;
}

void TSwaySession::Stop() {
    if (FProcess)
        StopProcess(*FProcess);
    FProcess.reset();
    FSocket.clear();
    FControlSocket.clear();
    FRoot.reset();
}

QProcessEnvironment TSwaySession::ClientEnvironment(QProcessEnvironment base) const {
    if (!base.contains(QStringLiteral("PATH")))
        base.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    base.insert(QStringLiteral("WAYLAND_DISPLAY"), FSocket);
    base.insert(QStringLiteral("SWAYSOCK"), FControlSocket);
    return base;
}
