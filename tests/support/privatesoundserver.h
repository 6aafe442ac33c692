#pragma once

#include "childprocess.h"
#include "daemon.h"

#include <QString>

// A PulseAudio daemon of the test's own, with a null sink as its only output, in a private
// folder. Killed when the object goes.
class TPrivateSoundServer {
public:
    TPrivateSoundServer();
    ~TPrivateSoundServer();
    TPrivateSoundServer(const TPrivateSoundServer&) = delete;
    TPrivateSoundServer& operator=(const TPrivateSoundServer&) = delete;

    bool Ok() const { return FProblem.isEmpty(); }
    QString Problem() const { return FProblem; }
    // The server address for clients (the value of PULSE_SERVER).
    QString Address() const;

    // Ways a server stalls. Each returns false when it could not be done.
    // Stops the daemon (SIGSTOP), or lets it go on (SIGCONT).
    bool Freeze(bool frozen);
    // Suspends the null sink, or resumes it.
    bool SuspendSink(bool suspended);
    // Kills the daemon and removes its socket.
    bool Vanish();

    // Records what the null sink plays. False when the recorder does not run.
    bool StartRecording();
    // Waits up to `timeoutMs` until the recording holds a sample louder than a whisper; runs
    // the caller's event loop meanwhile.
    bool WaitForSound(int timeoutMs);
    // Reads the recording on until `quietFrames` silent samples in a row have come; returns the
    // loud samples recorded before them (at 44.1 kHz), or -1 when the recording ended first.
    qint64 LoudFramesUntilQuiet(qint64 quietFrames);

private:
    QString Socket() const;

    TDaemon FDaemon{QStringLiteral("pulseaudio")};
    TChildProcess FRecorder;
    QByteArray FRecorded; // recorded samples not looked at yet
    QString FProblem;
};
