#pragma once

// platform/files/: files on disk: the atomic writer, new files that never follow a link, the
// wildcard probe and gathered writes. Includes nothing of the program outside this room.

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `bytes` only once they are completely on disk: they go to a
// new file in the same folder, are flushed to the device, and are renamed over the old one. A
// crash, a kill or a full disk part way leaves the old file as it was, and the new one is there
// for good once this returns. A file replaced keeps its permissions; a new one has the user's
// usual ones. What a writer killed part way left beside the file goes at the next write there.
// Returns what went wrong, or an empty text.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);
