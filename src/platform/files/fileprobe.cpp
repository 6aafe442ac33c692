#include "platform/files/fileprobe.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool HasWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// Iterative glob match with backtracking over the last '*': linear in practice, no recursion
// for names full of stars.
bool Match(const QChar* p, const QChar* pEnd, const QChar* n, const QChar* nEnd) {
    const QChar* starP = nullptr;
    const QChar* starN = nullptr;
    while (n != nEnd) {
        if (p != pEnd && (*p == QLatin1Char('?') || *p == *n)) {
            ++p;
            ++n;
        } else if (p != pEnd && *p == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP != nullptr) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p != pEnd && *p == QLatin1Char('*'))
        ++p;
    return p == pEnd;
}

} // namespace

bool WildcardMatch(const QString& pattern, const QString& name) {
    return Match(pattern.constData(), pattern.constData() + pattern.size(), name.constData(),
                 name.constData() + name.size());
}

bool FileProbe(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash + 1);
    const QString name = slash < 0 ? path : path.mid(slash + 1);
    // A name the system cannot hold (a NUL would cut the path short and probe its folder).
    if (name.isEmpty() || path.contains(QChar(0)))
        return false;
    if (!HasWildcard(name)) {
        struct stat info {};
        // lstat: a dangling link is still a directory entry of that name.
        return lstat(QFile::encodeName(path).constData(), &info) == 0;
    }
    bool found = false;
    ForEachFolderEntry(folder, [&](const char* entry) {
        found = WildcardMatch(name, QFile::decodeName(entry));
        return !found;
    });
    return found;
}

bool ForEachFolderEntry(const QString& folder, const std::function<bool(const char*)>& visit) {
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = readdir(dir)) {
        if (!visit(entry->d_name))
            break;
    }
    closedir(dir);
    return true;
}
