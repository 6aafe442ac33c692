#pragma once

#include <QImage>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

// Hands a picture's rows to libjpeg as 24-bit colour, whatever format the picture is held in.
// Formats whose rows libjpeg-turbo can read as they are (RGB888, BGR888, RGB32, ARGB32) are fed
// straight from the picture's memory with the matching input colour space; libjpeg-turbo turns
// them into the same samples as red-green-blue input, so the file is the same. Every other
// format is converted to RGB888 a band of rows at a time, so no full-size copy is made.
class TJpegRowSource {
public:
    // The picture must outlive the row source and stay unchanged while it is used.
    explicit TJpegRowSource(const QImage& bitmap);

    J_COLOR_SPACE ColorSpace() const { return FColorSpace; }
    int Components() const { return FComponents; }

    // Row y of the picture (0 = top) in the colour space above; nullptr when a band could not
    // be converted for lack of memory. Never raises.
    const JSAMPLE* Row(int y) noexcept;

private:
    bool ConvertBand(int firstRow) noexcept;

    const QImage& FBitmap;
    J_COLOR_SPACE FColorSpace = JCS_RGB;
    int FComponents = 3;
    bool FDirect = false;
    QImage FBand;
    int FBandFirst = -1;
};
