#include "codecs/jpegrows.h"

#include "codecs/rowbands.h"

#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// Rows converted at a time for formats libjpeg cannot read directly: enough to keep Qt's
// converter efficient, small enough to stay in cache.
constexpr int BandRows = 16;

constexpr bool LittleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

// 5 bits widened to 8 by repeating the top bits, as Qt widens them.
constexpr JSAMPLE Widen5(unsigned value) {
    return JSAMPLE((value << 3) | (value >> 2));
}

} // namespace

TJpegRowSource::TJpegRowSource(const QImage& bitmap) : FBitmap(bitmap) {
    switch (bitmap.format()) {
    case QImage::Format_RGB888:
        FKind = TKind::Direct;
        FColorSpace = JCS_RGB;
        FComponents = 3;
        break;
    case QImage::Format_BGR888:
        FKind = TKind::Direct;
        FColorSpace = JCS_EXT_BGR;
        FComponents = 3;
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        // 0xAARRGGBB words; the alpha (or filler) byte is skipped, just as the conversion to
        // 24 bits drops it without blending.
        FKind = TKind::Direct;
        FColorSpace = LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        FComponents = 4;
        break;
    case QImage::Format_RGB555:
        FKind = TKind::Rgb555;
        FRow.resize(size_t(bitmap.width()) * 3 + 1);
        // One table lookup per pixel instead of three shifts and widenings: half the time.
        FRgb555Colors.resize(32768);
        for (unsigned pixel = 0; pixel < 32768; ++pixel) // 0rrrrrgggggbbbbb
            FRgb555Colors[pixel] = {Widen5((pixel >> 10) & 31), Widen5((pixel >> 5) & 31),
                                    Widen5(pixel & 31), 0};
        break;
    case QImage::Format_Indexed8: {
        FKind = TKind::Indexed8;
        FRow.resize(size_t(bitmap.width()) * 3 + 1);
        // Qt decides what an index means (indexes past the table, a picture without one): ask
        // it for all 256 once, so the expanded rows are exactly Qt's.
        QImage indexes(256, 1, QImage::Format_Indexed8);
        indexes.setColorTable(bitmap.colorTable());
        std::iota(indexes.bits(), indexes.bits() + 256, 0);
        const QImage colors = indexes.convertToFormat(QImage::Format_RGB888);
        if (colors.isNull()) { // no memory even for this: leave it to the band conversion
            FKind = TKind::Band;
            break;
        }
        for (int index = 0; index < 256; ++index)
            std::memcpy(FPalette[index].data(), colors.constBits() + 3 * index, 3);
        break;
    }
    default:
        FKind = TKind::Band;
        break;
    }
}

const JSAMPLE* TJpegRowSource::Row(int y) noexcept {
    switch (FKind) {
    case TKind::Direct:
        return FBitmap.constScanLine(y);
    case TKind::Rgb555: {
        const uchar* source = FBitmap.constScanLine(y);
        JSAMPLE* target = FRow.data();
        const std::array<JSAMPLE, 4>* colors = FRgb555Colors.data();
        const int width = FBitmap.width();
        // Four bytes stored per pixel, three kept: the next pixel overwrites the fourth (the row
        // buffer has one byte to spare for the last).
        for (int x = 0; x < width; ++x, target += 3)
            std::memcpy(target, &colors[qFromUnaligned<quint16>(source + 2 * x) & 0x7FFF], 4);
        return FRow.data();
    }
    case TKind::Indexed8: {
        const uchar* source = FBitmap.constScanLine(y);
        JSAMPLE* target = FRow.data();
        const int width = FBitmap.width();
        for (int x = 0; x < width; ++x, target += 3) // as for Rgb555: four stored, three kept
            std::memcpy(target, &FPalette[source[x]], 4);
        return FRow.data();
    }
    case TKind::Band:
        break;
    }
    if (FBandFirst < 0 || y < FBandFirst || y >= FBandFirst + FBand.height()) {
        if (!ConvertBand(y - y % BandRows))
            return nullptr;
    }
    return FBand.constScanLine(y - FBandFirst);
}

bool TJpegRowSource::ConvertBand(int firstRow) noexcept {
    try {
        const int rows = std::min(BandRows, FBitmap.height() - firstRow);
        // A read-only view on the picture's own rows: no pixels are copied before converting.
        FBand = RowView(FBitmap, firstRow, rows).convertToFormat(QImage::Format_RGB888);
        if (FBand.isNull()) {
            FBandFirst = -1;
            return false;
        }
        FBandFirst = firstRow;
        return true;
    } catch (...) {
        FBand = QImage();
        FBandFirst = -1;
        return false;
    }
}
