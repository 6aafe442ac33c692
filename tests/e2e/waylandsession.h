#pragma once

#include "daemon.h"
#include "xvfbserver.h"

#include <QProcessEnvironment>
#include <QString>
#include <memory>

// The compositors of the desktops the program meets, headless and drawn in software, each with
// Xwayland: sway (wlroots: data-control), mutter (GNOME: no data-control, the clipboard reaches
// X11 through Xwayland) and KWin (KDE: data-control; the X11 clipboard follows only X11 windows
// with the focus). They run as an unprivileged user; the tests' clients reach them by the
// absolute paths of their sockets, as whatever user runs the tests. Xfce is X11 only: its window
// manager (xfwm4) and panel on an X server of their own.
enum class TCompositor { Sway, Mutter, KWin, Xfce };

// A private session bus that admits every user: the compositor's and the tests'.
class TSessionBus {
public:
    bool Start();
    QString Address() const;
    QString Problem() const { return FDaemon.Problem(); }

private:
    TDaemon FDaemon{QStringLiteral("dbus")};
};

class TWaylandSession {
public:
    explicit TWaylandSession(TCompositor compositor = TCompositor::Sway);
    ~TWaylandSession();
    TWaylandSession(const TWaylandSession&) = delete;
    TWaylandSession& operator=(const TWaylandSession&) = delete;

    // Starts the compositor and waits until it and its Xwayland answer. False (with `Problem()`
    // telling why) when it cannot start.
    bool Start();
    // Ends the compositor, as when the session ends under its clients.
    void Stop() { FCompositor.Stop(); }
    bool Running() { return FCompositor.Running(); }
    QString Problem() const { return FProblem; }
    // What the compositor has printed (for the report of a failed test).
    QByteArray Log() const { return FCompositor.Log(); }

    // The absolute path of the compositor's socket (for WAYLAND_DISPLAY).
    QString Socket() const { return FSocket; }
    // `base` with the variables a client needs to reach this compositor and its Xwayland (and
    // swaymsg the control socket).
    QProcessEnvironment ClientEnvironment(QProcessEnvironment base) const;
    // Gives the keyboard focus to the window of a Wayland client (by its application id) and
    // waits until it has it. mutter gives a new window the focus by itself.
    bool Focus(const QString& appId);

private:
    bool StartSway();
    bool StartMutter();
    bool StartKWin();
    bool StartXfce();
    bool OpenRemoteDesktop();

    TCompositor FKind;
    TSessionBus FBus;
    TDaemon FCompositor;
    QString FSocket;
    QString FControlSocket; // sway's
    QString FDisplay;       // Xwayland's
    QString FAuthority;     // mutter's cookie for it
    QString FBusClient;     // our connection to the session bus; it holds mutter's input devices
    int FScripts = 0;       // KWin scripts loaded
    QString FProblem;
    std::unique_ptr<TXvfbServer> FXServer; // Xfce's
};
