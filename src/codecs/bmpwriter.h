#pragma once

#include "codecs/rowbands.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class TFileStream;

// Uncompressed Windows BMP of the pixel format the picture is held in:
//   Format_BGR888 / Format_RGB888 -> 24 bits; Format_RGB32 -> 32 bits (blue, green, red, 0);
//   Format_RGB555 -> 16 bits 5-5-5; Format_Indexed8 -> 8 bits, 256-entry colour table;
//   Format_Mono / Format_MonoLSB -> 1 bit, colour table of 2 entries.
// Any other format is written as 32 bits. Rows bottom-up, each padded to 4 bytes.
// An empty picture writes nothing (a 0-byte file) and raises nothing. With a conversion the file
// has the format the conversion gives, converted a band of rows at a time (see TBmpFile).
// A picture too large for the header's 32-bit sizes raises EInvalidGraphic; rows that cannot
// be converted raise std::bad_alloc.

// The complete file content.
QByteArray EncodeBitmap(const QImage& bitmap, const TRowConversion& conversion = {});
// Writes the file content to an open stream; raises EWriteError on a short write.
void SaveBitmapToStream(const QImage& bitmap, TFileStream& stream,
                        const TRowConversion& conversion = {});
// Creates (or replaces) the file and writes it; raises EFCreateError / EWriteError.
void SaveBitmapToFile(const QImage& bitmap, const QString& fileName);
