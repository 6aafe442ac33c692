#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The whole of a file; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` as the whole of a file; false when any of it could not be written.
inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Creates an empty file (or empties one); false when it could not.
[[nodiscard]] inline bool Touch(const QString& path) {
    return WriteAll(path, {});
}
