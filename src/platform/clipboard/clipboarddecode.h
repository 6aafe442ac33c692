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

// MIME types we take as bitmaps, preferred first: lossless and cheap to decode before lossy, so
// a program that offers PNG and JPEG gives its PNG. Only types an installed reader decodes are
// listed.
QStringList DecodableImageTypes();

// Those of the offered types that we take as bitmaps, preferred first and spelt as offered; empty
// when none is a bitmap. Names are compared without regard to case, as MIME types are.
QStringList OfferedImageTypes(const QStringList& offered);

// Whether the bytes are a PNG with a chunk that claims more bytes than follow it. Such bytes are
// refused before any reader sees them: the reader would first reserve what the chunk claims (up
// to 2 GiB).
bool ChunkClaimsMoreThanFollows(const QByteArray& bytes);

// The picture that offered bytes decode to, or nothing when they do not (no picture of a type we
// decode, garbage, a declared size over the bounds above or more pixels than the bytes can
// describe). The reader is chosen by the bytes' own signature, whatever type they were asked for
// under: owners answer every request with what they hold. Only the readers of the types above
// ever parse clipboard bytes, never whatever else the toolkit may have installed.
std::optional<QImage> DecodeClipboardImage(const QByteArray& bytes);
