#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// Creates a new hidden file beside `target` and returns its descriptor, or -1 with errno set.
// Created with 0666 so the kernel applies the user's mask: reading the mask would mean changing
// it, for every thread of the process at once.
int CreateTemporary(const QFileInfo& target, QByteArray& name) {
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate64(), 36);
        name = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                                 QLatin1Char('.') + suffix);
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

} // namespace

QString WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    // A link is replaced by the file, never followed: what it points to stays untouched.
    QByteArray temporary;
    const int fd = CreateTemporary(QFileInfo(path), temporary);
    if (fd < 0)
        return SystemText(errno);

    int failure = 0;
    if (!WriteAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.constData());
        return SystemText(failure);
    }
    return {};
}
