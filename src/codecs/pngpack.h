#pragma once

#include "codecs/pngdeflate.h"

#include <QtGlobal>
#include <cstddef>

// Row layouts of the PNG image data. Every row starts with filter type 0 (None).

// Bytes of one row of `width` pixels at `bitsPerPixel`, filter byte included.
std::size_t PNGRowBytes(int width, int bitsPerPixel);

// Repacks palette-index rows of 8 bits per pixel (each a 0 byte, then one index per pixel) to
// `depth` 1, 2 or 4 bits: most significant bits first, the first pixel of a byte in its highest
// bits, the unused low bits of a row's last byte 0.
TByteBuffer PackIndexRows(const quint8* rows8, int width, int height, int depth);

// One row of colour type 2 (red, green, blue) or 6 (red, green, blue, alpha) from colour keys,
// filter byte included; `out` has PNGRowBytes(width, 24 or 32) bytes.
void PackColorRow(const quint32* keys, int width, bool withAlpha, quint8* out);
