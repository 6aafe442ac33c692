#include "platform/files/newfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int OpenAndIdentify(const QString& path, int flags, TFileIdentity& identity) {
    identity = {};
    int descriptor;
    do {
        descriptor =
            ::open(QFile::encodeName(path).constData(), flags | O_WRONLY | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0)
        identity = {quint64(info.st_dev), quint64(info.st_ino), true};
    return descriptor;
}

} // namespace

int CreateNewFile(const QString& path, TFileIdentity& identity) {
    return OpenAndIdentify(path, O_CREAT | O_EXCL | O_NOFOLLOW, identity);
}

int CreateOrTruncateFile(const QString& path, TFileIdentity& identity) {
    return OpenAndIdentify(path, O_CREAT | O_TRUNC, identity);
}

bool RemoveIfSameFile(const QString& path, const TFileIdentity& identity) {
    if (!identity.Known)
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || quint64(info.st_dev) != identity.Device ||
        quint64(info.st_ino) != identity.Inode)
        return false;
    return ::unlink(name.constData()) == 0;
}

namespace {

TFileVersion VersionOf(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

} // namespace

std::optional<TFileVersion> FileVersionAt(const QString& path) {
    struct stat info {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return VersionOf(info);
}

std::optional<TFileVersion> FileVersionOf(int descriptor) {
    struct stat info {};
    if (fstat(descriptor, &info) != 0)
        return std::nullopt;
    return VersionOf(info);
}
