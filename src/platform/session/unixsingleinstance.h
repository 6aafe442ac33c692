#pragma once

#include "platform/session/singleinstance.h"

#include <QString>
#include <memory>

class QLocalServer;

// The instance lock is an exclusive flock on "SnapvaultMutex" in the user's runtime folder: the
// kernel drops it when the process dies, so a crash never blocks the next start. The close
// channel is the local socket "SVXFileMap" beside it.
class TUnixSingleInstance : public ISingleInstance {
public:
    // `folder` empty: $XDG_RUNTIME_DIR, else a per-user folder under /tmp (mode 0700).
    explicit TUnixSingleInstance(QString folder = QString());
    ~TUnixSingleInstance() override;

    bool HasPrivateFolder() const override;
    bool AcquireLock() override;
    void ReleaseLock() override;
    bool Publish(std::function<void()> onClose) override;
    TCloseResult RequestClose() override;

    QString LockPath() const;
    QString ServerPath() const;

private:
    QString FFolder;
    int FLockFd = -1;
    std::unique_ptr<QLocalServer> FServer;
};

// The folder of the lock and the close channel; empty when no folder closed to others can be had.
QString RuntimeFolder();
// `runtime` (the session's runtime folder) when it is a folder of ours closed to others, else
// PrivateFolder(preferred, fallback).
QString RuntimeFolder(const QString& runtime, const QString& preferred, const QString& fallback);
// `preferred` when it is (or can be made) a folder of ours closed to others, else `fallback` on
// the same terms, else empty.
QString PrivateFolder(const QString& preferred, const QString& fallback);
