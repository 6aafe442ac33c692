#pragma once

// platform/, the lowest layer: every service of the desktop and the system behind a small
// interface (clipboard watchers, tray backend, sound server, message boxes, files, single
// instance, autostart), and the only code that talks to X11, Wayland, POSIX or the sound server.
// Includes nothing of the program outside platform/.

class IAutoStart;
class IMessageBoxes;
class IClipboardChain;
class IDesktop;
class ISingleInstance;
class ITrayHost;
class IThreadStarter;
class ISoundServer;

// The services the program takes from the desktop. `main` puts the Linux backends in force;
// tests put in fakes with TScopedPlatform.
struct TPlatform {
    IMessageBoxes* Boxes = nullptr;
    IClipboardChain* Clipboard = nullptr;
    IDesktop* Desktop = nullptr;
    ISingleInstance* Instance = nullptr;
    IAutoStart* AutoStart = nullptr;
    ITrayHost* Tray = nullptr;
    IThreadStarter* Threads = nullptr;
    ISoundServer* Sound = nullptr;
};

// The services in force. Asking when none are is a fault of the caller and ends the program:
// a test that forgot its fakes must not open a real tray or X connection.
TPlatform& Platform();

// Puts other services in force for its lifetime (tests).
class TScopedPlatform {
public:
    explicit TScopedPlatform(const TPlatform& services);
    ~TScopedPlatform();
    TScopedPlatform(const TScopedPlatform&) = delete;
    TScopedPlatform& operator=(const TScopedPlatform&) = delete;

private:
    TPlatform* FPrevious;
    TPlatform FServices;
};
