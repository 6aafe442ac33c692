#pragma once

#include "codecs/pngdeflate.h"
#include "codecs/pngpalette.h"
#include "codecs/rowbands.h"

#include <QImage>
#include <QtGlobal>
#include <cstddef>
#include <vector>

// What shapes the PNG data of a picture besides its pixels (the bitmap's fields).
struct TPNGSettings {
    qint32 TransparentColor = -1; // red bits 0-7, green 8-15, blue 16-23; negative: none
    QImage MaskBitmap;            // null: no mask
    TZLIBParams ZLIB;
    int Workers = 0;           // candidates compressed at a time; 0: two on a multi-core machine
    TRowConversion Conversion; // the format the pixels are taken in (see TPNGPixelSource)
};

// The content of the chunks of one PNG file.
struct TPNGData {
    int Width = 0;
    int Height = 0;
    int BitDepth = 8;
    int ColorType = 2;              // 2 RGB, 3 palette, 6 RGB with alpha
    std::vector<TPNGColor> Palette; // colour type 3: the PLTE entries in order
    int TRNSCount = 0;              // tRNS entries (alphas of the first palette entries)
    TByteBuffer Compressed;         // the zlib stream of the rows; empty when zlib failed
};

// Counts the colours, chooses colour type and bit depth and compresses the rows:
//   more than 256 colours: type 6 when some pixel is not opaque, else type 2, depth 8;
//   otherwise type 3 with the sorted palette, and of the bit depths the colour count allows
//   (1-2 colours: 1, 2, 4, 8; 3-4: 2, 4, 8; 5-16: 4, 8; more: 8) the one with the shortest
//   zlib stream, the larger depth on equal lengths.
TPNGData BuildPNGData(const QImage& bitmap, const TPNGSettings& settings);

// The lengths of the IDAT chunks for `dataSize` bytes of zlib stream: pieces of exactly
// `maxIDATSize` bytes, the last one holding the rest (nothing for an empty stream). A limit
// below 1 would never make progress and counts as 1.
std::vector<std::size_t> IDATPieces(std::size_t dataSize, qint32 maxIDATSize);
