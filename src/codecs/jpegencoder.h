#pragma once

#include "codecs/graphicerrors.h"

#include <QByteArray>
#include <QImage>

// A fatal libjpeg error: "JPEG-Fehler #<libjpeg's message code>".
class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// What reaches libjpeg from the JPEG settings of the window.
struct TJpegSettings {
    int Quality = 90; // 1..100, tables limited to baseline values
    bool Grayscale = false;
    bool Progressive = false;

    bool operator==(const TJpegSettings&) const = default;
};

// Encodes the picture as a JFIF file with libjpeg's default markers and tables for the settings.
// An empty picture (null, or no width or no height) gives empty data. A fatal libjpeg error
// raises EJPEG ("JPEG-Fehler #<message code>"). Uses no shared state: pictures may be encoded on
// several threads at once.
QByteArray EncodeJpeg(const QImage& bitmap, const TJpegSettings& settings);
