#include "pngreference.h"

#include <QtEndian>
#include <zlib.h>

#include <cstring>
#include <utility>
#include <vector>

namespace pngtest {

namespace {

struct TEntry {
    quint8 Red = 0, Green = 0, Blue = 0, Alpha = 0;
    quint32 Uses = 0;
};

bool Same(const TEntry& e, quint8 r, quint8 g, quint8 b, quint8 a) {
    return e.Red == r && e.Green == g && e.Blue == b && e.Alpha == a;
}

struct TPixel {
    quint8 Red, Green, Blue, Alpha;
};

TPixel PixelAt(const QImage& picture, const TReferenceOptions& options, int x, int y) {
    const QRgb c = picture.pixel(x, y);
    TPixel p{quint8(qRed(c)), quint8(qGreen(c)), quint8(qBlue(c)), 255};
    if (!options.MaskBitmap.isNull()) {
        const QImage& mask = options.MaskBitmap;
        if (x < mask.width() && y < mask.height()) {
            const QRgb m = mask.pixel(x, y);
            const bool mono =
                mask.format() == QImage::Format_Mono || mask.format() == QImage::Format_MonoLSB;
            if (mono)
                p.Alpha = quint8(qRed(m));
            else
                p.Alpha = (qRed(m) == 255 && qGreen(m) == 255 && qBlue(m) == 255) ? 255 : 0;
        }
    } else if (options.TransparentColor >= 0) {
        const qint32 t = options.TransparentColor;
        if (p.Red == (t & 0xFF) && p.Green == ((t >> 8) & 0xFF) && p.Blue == ((t >> 16) & 0xFF))
            p.Alpha = 0;
    }
    return p;
}

int Search(const std::vector<TEntry>& palette, int count, const TPixel& p) {
    for (int i = 0; i < count; ++i) {
        if (Same(palette[std::size_t(i)], p.Red, p.Green, p.Blue, p.Alpha))
            return i;
    }
    return -1;
}

void AppendChunk(QByteArray& file, const char* type, const QByteArray& data) {
    uchar length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    file.append(reinterpret_cast<const char*>(length), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    file += body;
    uchar crc[4];
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc);
    file.append(reinterpret_cast<const char*>(crc), 4);
}

} // namespace

QByteArray ReferenceCompress(const QByteArray& input, int level, int* retries) {
    if (retries)
        *retries = 0;
    qsizetype room = input.size() + 1000;
    for (;;) {
        QByteArray buffer(room, '\0');
        z_stream z;
        std::memset(&z, 0, sizeof z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
        z.avail_in = uInt(input.size());
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = uInt(buffer.size());
        int result = deflateInit2(&z, level, 8, 15, 9, 0);
        if (result != Z_OK)
            return {};
        const int status = deflate(&z, Z_FINISH);
        if (status == Z_STREAM_END) {
            buffer.truncate(qsizetype(z.total_out));
            result = deflateEnd(&z);
            return result == Z_OK ? buffer : QByteArray();
        }
        deflateEnd(&z);
        result = status == Z_OK ? Z_BUF_ERROR : status;
        if (result != Z_BUF_ERROR)
            return {};
        room += 1000;
        if (retries)
            ++*retries;
    }
}

QByteArray ReferencePNG(const QImage& picture, const TReferenceOptions& options) {
    const int width = picture.width();
    const int height = picture.height();

    // Scan: colours with use counts, up to 257.
    std::vector<TEntry> palette(256);
    int count = 0;
    bool notOpaque = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TPixel p = PixelAt(picture, options, x, y);
            if (p.Alpha < 255)
                notOpaque = true;
            if (count <= 256) {
                const int found = Search(palette, count, p);
                if (found >= 0) {
                    ++palette[std::size_t(found)].Uses;
                } else {
                    if (count < 256)
                        palette[std::size_t(count)] = {p.Red, p.Green, p.Blue, p.Alpha, 1};
                    ++count;
                }
            }
        }
    }

