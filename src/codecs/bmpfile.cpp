#include "codecs/bmpfile.h"

#include "codecs/graphicerrors.h"

#include <QtEndian>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;

constexpr std::array<uchar, 256> MakeBitReversal() {
    std::array<uchar, 256> table{};
    for (int value = 0; value < 256; ++value) {
        int reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (value & (1 << bit))
                reversed |= 0x80 >> bit;
        table[value] = uchar(reversed);
    }
    return table;
}
constexpr std::array<uchar, 256> BitReversal = MakeBitReversal();

// 0xffRRGGBB words to the file's blue, green, red, 0. The common 32-bit display case, so it
// is done four pixels at a time where the processor allows.
void ClearReserved32(const uchar* source, uchar* target, int width) {
    int x = 0;
#if defined(__SSE2__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    const __m128i colorBits = _mm_set1_epi32(0x00FFFFFF);
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * x),
                         _mm_and_si128(pixels, colorBits));
    }
#endif
    for (; x < width; ++x) {
        quint32 pixel;
        std::memcpy(&pixel, source + 4 * x, 4);
        pixel = qToLittleEndian(pixel & 0x00FFFFFFu);
        std::memcpy(target + 4 * x, &pixel, 4);
    }
}

void Put16(QByteArray& out, quint16 value) {
    const auto le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Put32(QByteArray& out, quint32 value) {
    const auto le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

} // namespace

TBmpFile::TBmpFile(const QImage& bitmap, TRowConversion conversion) {
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return;
    FPixels = bitmap;
    // Formats a display never has (alpha, grey, 16 bits per channel...) are kept at full colour
    // rather than reduced.
    if (!conversion && !LayoutOf(bitmap.format(), FBitsPerPixel, FKind))
        conversion = [](const QImage& rows) { return rows.convertToFormat(QImage::Format_RGB32); };
    QList<QRgb> colors = bitmap.colorTable();
    if (conversion) {
        // The first band tells the format and colour table every band comes out with.
        FConverted = std::make_unique<TConvertedRows>(FPixels, [conversion](const QImage& rows) {
            const QImage converted = conversion(rows);
            int bits = 0;
            TRowKind kind{};
            return converted.isNull() || LayoutOf(converted.format(), bits, kind)
                       ? converted
                       : converted.convertToFormat(QImage::Format_RGB32);
        });
        FConverted->Row(bitmap.height() - 1);
        LayoutOf(FConverted->Band().format(), FBitsPerPixel, FKind);
        colors = FConverted->Band().colorTable();
    }
    FRowSize = (qint64(bitmap.width()) * FBitsPerPixel + 31) / 32 * 4;
    BuildHeaders(colors);
}

bool TBmpFile::LayoutOf(QImage::Format format, int& bitsPerPixel, TRowKind& kind) {
    switch (format) {
    case QImage::Format_BGR888:
        bitsPerPixel = 24;
        kind = TRowKind::Copy;
        return true;
    case QImage::Format_RGB888:
        bitsPerPixel = 24;
        kind = TRowKind::SwapRgb24;
        return true;
    case QImage::Format_RGB555:
        bitsPerPixel = 16;
        kind = TRowKind::Copy16;
        return true;
    case QImage::Format_Indexed8:
        bitsPerPixel = 8;
        kind = TRowKind::Copy;
        return true;
    case QImage::Format_Mono:
        bitsPerPixel = 1;
        kind = TRowKind::Copy;
        return true;
    case QImage::Format_MonoLSB:
        bitsPerPixel = 1;
        kind = TRowKind::ReverseBits;
        return true;
    case QImage::Format_RGB32:
        bitsPerPixel = 32;
        kind = TRowKind::ClearReserved32;
        return true;
    default:
        return false;
    }
}

void TBmpFile::BuildHeaders(const QList<QRgb>& colors) {
    // Palette formats always carry their full table (2 or 256 entries): readers index it by the
    // pixel value, and colours the picture does not define are written as black.
    const int tableEntries = FBitsPerPixel <= 8 ? 1 << FBitsPerPixel : 0;
    const qint64 infoSize = InfoHeaderSize + 4 * tableEntries;
    const qint64 imageSize = FRowSize * FPixels.height();
    // The header's sizes are 32-bit: a larger file would claim a size it does not have.
    if (FileHeaderSize + infoSize + imageSize > qint64(0xFFFFFFFFu))
        throw EInvalidGraphic(QStringLiteral("Bitmap ist ung\u00fcltig"));

    FHeaders.clear();
    FHeaders.reserve(FileHeaderSize + infoSize);
    FHeaders.append("BM", 2);
    Put32(FHeaders, quint32(FileHeaderSize + infoSize + imageSize));
    Put16(FHeaders, 0);
    Put16(FHeaders, 0);
    Put32(FHeaders, quint32(FileHeaderSize + infoSize));

    Put32(FHeaders, InfoHeaderSize);
    Put32(FHeaders, quint32(FPixels.width()));
    Put32(FHeaders, quint32(FPixels.height())); // positive: rows stored bottom-up
    Put16(FHeaders, 1);                         // planes
    Put16(FHeaders, quint16(FBitsPerPixel));
    Put32(FHeaders, 0); // uncompressed, no colour masks
    Put32(FHeaders, quint32(imageSize));
    Put32(FHeaders, 0); // horizontal resolution
    Put32(FHeaders, 0); // vertical resolution
    Put32(FHeaders, quint32(tableEntries));
    Put32(FHeaders, 0); // important colours

    for (int i = 0; i < tableEntries; ++i) {
        const QRgb color = i < colors.size() ? colors[i] : 0;
        const char entry[4] = {char(qBlue(color)), char(qGreen(color)), char(qRed(color)), 0};
        FHeaders.append(entry, 4);
    }
}

const uchar* TBmpFile::RowInPlace(int fileRow) const {
    const qint64 dataBits = qint64(FPixels.width()) * FBitsPerPixel;
    if (FConverted || FKind != TRowKind::Copy || dataBits != FRowSize * 8)
        return nullptr;
    return FPixels.constScanLine(FPixels.height() - 1 - fileRow);
}

void TBmpFile::FillRow(int fileRow, uchar* target) const {
    const int y = FPixels.height() - 1 - fileRow;
    const uchar* source = FConverted ? FConverted->Row(y) : FPixels.constScanLine(y);
    const int width = FPixels.width();
    const qint64 dataBytes = (qint64(width) * FBitsPerPixel + 7) / 8;

    switch (FKind) {
    case TRowKind::Copy:
        std::memcpy(target, source, size_t(dataBytes));
        break;
    case TRowKind::Copy16:
        qToLittleEndian<quint16>(source, width, target);
        break;
    case TRowKind::ClearReserved32:
        ClearReserved32(source, target, width);
        break;
    case TRowKind::SwapRgb24:
        for (int x = 0; x < width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
        break;
    case TRowKind::ReverseBits:
        for (qint64 i = 0; i < dataBytes; ++i)
            target[i] = BitReversal[source[i]];
        break;
    }

    // The bits past the last pixel and the filler are whatever the picture's memory holds; the
    // file gets zeros, so the same picture always gives the same bytes.
    if (FBitsPerPixel == 1 && width % 8 != 0)
        target[dataBytes - 1] &= uchar(0xFF << (8 - width % 8));
    std::memset(target + dataBytes, 0, size_t(FRowSize - dataBytes));
}
