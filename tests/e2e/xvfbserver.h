#pragma once

#include "daemon.h"

#include <QString>

// A private X server for a group of tests: 1280x1024 at 24 bits (or the depth asked for), no
// TCP, no window manager.
class TXvfbServer {
public:
    explicit TXvfbServer(int depth = 24) : FDepth(depth) {}

    // Starts on the first free display and waits until it answers. False (with `Problem()`
    // telling why) when no server could be started.
    bool Start();
    // Starts a system tray (trayer) on the display and waits until it shows; without one, a
    // program that puts an icon there meets a desktop unlike any real one.
    bool StartTray();
    // Ends the tray, as when a panel crashes or is restarted.
    void StopTray() { FTray.Stop(); }
    bool TrayRunning() { return FTray.Running(); }

    QString Display() const { return FDisplay; } // ":N"
    QString Problem() const { return FProblem; }

private:
    TDaemon FServer{QStringLiteral("xvfb")};
    TDaemon FTray{QStringLiteral("trayer")};
    int FDepth = 24;
    QString FDisplay;
    QString FProblem;
};
