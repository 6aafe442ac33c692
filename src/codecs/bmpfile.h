#pragma once

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

// The layout of the BMP file for one picture: its headers and colour table, and its pixel rows
// in file order (bottom row first, each padded to a multiple of 4 bytes). Rows are produced on
// request into the caller's memory, so a writer can assemble as many rows at once as it likes
// without a second copy of the whole picture.
class TBmpFile {
public:
    // The picture is shared, not copied, unless its pixel format has to be converted.
    explicit TBmpFile(const QImage& bitmap);

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
    void FillRow(int fileRow, uchar* target) const;

private:
    enum class TRowKind { Copy, Copy16, ClearReserved32, SwapRgb24, ReverseBits };

    void BuildHeaders();

    QImage FPixels;
    int FBitsPerPixel = 0;
    TRowKind FKind = TRowKind::Copy;
    qint64 FRowSize = 0;
    QByteArray FHeaders;
};
