#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `bytes` only once they are completely on disk: they go to a
// new file in the same folder, are flushed to the device, and are renamed over the old one. A
// crash, a kill or a full disk part way leaves the old file as it was. The file is created with
// the user's usual permissions. Returns what went wrong, or an empty text.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);
