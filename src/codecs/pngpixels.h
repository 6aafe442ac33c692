#pragma once

#include "codecs/rowbands.h"

#include <QImage>
#include <QtGlobal>
#include <memory>
#include <vector>

// The pixels of a picture as PNG colour keys, row by row from the top: 0xAARRGGBB, where red,
// green and blue are the picture's (as a 24-bit copy holds them) and alpha follows the bitmap's
// transparency rule:
//   - with a mask: 0 where the mask is black, 255 where it is white (a colour mask counts as
//     monochrome: pure white is white, every other colour black; outside the mask: 255);
//   - else, with a transparent colour (red in bits 0-7, green 8-15, blue 16-23; negative = none):
//     0 for the pixels of exactly that colour;
//   - else 255.
// The picture's own alpha channel is never used: screenshots are opaque.
//
// With a conversion, the picture's rows are first brought to the format it gives (the display's,
// for a saved capture); like every other format than RGB32 and ARGB32, they are then converted a
// band of rows at a time, never as a whole-picture copy.
class TPNGPixelSource {
public:
    TPNGPixelSource(const QImage& bitmap, qint32 transparentColor, const QImage& mask,
                    TRowConversion conversion = {});

    int Width() const { return FPixels.width(); }
    int Height() const { return FPixels.height(); }
    // True when no pixel can get an alpha below 255.
    bool Opaque() const { return FMask.empty() && FTransparentKey == NoKey; }

    // The keys of row y, written to `scratch` (Width() entries), which is returned. Raises
    // std::bad_alloc when the row's band cannot be converted.
    const quint32* Row(int y, quint32* scratch) const;

private:
    static constexpr quint32 NoKey = 0xFFFFFFFFu;

    QImage FPixels; // the picture; read in place when Format_RGB32 or Format_ARGB32 (alpha ignored)
    std::unique_ptr<TConvertedRows> FConverted; // otherwise its rows as Format_RGB32
    quint32 FTransparentKey = NoKey;            // 0x00RRGGBB of the transparent colour
    std::vector<quint8> FMask; // mask alpha per pixel of the picture, empty without a mask
};
