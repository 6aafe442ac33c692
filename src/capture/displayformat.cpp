#include "capture/displayformat.h"

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

// Black where a pixel is dark, white where it is light; colour table black, then white.
QImage ToMonochrome(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage mono(image.size(), QImage::Format_Mono);
    if (mono.isNull())
        return mono;
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* to = mono.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            if (qGray(from[x]) >= 128)
                to[x >> 3] |= uchar(0x80 >> (x & 7));
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
