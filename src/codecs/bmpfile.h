#pragma once

#include "codecs/rowbands.h"

#include <QByteArray>
#include <QImage>
#include <QtGlobal>
#include <memory>

// The layout of the BMP file for one picture: its headers and colour table, and its pixel rows
// in file order (bottom row first, each padded to a multiple of 4 bytes). Rows are produced on
// request into the caller's memory, so a writer can assemble as many rows at once as it likes
// without a second copy of the whole picture.
class TBmpFile {
public:
    // The picture is shared, not copied. With a conversion, the file holds the pixel format the
    // conversion gives, converted a band of rows at a time as the rows are asked for; a format
    // the file cannot hold is converted the same way to 32 bits. Raises EInvalidGraphic ("Bitmap
    // ist ung\u00fcltig") when the file would not fit the 32-bit size fields of its header.
    explicit TBmpFile(const QImage& bitmap, TRowConversion conversion = {});

    // A picture with no width or no height has no file content at all.
    bool IsEmpty() const { return FBitsPerPixel == 0; }
    int BitsPerPixel() const { return FBitsPerPixel; }
    int Height() const { return FPixels.height(); }
    qint64 RowSize() const { return FRowSize; }
    // File header, info header and colour table: everything before the pixel rows.
    qint64 HeaderSize() const { return FHeaders.size(); }
    qint64 FileSize() const { return HeaderSize() + FRowSize * Height(); }

    const QByteArray& Headers() const { return FHeaders; }
    // The file's row fileRow straight from the picture's memory, when the picture holds it
    // exactly as the file does (no conversion, no filler); null otherwise.
    const uchar* RowInPlace(int fileRow) const;
    // Fills RowSize() bytes at target with the file's row fileRow (0 = the picture's bottom row).
    // Raises std::bad_alloc when a band of converted rows cannot be had.
    void FillRow(int fileRow, uchar* target) const;

private:
    enum class TRowKind { Copy, Copy16, ClearReserved32, SwapRgb24, ReverseBits };

    // Takes the file's pixel layout for a picture format; false for formats a BMP does not hold.
    static bool LayoutOf(QImage::Format format, int& bitsPerPixel, TRowKind& kind);
    void BuildHeaders(const QList<QRgb>& colors);

    QImage FPixels;
    std::unique_ptr<TConvertedRows> FConverted; // null: rows straight from FPixels
    int FBitsPerPixel = 0;
    TRowKind FKind = TRowKind::Copy;
    qint64 FRowSize = 0;
    QByteArray FHeaders;
};
