#include "codecs/pngpixels.h"

#include <algorithm>

namespace {

// Alpha of the mask pixel: a monochrome mask gives the low byte of its colour (red), so its black
// entry is 0 and its white one 255; any other mask is made monochrome first, the way a colour
// bitmap is copied to a monochrome one against a white background: white stays white, all else
// turns black.
std::vector<quint8> MaskAlpha(const QImage& mask, int width, int height) {
    std::vector<quint8> alpha(std::size_t(width) * std::size_t(height), 255);
    const bool monochrome =
        mask.format() == QImage::Format_Mono || mask.format() == QImage::Format_MonoLSB;
    const QImage rgb = mask.convertToFormat(QImage::Format_RGB32);
    const int rows = std::min(height, rgb.height());
    const int columns = std::min(width, rgb.width());
    for (int y = 0; y < rows; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        quint8* out = alpha.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < columns; ++x) {
            const QRgb colour = line[x] & 0xFFFFFFu;
            out[x] = monochrome ? quint8(qRed(colour)) : (colour == 0xFFFFFFu ? 255 : 0);
        }
    }
    return alpha;
}

} // namespace

TPNGPixelSource::TPNGPixelSource(const QImage& bitmap, qint32 transparentColor, const QImage& mask,
                                 TRowConversion conversion) {
    // RGB32 and ARGB32 keep 0xAARRGGBB words; they are read in place (the picture is shared, not
    // copied). Any other format is converted a band at a time. The top byte is never trusted:
    // RGB32 pictures made from captured display memory may hold 0 there.
    FPixels = bitmap;
    const bool direct =
        bitmap.format() == QImage::Format_RGB32 || bitmap.format() == QImage::Format_ARGB32;
    if (conversion || !direct)
        FConverted = std::make_unique<TConvertedRows>(FPixels, [conversion = std::move(conversion)](
                                                                   const QImage& rows) {
            const QImage held = conversion ? conversion(rows) : rows;
            return held.format() == QImage::Format_RGB32 || held.format() == QImage::Format_ARGB32
                       ? held
                       : held.convertToFormat(QImage::Format_RGB32);
        });

    if (!mask.isNull()) {
        FMask = MaskAlpha(mask, Width(), Height());
    } else if (transparentColor >= 0) {
        const quint32 red = quint32(transparentColor) & 0xFF;
        const quint32 green = (quint32(transparentColor) >> 8) & 0xFF;
        const quint32 blue = (quint32(transparentColor) >> 16) & 0xFF;
        FTransparentKey = (red << 16) | (green << 8) | blue;
    }
}

const quint32* TPNGPixelSource::Row(int y, quint32* scratch) const {
    const auto* line = reinterpret_cast<const quint32*>(FConverted ? FConverted->Row(y)
                                                                   : FPixels.constScanLine(y));
    const int width = Width();
    if (!FMask.empty()) {
        const quint8* alpha = FMask.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x)
            scratch[x] = (line[x] & 0xFFFFFFu) | (quint32(alpha[x]) << 24);
        return scratch;
    }
    if (FTransparentKey != NoKey) {
        for (int x = 0; x < width; ++x) {
            const quint32 rgb = line[x] & 0xFFFFFFu;
            scratch[x] = rgb == FTransparentKey ? rgb : rgb | 0xFF000000u;
        }
        return scratch;
    }
    for (int x = 0; x < width; ++x)
        scratch[x] = line[x] | 0xFF000000u;
    return scratch;
}
