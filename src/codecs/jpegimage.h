#pragma once

#include "codecs/jpegencoder.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// How a JPEG would be decoded for display; the encoder never reads it.
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };

// The JPEG picture object a capture configures on the GUI thread and the save thread encodes.
// One object is used by one thread at a time; separate objects may encode at the same time.
class TJPEGImage {
public:
    int CompressionQuality = 90; // 1..100
    bool Grayscale = false;
    bool ProgressiveEncoding = false;
    TJPEGPixelFormat PixelFormat = TJPEGPixelFormat::jf24Bit;

    // Takes the picture over (shared, not copied) and drops any encoded data.
    void Assign(const QImage& bitmap);
    // Encodes (when not done yet, or when the settings changed since) and returns the JFIF
    // bytes; empty for an empty picture. Raises EJPEG ("JPEG-Fehler #%d") on a fatal libjpeg
    // error.
    const QByteArray& EncodedData();
    // Creates the file (EFCreateError before any encoding), encodes and writes the bytes in one
    // write whose count is checked (EWriteError). A failed save leaves no file behind.
    void SaveToFile(const QString& fileName);

private:
    QImage FBitmap;
    QByteArray FData;
    bool FEncoded = false;
    TJpegSettings FEncodedWith;
};
