#pragma once

class IAutoStart;
class IMessageBoxes;
class IClipboardChain;
class IDesktop;
class ISingleInstance;
class ISoundServer;
class ITrayHost;

// The services the program takes from the desktop. The running program uses the Linux
// backends; tests swap in fakes with TScopedPlatform.
struct TPlatform {
    IMessageBoxes* Boxes = nullptr;
    IClipboardChain* Clipboard = nullptr;
    IDesktop* Desktop = nullptr;
    ISingleInstance* Instance = nullptr;
    ISoundServer* Sound = nullptr;
    IAutoStart* AutoStart = nullptr;
    ITrayHost* Tray = nullptr;
};

// The services in force. Falls back to the Linux backends (created on first use).
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
