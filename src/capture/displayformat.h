#pragma once

#include <QImage>
#include <QVector>

// The pixel format a copied bitmap takes on a display of `depth` bits per pixel:
//   32 -> RGB32 (blue, green, red, 0 in the file); 24 -> 24-bit blue, green, red;
//   16 and 15 -> 16-bit 5-5-5; 8 or fewer -> 8-bit with DisplayPalette();
// and a 1-bit picture stays 1-bit, black and white, on every display.
// Null when the memory for the result cannot be had.
QImage ToDisplayFormat(const QImage& image, int depth);

// Whether the picture is held in the display's format already (ToDisplayFormat gives it back
// as it is).
bool InDisplayFormat(const QImage& image, int depth);

// The 256 colours of an 8-bit display: a 6x6x6 colour cube and 40 greys.
const QVector<QRgb>& DisplayPalette();
