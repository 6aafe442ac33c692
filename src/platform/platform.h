#pragma once

// platform/, the lowest layer: every service of the desktop and the system behind a small
// interface, and the only code that talks to X11, Wayland, POSIX or the sound server. Each
// service has a room of its own: clipboard/, tray/, sound/, session/ and files/, each described in
// its main header (clipboardchain.h, traybackend.h, soundserver.h, singleinstance.h,
// atomicfile.h). Here at the top: the message boxes, the platform's interface below and its Linux
// implementation, which puts every room's service in force. The rooms include nothing from here;
// platform/ includes nothing of the program outside platform/.

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
