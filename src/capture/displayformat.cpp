#include "capture/displayformat.h"

#include "codecs/rowbands.h"

#include <algorithm>

namespace {

QVector<QRgb> MakeDisplayPalette() {
    QVector<QRgb> palette;
    palette.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.append(qRgb(r * 51, g * 51, b * 51));
    // Greys between the cube's own, so screenshots of grey interfaces keep their shades.
    for (int i = 1; palette.size() < 256; ++i) {
        const int level = i * 255 / 41;
        if (level % 51 != 0)
            palette.append(qRgb(level, level, level));
    }
    while (palette.size() < 256)
        palette.append(qRgb(0, 0, 0));
    return palette;
}

// Black where a pixel is dark, white where it is light; colour table black, then white. The
// source is read a band of rows at a time: a 1-bit picture costs a 32nd of its 32-bit copy, and
// such a copy of a large one is more memory than the machine may have. Null when the memory for
// the result or a band cannot be had: never a picture left black.
QImage ToMonochrome(const QImage& image) {
    QImage mono(image.size(), QImage::Format_Mono);
    if (mono.isNull())
        return mono;
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    for (int first = 0; first < image.height(); first += ConversionBandRows) {
        const int count = std::min(ConversionBandRows, image.height() - first);
        const QImage rgb = RowView(image, first, count).convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull())
            return QImage();
        for (int row = 0; row < count; ++row) {
            const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(row));
            uchar* to = mono.scanLine(first + row);
            for (int x = 0; x < rgb.width(); ++x)
                if (qGray(from[x]) >= 128)
                    to[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return mono;
}

} // namespace

const QVector<QRgb>& DisplayPalette() {
    static const QVector<QRgb> palette = MakeDisplayPalette();
    return palette;
}

QImage ToDisplayFormat(const QImage& image, int depth) {
    if (image.isNull())
        return image;
    if (image.depth() == 1)
        return ToMonochrome(image);
    if (depth >= 32)
        return image.convertToFormat(QImage::Format_RGB32);
    if (depth == 24)
        return image.convertToFormat(QImage::Format_BGR888);
    if (depth == 16 || depth == 15)
        return image.convertToFormat(QImage::Format_RGB555);
    if (depth <= 8)
        return image.convertToFormat(QImage::Format_RGB32)
            .convertToFormat(QImage::Format_Indexed8, DisplayPalette(), Qt::ThresholdDither);
    return image.convertToFormat(QImage::Format_RGB32);
}

bool InDisplayFormat(const QImage& image, int depth) {
    switch (image.format()) {
    case QImage::Format_RGB32:
        return depth > 8 && depth != 24 && depth != 16 && depth != 15;
    case QImage::Format_BGR888:
        return depth == 24;
    case QImage::Format_RGB555:
        return depth == 16 || depth == 15;
    default:
        return false;
    }
}
