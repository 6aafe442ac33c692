#include "platform/files/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Writes everything, across short writes and interruptions.
bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Names tried before giving up when every random name is taken.
constexpr int MaxNameAttempts = 100;

// The temporary files of `target` are hidden beside it and carry the number of the process that
// writes them: ".SVX.dat.<pid>.<random>".
QString TemporaryPrefix(const QFileInfo& target) {
    return QStringLiteral(".") + target.fileName() + QLatin1Char('.');
}

// Whether the hidden file `name` in `folder`, with `rest` after the target's prefix, is a
// temporary that no running writer holds. Ours are "<pid>.<random>"; those of earlier versions
// were "<random>", a 64-bit number in base 36 without a process number: a regular file of the
// user's with such a name (at least 10 digits, as all but one in 180,000 of them have) is one.
bool IsStaleTemporary(const QByteArray& rest, int folder, const QByteArray& name) {
    const QList<QByteArray> parts = rest.split('.');
    bool isNumber = false;
    if (parts.size() == 2) {
        const pid_t pid = pid_t(parts[0].toInt(&isNumber));
        return isNumber && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
    }
    const bool lowerBase36 = std::all_of(rest.begin(), rest.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    });
    if (rest.size() < 10 || !lowerBase36)
        return false;
    rest.toULongLong(&isNumber, 36);
    struct stat info {};
    return isNumber && ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(info.st_mode) && info.st_uid == ::getuid();
}

// Removes the temporary files of `target` that a process left when it was killed mid-write: those
// of processes that are gone. A living one's may be in the middle of its write. Once per file and
// process: only a process that has ended leaves any, and the folder may be a large one.
void RemoveStaleTemporaries(const QFileInfo& target) {
    static std::mutex guard;
    static QSet<QString> swept;
    {
        const std::lock_guard lock(guard);
        if (swept.contains(target.absoluteFilePath()))
            return;
        swept.insert(target.absoluteFilePath());
    }
    const QByteArray prefix = QFile::encodeName(TemporaryPrefix(target));
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix))
            continue;
        if (IsStaleTemporary(name.mid(prefix.size()), ::dirfd(dir), name))
            ::unlinkat(::dirfd(dir), name.constData(), 0);
    }
    ::closedir(dir);
}

// Creates a new hidden file beside `target` and returns its descriptor, or -1 with errno set.
// Created with 0666 so the kernel applies the user's mask: reading the mask would mean changing
// it, for every thread of the process at once.
int CreateTemporary(const QFileInfo& target, QByteArray& name) {
    const QString prefix = target.absolutePath() + QLatin1Char('/') + TemporaryPrefix(target) +
                           QString::number(::getpid()) + QLatin1Char('.');
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate64(), 36);
        name = QFile::encodeName(prefix + suffix);
        int fd;
        do {
            fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The file being replaced keeps its permissions (a user who closed it to others keeps it so);
// a new file, or one that replaces a link, has the user's usual ones.
bool KeepMode(int fd, const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return true;
    return ::fchmod(fd, info.st_mode & 0777) == 0;
}

// Makes the rename itself durable. A file system that cannot sync a folder has still done the
// rename: that is no failure to report.
void SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    RemoveStaleTemporaries(target);
    // A link is replaced by the file, never followed: what it points to stays untouched.
    QByteArray temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0)
        return SystemText(errno);

    const QByteArray targetName = QFile::encodeName(path);
    int failure = 0;
    if (!KeepMode(fd, targetName) || !WriteAll(fd, bytes.constData(), bytes.size()) ||
        ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), targetName.constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.constData());
        return SystemText(failure);
    }
    SyncFolder(target.absolutePath());
    return {};
}
