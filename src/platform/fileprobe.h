#pragma once

#include <QString>
#include <optional>

// Whether a directory entry (file or folder) matches the path's last component, where `*` and
// `?` in that component are wildcards and everything else is literal.
bool FileProbe(const QString& path);

// The same wildcard rule on one name, for names that are not on disk yet.
bool WildcardMatch(const QString& pattern, const QString& name);

// What a file is at one moment: which file (device and inode) and, by its size and last change,
// which contents. Another file put under the name, or the file written anew, is another version.
struct TFileVersion {
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;

    bool operator==(const TFileVersion&) const = default;
};

// The version of what `path` names (a link itself, not what it points to); none when nothing is
// there.
std::optional<TFileVersion> FileVersionAt(const QString& path);
// The version of an open file; none when the system cannot tell.
std::optional<TFileVersion> FileVersionOf(int descriptor);
