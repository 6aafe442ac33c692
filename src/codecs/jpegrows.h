#pragma once

#include <QImage>

#include <array>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <vector>

// Hands a picture's rows to libjpeg as 24-bit colour, whatever format the picture is held in.
// Formats whose rows libjpeg-turbo can read as they are (RGB888, BGR888, RGB32, ARGB32) are fed
// straight from the picture's memory with the matching input colour space; libjpeg-turbo turns
// them into the same samples as red-green-blue input, so the file is the same. The 16-bit and
// 8-bit display formats are expanded a row at a time; any other format is converted to RGB888
// by Qt a band of rows at a time. No full-size copy of the picture is ever made.
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
    enum class TKind { Direct, Rgb555, Indexed8, Band };

    bool ConvertBand(int firstRow) noexcept;

    const QImage& FBitmap;
    TKind FKind = TKind::Band;
    J_COLOR_SPACE FColorSpace = JCS_RGB;
    int FComponents = 3;
    std::vector<JSAMPLE> FRow;                             // one expanded row (Rgb555, Indexed8)
    std::vector<std::array<JSAMPLE, 4>> FRgb555Colors;     // pixel -> red, green, blue, spare
    std::array<std::array<JSAMPLE, 4>, 256> FPalette = {}; // index -> red, green, blue, spare
    QImage FBand;                                          // converted rows FBandFirst... (Band)
    int FBandFirst = -1;
};
