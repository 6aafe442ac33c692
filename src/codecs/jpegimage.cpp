#include "codecs/jpegimage.h"

#include "codecs/filestream.h"

void TJPEGImage::Assign(const QImage& bitmap) {
    FBitmap = bitmap;
    FData.clear();
    FEncoded = false;
}

const QByteArray& TJPEGImage::EncodedData() {
    // The settings are plain fields; bytes encoded with other values than the current ones
    // would be a different picture than the one asked for.
    const TJpegSettings settings{CompressionQuality, Grayscale, ProgressiveEncoding};
    if (!FEncoded || settings != FEncodedWith) {
        FData.clear();
        FEncoded = false;
        FData = EncodeJpeg(FBitmap, settings);
        FEncoded = true;
        FEncodedWith = settings;
    }
    return FData;
}

void TJPEGImage::SaveToFile(const QString& fileName) {
    TFileStream stream(fileName);
    const QByteArray& data = EncodedData();
    stream.WriteBuffer(data.constData(), std::size_t(data.size()));
    stream.Commit();
}
