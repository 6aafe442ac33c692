#pragma once

// Helpers of the PNG writer tests: reading back the chunks we wrote, and pictures to write.

#include "codecs/ngimage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace pngtest {

struct TChunk {
    QByteArray Type;
    QByteArray Data;
};

struct THeader {
    quint32 Width = 0;
    quint32 Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    int Compression = -1;
    int Filter = -1;
    int Interlace = -1;
};

// The chunks of a PNG file; fails the test on a bad signature, length or CRC.
// A colour as the writer's transparent colour takes it: red in bits 0-7, green 8-15, blue 16-23.
inline qint32 ColorKey(QRgb color) {
    return qRed(color) | (qGreen(color) << 8) | (qBlue(color) << 16);
}

inline std::vector<TChunk> ParseChunks(const QByteArray& file) {
    std::vector<TChunk> chunks;
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    EXPECT_TRUE(file.startsWith(signature));
    qsizetype pos = 8;
    while (pos + 12 <= file.size()) {
        const auto* at = reinterpret_cast<const uchar*>(file.constData() + pos);
        const quint32 length = qFromBigEndian<quint32>(at);
        if (pos + 12 + qsizetype(length) > file.size()) {
            ADD_FAILURE() << "chunk runs past the end of the file";
            return chunks;
        }
        TChunk chunk{file.mid(pos + 4, 4), file.mid(pos + 8, length)};
        const quint32 crc = qFromBigEndian<quint32>(at + 8 + length);
        const uLong expected = crc32(0, at + 4, uInt(4 + length));
        EXPECT_EQ(crc, quint32(expected)) << "CRC of " << chunk.Type.constData();
        chunks.push_back(chunk);
        pos += 12 + qsizetype(length);
    }
    EXPECT_EQ(pos, file.size()) << "bytes after the last chunk";
    return chunks;
}

inline QByteArray ChunkTypes(const std::vector<TChunk>& chunks) {
    QByteArray types;
    for (const TChunk& chunk : chunks)
        types += (types.isEmpty() ? "" : " ") + chunk.Type;
    return types;
}

inline THeader Header(const std::vector<TChunk>& chunks) {
    THeader header;
    if (chunks.empty() || chunks.front().Type != "IHDR" || chunks.front().Data.size() != 13) {
        ADD_FAILURE() << "no IHDR first";
        return header;
    }
    const auto* d = reinterpret_cast<const uchar*>(chunks.front().Data.constData());
    header.Width = qFromBigEndian<quint32>(d);
    header.Height = qFromBigEndian<quint32>(d + 4);
    header.BitDepth = d[8];
    header.ColorType = d[9];
    header.Compression = d[10];
    header.Filter = d[11];
    header.Interlace = d[12];
    return header;
}

inline const TChunk* FindChunk(const std::vector<TChunk>& chunks, const char* type) {
    for (const TChunk& chunk : chunks) {
        if (chunk.Type == type)
            return &chunk;
    }
    return nullptr;
}

inline QByteArray IDATStream(const std::vector<TChunk>& chunks) {
    QByteArray stream;
    for (const TChunk& chunk : chunks) {
        if (chunk.Type == "IDAT")
            stream += chunk.Data;
    }
    return stream;
}

// The decompressed image data; fails the test when the stream is not one complete zlib stream.
inline QByteArray Inflate(const QByteArray& stream) {
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    QByteArray out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    z.avail_in = uInt(stream.size());
    int status = Z_OK;
    char buffer[65536];
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    }
    EXPECT_EQ(status, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "bytes after the zlib stream";
    inflateEnd(&z);
    return out;
}

struct TWriteOptions {
    qint32 TransparentColor = -1;
    QImage MaskBitmap;
    qint32 MaxIDATSize = 65536;
};

// The PNG file TPNGImage makes of the picture, written to memory.
inline QByteArray WritePNG(const QImage& picture, const TWriteOptions& options = {}) {
    TPNGImage png;
    png.Assign(picture);
    png.Bitmap().TransparentColor = options.TransparentColor;
    png.Bitmap().MaskBitmap = options.MaskBitmap;
    png.Bitmap().MaxIDATSize = options.MaxIDATSize;
    png.Bitmap().CreatePNG();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    png.SaveToStream(buffer);
    return buffer.data();
}

// A picture whose pixel (x, y) has colour palette[pick(x, y) % size].
inline QImage PaintedImage(int width, int height, const std::vector<QRgb>& palette,
                           const std::function<std::size_t(int, int)>& pick) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = palette[pick(x, y) % palette.size()];
    }
    return image;
}

// `count` distinct opaque colours, spread so that none is black or white by accident.
inline std::vector<QRgb> DistinctColors(int count, unsigned seed = 1) {
    std::vector<QRgb> colors;
    std::mt19937 random(seed);
    while (int(colors.size()) < count) {
        const QRgb c = qRgb(int(random() % 256), int(random() % 256), int(random() % 256));
        if (std::find(colors.begin(), colors.end(), c) == colors.end())
            colors.push_back(c);
    }
    return colors;
}

// A picture with exactly `count` distinct colours (each used at least once when the picture
// has that many pixels), laid out in runs with one pixel in `noiseEvery` random, so the bit
// depths compress differently.
inline QImage ColorsImage(int width, int height, int count, unsigned seed = 1,
                          unsigned noiseEvery = 4) {
    const std::vector<QRgb> colors = DistinctColors(count, seed);
    std::mt19937 random(seed * 7 + 3);
    QImage image = PaintedImage(width, height, colors, [&](int x, int y) -> std::size_t {
        const std::size_t n = std::size_t(y) * std::size_t(width) + std::size_t(x);
        if (n < colors.size())
            return n; // every colour appears
        if ((random() % noiseEvery) == 0)
            return random(); // some noise
        return std::size_t(((x / 7) * 3 + y / 5) % count);
    });
    return image;
}

// Random colours everywhere: over 256 colours, compresses badly.
inline QImage NoiseImage(int width, int height, unsigned seed = 1) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

// QImage's reading of a PNG file, as 32-bit ARGB.
inline QImage Decode(const QByteArray& file) {
    QImage image;
    EXPECT_TRUE(image.loadFromData(file, "PNG"));
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace pngtest
