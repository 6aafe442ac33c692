#include "platform/session/unixsingleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcessEnvironment>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray CloseRequest = "close\n";
const QByteArray CloseAnswer = "closed\n";
constexpr int ConnectTimeoutMs = 3000;
// The running instance answers after its window has handled the close; that may take as long
// as an open dialog keeps it busy.
constexpr int AnswerTimeoutMs = 120000;
} // namespace

namespace {

// Whether `folder` is a folder of ours closed to others, not a link: otherwise another user
// could hold our lock or receive our close requests. With `make`, it is made where nothing is,
// and closed when it is ours.
bool IsPrivateFolder(const QString& folder, bool make) {
    const QByteArray path = QFile::encodeName(folder);
    if (make)
        mkdir(path.constData(), 0700);
    struct stat info {};
    if (lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    return (info.st_mode & 0077) == 0 || (make && chmod(path.constData(), 0700) == 0);
}

} // namespace

QString PrivateFolder(const QString& preferred, const QString& fallback) {
    if (IsPrivateFolder(preferred, true))
        return preferred;
    QDir().mkpath(QFileInfo(fallback).path());
    if (IsPrivateFolder(fallback, true))
        return fallback;
    return {};
}

QString RuntimeFolder(const QString& runtime, const QString& preferred, const QString& fallback) {
    // The session's folder is the system's to make and to set up: it is taken only as it is.
    // Checked and used in one spelling: "link/" or "link/." would have the check look through
    // a link.
    const QString session = runtime.isEmpty() ? QString() : QDir::cleanPath(runtime);
    if (!session.isEmpty() && IsPrivateFolder(session, false))
        return session;
    return PrivateFolder(preferred, fallback);
}

QString RuntimeFolder() {
    // /tmp is shared with every other user.
    return RuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                         QStringLiteral("/tmp/snapvault-%1").arg(getuid()),
                         QDir::homePath() + QStringLiteral("/.cache/snapvault"));
}

TUnixSingleInstance::TUnixSingleInstance(QString folder) : FFolder(std::move(folder)) {}

bool TUnixSingleInstance::HasPrivateFolder() const {
    return !FFolder.isEmpty() || !RuntimeFolder().isEmpty();
}

TUnixSingleInstance::~TUnixSingleInstance() {
    FServer.reset();
    ReleaseLock();
}

QString TUnixSingleInstance::LockPath() const {
    return (FFolder.isEmpty() ? RuntimeFolder() : FFolder) + QStringLiteral("/SnapvaultMutex");
}

QString TUnixSingleInstance::ServerPath() const {
    return (FFolder.isEmpty() ? RuntimeFolder() : FFolder) + QStringLiteral("/SVXFileMap");
}

bool TUnixSingleInstance::AcquireLock() {
    if (FLockFd >= 0)
        return true;
    // Without a folder closed to others the lock could be held by anyone: no instance can run.
    if (FFolder.isEmpty() && RuntimeFolder().isEmpty())
        return false;
    // Close-on-exec, or a program we start would keep the lock after we are gone.
    const int fd =
        open(QFile::encodeName(LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    FLockFd = fd;
    return true;
}

void TUnixSingleInstance::ReleaseLock() {
    // Stop listening first: closing the server removes its socket file, which after the lock is
    // gone may already belong to the next instance.
    FServer.reset();
    if (FLockFd < 0)
        return;
    close(FLockFd); // drops the lock
    FLockFd = -1;
}

bool TUnixSingleInstance::Publish(std::function<void()> onClose) {
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the holder of the lock gets here, so a socket file left by a killed instance is
    // stale and may go.
    QLocalServer::removeServer(ServerPath());
    if (!FServer->listen(ServerPath())) {
        FServer.reset();
        return false;
    }
    QLocalServer* server = FServer.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, onClose] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onClose] {
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine();
                if (line != CloseRequest) {
                    socket->disconnectFromServer();
                    return;
                }
                if (onClose)
                    onClose();
                socket->write(CloseAnswer);
                // disconnectFromServer sends what is still buffered before it closes.
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

ISingleInstance::TCloseResult TUnixSingleInstance::RequestClose() {
    if (FFolder.isEmpty() && RuntimeFolder().isEmpty())
        return TCloseResult::CannotConnect;
    QLocalSocket socket;
    socket.connectToServer(ServerPath());
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return TCloseResult::CannotConnect;
    socket.write(CloseRequest);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(ConnectTimeoutMs))
            return TCloseResult::NoAnswer;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(AnswerTimeoutMs))
            return TCloseResult::NoAnswer;
    }
    return socket.readLine() == CloseAnswer ? TCloseResult::Closed : TCloseResult::NoAnswer;
}
