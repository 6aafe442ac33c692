#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A headless sway with XWayland, the Wayland desktop of the tests. sway refuses to run as root:
// then it runs as the unprivileged user "nobody", in a runtime folder of its own. The clients of
// the tests reach it by the absolute path of its socket, as whatever user runs the tests.
class TSwaySession {
public:
    TSwaySession() = default;
    ~TSwaySession();
    TSwaySession(const TSwaySession&) = delete;
    TSwaySession& operator=(const TSwaySession&) = delete;

    // Starts sway and waits until it answers on its control socket. False (with `Problem()`
    // telling why) when it cannot start.
    bool Start();
    void Stop();
    bool Running() const { return FProcess && FProcess->state() != QProcess::NotRunning; }
    QString Problem() const { return FProblem; }

    // The absolute path of the compositor's socket (for WAYLAND_DISPLAY).
    QString Socket() const { return FSocket; }
    // `base` with the variables a Wayland client and swaymsg need to reach this compositor.
    QProcessEnvironment ClientEnvironment(QProcessEnvironment base) const;

private:
    std::unique_ptr<QTemporaryDir> FRoot;
    std::unique_ptr<QProcess> FProcess;
    QString FSocket;
    QString FControlSocket;
    QString FProblem;
};
