#pragma once

#include <QProcess>
#include <QString>
#include <memory>

// A private X server for a group of tests: 1280x1024 at 24 bits, no TCP, no window manager.
class TXvfbServer {
public:
    TXvfbServer() = default;
    ~TXvfbServer();
    TXvfbServer(const TXvfbServer&) = delete;
    TXvfbServer& operator=(const TXvfbServer&) = delete;

    // Starts on the first free display from :90 up and waits until it answers. False (with
    // `Problem()` telling why) when no server could be started.
    bool Start();
    // Starts a system tray (trayer) on the display and waits until it shows; without one, a
    // program that puts an icon there meets a desktop unlike any real one.
    bool StartTray();
    // Ends the tray, as when a panel crashes or is restarted.
    void StopTray();
    bool TrayRunning() const { return FTray && FTray->state() == QProcess::Running; }
    void Stop();

    QString Display() const { return FDisplay; } // ":N"
    QString Problem() const { return FProblem; }

private:
    bool TryDisplay(int number);

    std::unique_ptr<QProcess> FProcess;
    std::unique_ptr<QProcess> FTray;
    QString FDisplay;
    QString FProblem;
};
