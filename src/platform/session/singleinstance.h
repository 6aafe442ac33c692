#pragma once

// platform/session/: the program's place in the login session: single instance, termination
// signals, start at login, the program's version and folders, and the desktop's folder chooser,
// web pages and help pop-ups. Includes nothing of the program outside this room but
// platform/files/ (the autostart entry is written atomically).

#include <functional>

// One instance per user: the instance lock ("SnapvaultMutex") and the close-request channel
// ("SVXFileMap") through which `-terminate` asks the running instance to close.
class ISingleInstance {
public:
    virtual ~ISingleInstance() = default;
    // Whether there is a folder closed to other users for the lock and the channel; without
    // one no instance can run.
    virtual bool HasPrivateFolder() const = 0;
    // Takes the instance lock. False: another instance holds it (or it cannot be taken).
    virtual bool AcquireLock() = 0;
    // Stops listening for close requests and drops the lock (shutdown).
    virtual void ReleaseLock() = 0;
    // First instance: starts listening for close requests; `onClose` runs on the GUI thread,
    // and the requester gets its answer once `onClose` has returned. False when it cannot
    // listen.
    virtual bool Publish(std::function<void()> onClose) = 0;
    enum class TCloseResult { Closed, CannotConnect, NoAnswer };
    // Second instance: asks the first to close and waits for its answer.
    virtual TCloseResult RequestClose() = 0;
};
