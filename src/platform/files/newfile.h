#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Which file a directory entry is: the same device and inode is the same file, whatever name
// it has by now.
struct TFileIdentity {
    quint64 Device = 0;
    quint64 Inode = 0;
    bool Known = false;
};

// Creates a file that did not exist, for writing: never through a symbolic link, never over a
// file, FIFO or device that is there already. Returns the open descriptor (close-on-exec) and
// fills `identity`; -1 with errno set when it cannot (EEXIST: the name is taken).
int CreateNewFile(const QString& path, TFileIdentity& identity);

// Creates the file or truncates the one of that name, as a plain write-open does. Same result
// convention as CreateNewFile.
int CreateOrTruncateFile(const QString& path, TFileIdentity& identity);

// Removes `path` only while it still names the file `identity` describes: a file another
// program has put there since is left alone.
bool RemoveIfSameFile(const QString& path, const TFileIdentity& identity);

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
