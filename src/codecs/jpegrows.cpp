#include "codecs/jpegrows.h"

#include <QSysInfo>
#include <algorithm>

namespace {

// Rows converted at a time for formats libjpeg cannot read directly: enough to keep Qt's
// converter efficient, small enough to stay in cache.
constexpr int BandRows = 16;

constexpr bool LittleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

} // namespace

TJpegRowSource::TJpegRowSource(const QImage& bitmap) : FBitmap(bitmap) {
    switch (bitmap.format()) {
    case QImage::Format_RGB888:
        FColorSpace = JCS_RGB;
        FComponents = 3;
        FDirect = true;
        break;
    case QImage::Format_BGR888:
        FColorSpace = JCS_EXT_BGR;
        FComponents = 3;
        FDirect = true;
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        // 0xAARRGGBB words; the alpha (or filler) byte is skipped, just as the conversion to
        // 24 bits drops it without blending.
        FColorSpace = LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        FComponents = 4;
        FDirect = true;
        break;
    default:
        FColorSpace = JCS_RGB;
        FComponents = 3;
        FDirect = false;
        break;
    }
}

const JSAMPLE* TJpegRowSource::Row(int y) noexcept {
    if (FDirect)
        return FBitmap.constScanLine(y);
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
        QImage view(FBitmap.constScanLine(firstRow), FBitmap.width(), rows, FBitmap.bytesPerLine(),
                    FBitmap.format());
        if (!FBitmap.colorTable().isEmpty())
            view.setColorTable(FBitmap.colorTable());
        FBand = view.convertToFormat(QImage::Format_RGB888);
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
