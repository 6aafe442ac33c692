#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

// Largest side of a picture taken from the clipboard. No real screenshot reaches it, while a
// small compressed file that declares more would make us allocate gigabytes.
constexpr int MaxClipboardSide = 16384;

// Largest picture the program takes from the clipboard, in bytes of decoded pixels.
constexpr int MaxClipboardImageMegabytes = 1024;

// The byte cap of one fetch: the largest picture stored without compression (32 bits per pixel
// at the largest side) and room for its headers.
constexpr qint64 MaxClipboardBytes = qint64(MaxClipboardSide) * MaxClipboardSide * 4 + 1024 * 1024;

// MIME types we decode as bitmaps, preferred first: a program that offers PNG and JPEG means the
// PNG. Only types an installed reader can decode are listed.
QStringList DecodableImageTypes();

// The first of the offered types that we decode, or an empty string when none is a bitmap.
QString PreferredImageType(const QStringList& offered);

// Whether bytes offered as mimeType are a PNG with a chunk that claims more bytes than follow
// it. Such bytes are refused before any reader sees them: the reader would first reserve what
// the chunk claims (up to 2 GiB).
bool ChunkClaimsMoreThanFollows(const QByteArray& bytes, const QString& mimeType);

// The picture that bytes offered as mimeType decode to, or nothing when they do not (a type we do
// not decode, garbage, a declared size over the bounds above or more pixels than the bytes can
// describe). The format is taken from the type, never guessed from the content, so no other
// reader ever parses clipboard bytes.
std::optional<QImage> DecodeClipboardImage(const QByteArray& bytes, const QString& mimeType);
