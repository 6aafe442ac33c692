#include "codecs/pngencoder.h"

#include "codecs/pngcandidates.h"
#include "codecs/pngpack.h"
#include "codecs/pngpixels.h"

#include <algorithm>
#include <array>
#include <thread>

namespace {

struct TScan {
    TPNGColorCounter Counter;
    bool NotOpaque = false;
    TByteBuffer Rows8; // palette-index rows in first-seen order, valid while Counter is not full
};

bool RowNotOpaque(const quint32* keys, int width) {
    for (int x = 0; x < width; ++x) {
        if ((keys[x] >> 24) != 0xFF)
            return true;
    }
    return false;
}

TScan ScanPixels(const TPNGPixelSource& source) {
    TScan scan;
    const int width = source.Width();
    const int height = source.Height();
    const std::size_t rowBytes = PNGRowBytes(width, 8);
    scan.Rows8.resize(rowBytes * std::size_t(height));
    std::vector<quint32> scratch(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        const quint32* keys = source.Row(y, scratch.data());
        if (!scan.Counter.Full()) {
            quint8* row = scan.Rows8.data() + std::size_t(y) * rowBytes;
            row[0] = 0;
            scan.Counter.AddRow(keys, width, row + 1);
        }
        if (!scan.NotOpaque && !source.Opaque())
            scan.NotOpaque = RowNotOpaque(keys, width);
        // Past 256 colours only the alpha matters, and only until one pixel is not opaque.
        if (scan.Counter.Full() && (scan.NotOpaque || source.Opaque()))
            break;
    }
    if (scan.Counter.Full())
        scan.Rows8 = TByteBuffer();
    return scan;
}

TByteBuffer CompressColorRows(const TPNGPixelSource& source, bool withAlpha,
                              const TZLIBParams& params) {
    const int width = source.Width();
    const int height = source.Height();
    const std::size_t rowBytes = PNGRowBytes(width, withAlpha ? 32 : 24);
    TByteBuffer rows(rowBytes * std::size_t(height));
    std::vector<quint32> scratch(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y)
        PackColorRow(source.Row(y, scratch.data()), width, withAlpha,
                     rows.data() + std::size_t(y) * rowBytes);
    return Deflate(rows.data(), rows.size(), params).Data;
}

// Renumbers the first-seen indices of the rows to the sorted palette's positions.
void RenumberRows(TByteBuffer& rows8, int width, const TPNGColorCounter& counter,
                  const std::vector<TPNGColor>& sorted) {
    std::array<quint8, 256> position{};
    bool identity = true;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const int seen = counter.IndexOf(sorted[i].Key);
        position[std::size_t(seen)] = quint8(i);
        identity = identity && seen == int(i);
    }
    if (identity)
        return;
    const std::size_t rowBytes = PNGRowBytes(width, 8);
    for (std::size_t start = 0; start < rows8.size(); start += rowBytes) {
        quint8* row = rows8.data() + start;
        for (std::size_t x = 1; x < rowBytes; ++x)
            row[x] = position[row[x]];
    }
}

// Two candidates at a time when the machine has the cores and the rows are large enough for the
// helper thread to pay off.
int CandidateWorkers(int requested, std::size_t rowBytes) {
    if (requested > 0)
        return requested;
    constexpr std::size_t WorthAHelper = 256 * 1024;
    return rowBytes >= WorthAHelper && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

} // namespace

TPNGData BuildPNGData(const QImage& bitmap, const TPNGSettings& settings) {
    const TPNGPixelSource source(bitmap, settings.TransparentColor, settings.MaskBitmap,
                                 settings.Conversion);
    TPNGData data;
    data.Width = source.Width();
    data.Height = source.Height();

    TScan scan = ScanPixels(source);
    if (scan.Counter.Full()) {
        data.ColorType = scan.NotOpaque ? 6 : 2;
        data.BitDepth = 8;
        data.Compressed = CompressColorRows(source, scan.NotOpaque, settings.ZLIB);
        return data;
    }

    data.ColorType = 3;
    data.Palette = scan.Counter.Colors();
    SortPalette(data.Palette);
    data.TRNSCount = TRNSCount(data.Palette);
    RenumberRows(scan.Rows8, data.Width, scan.Counter, data.Palette);
    TCandidateChoice choice =
        ChooseCandidate(scan.Rows8, data.Width, data.Height, scan.Counter.Count(), settings.ZLIB,
                        CandidateWorkers(settings.Workers, scan.Rows8.size()));
    data.BitDepth = choice.BitDepth;
    data.Compressed = std::move(choice.Compressed);
    return data;
}

std::vector<std::size_t> IDATPieces(std::size_t dataSize, qint32 maxIDATSize) {
    const std::size_t piece = std::size_t(std::max<qint32>(maxIDATSize, 1));
    std::vector<std::size_t> pieces;
    pieces.reserve(dataSize / piece + 1);
    while (dataSize > piece) {
        pieces.push_back(piece);
        dataSize -= piece;
    }
    if (dataSize > 0)
        pieces.push_back(dataSize);
    return pieces;
}
