#include "codecs/pngpack.h"

namespace {

template <int Depth> void PackRow(const quint8* indices, int width, quint8* out) {
    constexpr int PerByte = 8 / Depth;
    const int whole = width / PerByte;
    for (int i = 0; i < whole; ++i, indices += PerByte) {
        unsigned byte = 0;
        for (int k = 0; k < PerByte; ++k)
            byte = (byte << Depth) | indices[k];
        out[i] = quint8(byte);
    }
    const int rest = width % PerByte;
    if (rest > 0) {
        unsigned byte = 0;
        for (int k = 0; k < rest; ++k)
            byte |= unsigned(indices[k]) << (8 - Depth * (k + 1));
        out[whole] = quint8(byte);
    }
}

template <int Depth> void PackRows(const quint8* rows8, int width, int height, quint8* out) {
    const std::size_t inRow = PNGRowBytes(width, 8);
    const std::size_t outRow = PNGRowBytes(width, Depth);
    for (int y = 0; y < height; ++y, rows8 += inRow, out += outRow) {
        out[0] = 0;
        PackRow<Depth>(rows8 + 1, width, out + 1);
    }
}

} // namespace

std::size_t PNGRowBytes(int width, int bitsPerPixel) {
    return 1 + (std::size_t(width) * std::size_t(bitsPerPixel) + 7) / 8;
}

TByteBuffer PackIndexRows(const quint8* rows8, int width, int height, int depth) {
    TByteBuffer rows(PNGRowBytes(width, depth) * std::size_t(height));
    switch (depth) {
    case 1:
        PackRows<1>(rows8, width, height, rows.data());
        break;
    case 2:
        PackRows<2>(rows8, width, height, rows.data());
        break;
    case 4:
        PackRows<4>(rows8, width, height, rows.data());
        break;
    default:
        rows.assign(rows8, rows8 + PNGRowBytes(width, 8) * std::size_t(height));
        break;
    }
    return rows;
}

void PackColorRow(const quint32* keys, int width, bool withAlpha, quint8* out) {
    *out++ = 0;
    if (withAlpha) {
        for (int x = 0; x < width; ++x) {
            const quint32 key = keys[x];
            out[0] = quint8(key >> 16);
            out[1] = quint8(key >> 8);
            out[2] = quint8(key);
            out[3] = quint8(key >> 24);
            out += 4;
        }
    } else {
        for (int x = 0; x < width; ++x) {
            const quint32 key = keys[x];
            out[0] = quint8(key >> 16);
            out[1] = quint8(key >> 8);
            out[2] = quint8(key);
            out += 3;
        }
    }
}
