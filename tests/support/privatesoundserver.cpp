#include "privatesoundserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int StartTimeoutMs = 15000;
const QString SinkName = QStringLiteral("svxnull");
// Samples of 16 bits: silence on a null sink is exactly 0, anything played is far louder.
constexpr int Whisper = 500;

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

TPrivateSoundServer::TPrivateSoundServer() {
    if (!FFolder.isValid()) {
        FProblem = QStringLiteral("no temporary folder");
        return;
    }
    QDir(FFolder.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(FFolder.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Nothing of the user's own sound setup is read or touched. -n: no default script, only the
    // modules named here. Run as root (CI) it warns and goes on.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), FFolder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       FFolder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       FFolder.filePath(QStringLiteral("runtime")));
    environment.remove(QStringLiteral("PULSE_SERVER"));
    environment.remove(QStringLiteral("DISPLAY"));
    FDaemon.setProcessEnvironment(environment);
    FDaemon.setProcessChannelMode(QProcess::MergedChannels);
    FDaemon.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                   QStringLiteral("--system=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=info"),
                   QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                   QStringLiteral("module-null-sink sink_name=") + SinkName, QStringLiteral("-L"),
                   QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") +
                       FFolder.filePath(QStringLiteral("native"))});
    if (!FDaemon.waitForStarted(StartTimeoutMs)) {
        FProblem = QStringLiteral("cannot start pulseaudio: ") + FDaemon.errorString();
        return;
    }
    // The daemon says when it listens.
    QByteArray log;
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!log.contains("Daemon startup complete")) {
        if (deadline.hasExpired() || FDaemon.state() != QProcess::Running ||
            !FDaemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            FProblem = QStringLiteral("pulseaudio did not start:\n") + QString::fromLocal8Bit(log);
            Stop(FDaemon);
            return;
        }
        log += FDaemon.readAll();
    }
}

TPrivateSoundServer::~TPrivateSoundServer() {
    Stop(FRecorder);
    Stop(FDaemon);
}

QString TPrivateSoundServer::Address() const {
    return QStringLiteral("unix:") + FFolder.filePath(QStringLiteral("native"));
}

QString TPrivateSoundServer::MissingAddress() const {
    return QStringLiteral("unix:") + FFolder.filePath(QStringLiteral("nobody-listens"));
}

bool TPrivateSoundServer::StartRecording() {
    FRecorder.start(QStringLiteral("parec"),
                    {QStringLiteral("--server=") + Address(),
                     QStringLiteral("--device=") + SinkName + QStringLiteral(".monitor"),
                     QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                     QStringLiteral("--channels=1"), QStringLiteral("--rate=44100"),
                     QStringLiteral("--latency-msec=20")});
    // Recording runs once the first (silent) samples come in.
    return FRecorder.waitForStarted(StartTimeoutMs) && FRecorder.waitForReadyRead(StartTimeoutMs);
}

bool TPrivateSoundServer::WaitForSound(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray pending;
    while (!deadline.hasExpired() && FRecorder.state() == QProcess::Running) {
        // Short waits, so the caller's timers keep running in between.
        FRecorder.waitForReadyRead(10);
        QCoreApplication::processEvents();
        pending += FRecorder.readAll();
        const qsizetype whole = pending.size() / 2 * 2;
        for (qsizetype i = 0; i < whole; i += 2) {
            qint16 sample = 0;
            std::memcpy(&sample, pending.constData() + i, 2);
            if (std::abs(int(sample)) > Whisper)
                return true;
        }
        pending.remove(0, whole);
    }
    return false;
}