    int bitDepth = 8;
    int colorType = 0;
    int trnsCount = 0;
    QByteArray data;
    if (count > 256) {
        colorType = notOpaque ? 6 : 2;
        QByteArray rows;
        for (int y = 0; y < height; ++y) {
            rows += '\0';
            for (int x = 0; x < width; ++x) {
                const TPixel p = PixelAt(picture, options, x, y);
                rows += char(p.Red);
                rows += char(p.Green);
                rows += char(p.Blue);
                if (colorType == 6)
                    rows += char(p.Alpha);
            }
        }
        data = ReferenceCompress(rows, options.ZLIBLevel);
    } else {
        colorType = 3;
        for (int i = 0; i <= count - 2; ++i) {
            for (int j = i + 1; j <= count - 1; ++j) {
                TEntry& a = palette[std::size_t(i)];
                TEntry& b = palette[std::size_t(j)];
                const bool aOpaque = a.Alpha == 255;
                const bool bOpaque = b.Alpha == 255;
                if ((aOpaque && !bOpaque) || (aOpaque == bOpaque && a.Uses < b.Uses))
                    std::swap(a, b);
            }
        }
        for (int i = 0; i < count; ++i) {
            if (palette[std::size_t(i)].Alpha != 255)
                trnsCount = i + 1;
        }

        const int depths[4] = {1, 2, 4, 8};
        QByteArray streams[4];
        bool built[4] = {count <= 2, count <= 4, count <= 16, true};
        for (int k = 0; k < 4; ++k) {
            if (!built[k])
                continue;
            const int d = depths[k];
            const int rowBytes = d == 1   ? (width + 7) / 8 + 1
                                 : d == 2 ? (width + 3) / 4 + 1
                                 : d == 4 ? (width + 1) / 2 + 1
                                          : width + 1;
            QByteArray rows(qsizetype(rowBytes) * height, '\0');
            for (int y = 0; y < height; ++y) {
                uchar* row = reinterpret_cast<uchar*>(rows.data()) + qsizetype(y) * rowBytes;
                row[0] = 0;
                for (int x = 0; x < width; ++x) {
                    const int index = Search(palette, count, PixelAt(picture, options, x, y));
                    const int bit = x * d;
                    row[1 + bit / 8] |= uchar(index << (8 - d - bit % 8));
                }
            }
            streams[k] = ReferenceCompress(rows, options.ZLIBLevel);
        }
        auto shorter = [&](int k, int than) {
            return !built[than] || streams[k].size() < streams[than].size();
        };
        int chosen = 3;
        if (built[0] && shorter(0, 1) && shorter(0, 2) && shorter(0, 3))
            chosen = 0;
        else if (built[1] && shorter(1, 2) && shorter(1, 3))
            chosen = 1;
        else if (built[2] && shorter(2, 3))
            chosen = 2;
        bitDepth = depths[chosen];
        data = streams[chosen];
    }
    if (data.isEmpty())
        return {};

    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(quint32(width), reinterpret_cast<uchar*>(ihdr.data()));
    qToBigEndian<quint32>(quint32(height), reinterpret_cast<uchar*>(ihdr.data()) + 4);
    ihdr[8] = char(bitDepth);
    ihdr[9] = char(colorType);
    AppendChunk(file, "IHDR", ihdr);
    AppendChunk(file, "sRGB", QByteArray(1, '\0'));
    if (colorType == 3) {
        QByteArray plte;
        for (int i = 0; i < count; ++i) {
            plte += char(palette[std::size_t(i)].Red);
            plte += char(palette[std::size_t(i)].Green);
            plte += char(palette[std::size_t(i)].Blue);
        }
        AppendChunk(file, "PLTE", plte);
        if (trnsCount > 0) {
            QByteArray trns;
            for (int i = 0; i < trnsCount; ++i)
                trns += char(palette[std::size_t(i)].Alpha);
            AppendChunk(file, "tRNS", trns);
        }
    }
    while (data.size() > options.MaxIDATSize) {
        AppendChunk(file, "IDAT", data.left(options.MaxIDATSize));
        data.remove(0, options.MaxIDATSize);
    }
    if (!data.isEmpty())
        AppendChunk(file, "IDAT", data);
    AppendChunk(file, "IEND", QByteArray());
    return file;
}

} // namespace pngtest
