#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <optional>

// A 24-bit picture that differs from every other `seed` and has no two equal neighbours, so a
// dropped, repeated or swapped row or column shows.
QImage PatternImage(int width, int height, int seed);

// Whether `actual` holds exactly the pixels of `expected` (alpha ignored).
::testing::AssertionResult SamePixels(const QImage& expected, const QImage& actual);

// Whether a BMP, JPEG or PNG file has all its bytes: the size its header announces, the
// end-of-image marker, the closing chunk. A file still being written fails this, while a
// decoder might already make a picture of it.
bool LooksComplete(const QByteArray& file);

// The bits-per-pixel field of a Windows bitmap file, or none when it is not one.
std::optional<int> BmpBitsPerPixel(const QByteArray& file);

// The start-of-frame header of a JPEG file.
struct TJpegFrame {
    quint8 Marker = 0; // 0xC0 baseline, 0xC1 extended, 0xC2 progressive
    int Width = 0;
    int Height = 0;
    int Components = 0;
};
std::optional<TJpegFrame> ReadJpegFrame(const QByteArray& file);
