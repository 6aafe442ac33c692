#pragma once

#include <QImage>
#include <functional>

// Turns a band of a picture's rows into the pixel format a writer needs (any number of rows;
// the result has the same size). A null result means the memory for it could not be had.
using TRowConversion = std::function<QImage(const QImage& rows)>;

// Rows converted at a time: enough to keep Qt's converters efficient, small enough to stay in
// the processor's cache and far below a whole-picture copy.
constexpr int ConversionBandRows = 16;

// A read-only view on rows first .. first + count - 1 of the picture, with its colour table:
// no pixels are copied. Valid while the picture lives unchanged.
QImage RowView(const QImage& picture, int first, int count);

// The converted rows of a picture, a band at a time, for writers that go through the rows in
// order (either way).
class TConvertedRows {
public:
    // The picture must outlive this object and stay unchanged while it is used.
    TConvertedRows(const QImage& picture, TRowConversion conversion);

    // Row y (0 = top) converted; its band is converted when y is not in the current one.
    // Raises std::bad_alloc when the band cannot be converted: a row the writer cannot have is
    // an error, never a row of zeros.
    const uchar* Row(int y);
    // The band Row() read its last row from (its format and colour table are the result's).
    const QImage& Band() const { return FBand; }

private:
    const QImage& FPicture;
    TRowConversion FConversion;
    QImage FBand;
    int FBandFirst = -1;
};
