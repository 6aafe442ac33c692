#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A PulseAudio daemon of the test's own, with a null sink as its only output, in a private
// folder. Stopped (by its process id) when the object goes.
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
    // An address where no server listens.
    QString MissingAddress() const;

    // Records what the null sink plays. False when the recorder does not run.
    bool StartRecording();
    // Waits up to `timeoutMs` until the recording holds a sample louder than a whisper; runs
    // the caller's event loop meanwhile.
    bool WaitForSound(int timeoutMs);

private:
    QTemporaryDir FFolder;
    QProcess FDaemon;
    QProcess FRecorder;
    QString FProblem;
};
