#pragma once

#include "childprocess.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// A server the tests need for a while (an X server, a compositor, a panel, a bus, a sound
// server), in a folder of its own: its log, its files, and a private runtime folder that is its
// home as well, so nothing of the developer's session is read or touched. Stopped politely when
// the object goes.
class TDaemon {
public:
    struct TOptions {
        QString Program;
        QStringList Arguments;
        // The environment besides HOME and XDG_RUNTIME_DIR, which point at the runtime folder.
        QProcessEnvironment Environment;
        // Run as the user "nobody" when the tests run as root: compositors refuse root, and a
        // desktop's programs run as someone else than the tests' clients anyway.
        bool Unprivileged = false;
        // Polled until it holds; the daemon is ready then. None: ready once started.
        std::function<bool(TDaemon&)> Ready;
        int TimeoutMs = 20000;
    };

    explicit TDaemon(const QString& name);
    ~TDaemon() { Stop(); }
    TDaemon(const TDaemon&) = delete;
    TDaemon& operator=(const TDaemon&) = delete;

    // Starts the program and waits until it is ready. False (with `Problem()` telling why and
    // what it logged) when it cannot be started, ends, or is not ready in time.
    bool Start(const TOptions& options);
    void Stop() { FProcess.Stop(); }
    // Ends it at once, as a crash would.
    void Kill() { FProcess.Kill(); }
    bool Running() { return FProcess.Running(); }
    bool Signal(int signalNumber) const { return FProcess.Signal(signalNumber); }
    QString Problem() const { return FProblem; }

    // A file of the daemon's folder (configuration), and writing one that the daemon can read
    // and run whoever it runs as.
    QString FilePath(const QString& name) const { return FFolder.filePath(name); }
    bool WriteFile(const QString& name, const QByteArray& contents) const;
    // The private runtime folder, and a path in it.
    QString Runtime() const { return FFolder.filePath(QStringLiteral("runtime")); }
    QString RuntimePath(const QString& name) const { return Runtime() + QLatin1Char('/') + name; }
    // All it has printed so far.
    QByteArray Log() const;

private:
    QString FName;
    QTemporaryDir FFolder;
    TChildProcess FProcess;
    QString FProblem;
};
