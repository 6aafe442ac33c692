#include "privatesoundserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int StartTimeoutMs = 15000;
const QString SinkName = QStringLiteral("svxnull");
// Samples of 16 bits: silence on a null sink is exactly 0, anything played is far louder.
constexpr int Whisper = 500;

// Whether the 16-bit sample at `sample` is louder than a whisper.
bool IsLoud(const char* sample) {
    qint16 value = 0;
    std::memcpy(&value, sample, 2);
    return std::abs(int(value)) > Whisper;
}

} // namespace

TPrivateSoundServer::TPrivateSoundServer() {
    // Nothing of the user's own sound setup is read or touched. -n: no default script, only the
    // modules named here. Run as root (CI) it warns and goes on.
    TDaemon::TOptions options;
    options.Program = QStringLiteral("pulseaudio");
    options.Arguments = {QStringLiteral("-n"),
                         QStringLiteral("--daemonize=no"),
                         QStringLiteral("--system=no"),
                         QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--use-pid-file=no"),
                         QStringLiteral("--log-level=info"),
                         QStringLiteral("--log-target=stderr"),
                         QStringLiteral("-L"),
                         QStringLiteral("module-null-sink sink_name=") + SinkName,
                         QStringLiteral("-L"),
                         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") +
                             Socket()};
    options.Ready = [](TDaemon& daemon) {
        return daemon.Log().contains("Daemon startup complete");
    };
    options.TimeoutMs = StartTimeoutMs;
    if (!FDaemon.Start(options))
        FProblem = FDaemon.Problem();
}

TPrivateSoundServer::~TPrivateSoundServer() {
    FRecorder.Kill();
    FDaemon.Kill();
}

QString TPrivateSoundServer::Socket() const {
    return FDaemon.RuntimePath(QStringLiteral("native"));
}

QString TPrivateSoundServer::Address() const {
    return QStringLiteral("unix:") + Socket();
}

bool TPrivateSoundServer::Freeze(bool frozen) {
    return FDaemon.Signal(frozen ? SIGSTOP : SIGCONT);
}

bool TPrivateSoundServer::SuspendSink(bool suspended) {
    TChildProcess pactl;
    return pactl.Start(QStringLiteral("pactl"),
                       {QStringLiteral("--server=") + Address(), QStringLiteral("suspend-sink"),
                        SinkName, suspended ? QStringLiteral("1") : QStringLiteral("0")}) &&
           pactl.WaitForExit() == 0;
}

bool TPrivateSoundServer::Vanish() {
    FDaemon.Kill();
    QFile::remove(Socket());
    return !QFile::exists(Socket());
}

bool TPrivateSoundServer::StartRecording() {
    // Recording runs once the first (silent) samples come in.
    return FRecorder.Start(QStringLiteral("parec"),
                           {QStringLiteral("--server=") + Address(),
                            QStringLiteral("--device=") + SinkName + QStringLiteral(".monitor"),
                            QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                            QStringLiteral("--channels=1"), QStringLiteral("--rate=44100"),
                            QStringLiteral("--latency-msec=20")}) &&
           FRecorder.ReadMore(FRecorded, StartTimeoutMs);
}

bool TPrivateSoundServer::WaitForSound(int timeoutMs) {
    // Short reads, so the caller's timers keep running in between.
    return QTest::qWaitFor(
        [this] {
            FRecorder.ReadMore(FRecorded, 10);
            const qsizetype whole = FRecorded.size() / 2 * 2;
            for (qsizetype i = 0; i < whole; i += 2) {
                if (IsLoud(FRecorded.constData() + i)) {
                    FRecorded.remove(0, i);
                    return true;
                }
            }
            FRecorded.remove(0, whole);
            return false;
        },
        timeoutMs);
}

qint64 TPrivateSoundServer::LoudFramesUntilQuiet(qint64 quietFrames) {
    qint64 loud = 0;
    qint64 quiet = 0;
    for (;;) {
        const qsizetype whole = FRecorded.size() / 2 * 2;
        for (qsizetype i = 0; i < whole; i += 2) {
            if (IsLoud(FRecorded.constData() + i)) {
                loud += quiet + 1; // a quiet gap inside the sound counts as the sound
                quiet = 0;
            } else if (++quiet >= quietFrames) {
                FRecorded.remove(0, i + 2);
                return loud;
            }
        }
        FRecorded.remove(0, whole);
        if (!FRecorder.ReadMore(FRecorded, StartTimeoutMs))
            return -1;
    }
}
