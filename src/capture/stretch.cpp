#include "capture/stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

bool IsXrgb32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

// Source rows as 0xffRRGGBB, converting only the rows that are asked for.
class TRowSource {
public:
    explicit TRowSource(const QImage& source) : FSource(source) {}

    const quint32* Row(int y) {
        if (IsXrgb32(FSource.format()))
            return reinterpret_cast<const quint32*>(FSource.constScanLine(y));
        if (y != FCachedRow) {
            FCache = FSource.copy(0, y, FSource.width(), 1).convertToFormat(QImage::Format_RGB32);
            FCachedRow = y;
        }
        return reinterpret_cast<const quint32*>(FCache.constScanLine(0));
    }

private:
    const QImage& FSource;
    QImage FCache;
    int FCachedRow = -1;
};

// The source coordinate of each target coordinate: the source is cut into `target` equal
// parts and each target pixel takes the first source pixel of its part.
std::vector<int> NearestIndices(int source, int target) {
    std::vector<int> indices(static_cast<std::size_t>(target));
    for (int i = 0; i < target; ++i)
        indices[std::size_t(i)] = int((std::int64_t(i) * source) / target);
    return indices;
}

} // namespace

QSize StretchSize(QSize requested, QSize source, bool keepAspect, bool expand) {
    long long w = requested.width();
    long long h = requested.height();
    const int sw = source.width();
    const int sh = source.height();
    if (keepAspect && sw > 0 && sh > 0) {
        const double fx = double(w) / double(sw);
        const double fy = double(h) / double(sh);
        // Extended precision for the products, as the factors are applied by the FPU; the
        // truncation is what makes 420 x (200/700) come out as 119.
        const long long wy =
            static_cast<long long>(static_cast<long double>(sw) * static_cast<long double>(fy));
        const long long hx =
            static_cast<long long>(static_cast<long double>(sh) * static_cast<long double>(fx));
        if (expand) {
            if (w < wy)
                w = wy;
            else if (h < hx)
                h = hx;
        } else {
            if (w > wy)
                w = wy;
            else if (h > hx)
                h = hx;
        }
    }
    // Keeping the aspect ratio of a thin strip while expanding can ask for sides no picture can
    // have; they are kept in range here and refused when the picture is made.
    constexpr long long LargestSide = 1 << 20;
    return QSize(int(std::clamp(w, 0LL, LargestSide)), int(std::clamp(h, 0LL, LargestSide)));
}

namespace {
bool CanBeMade(const QImage& source, QSize size) {
    return !source.isNull() && !size.isEmpty() &&
           qint64(size.width()) * size.height() <= LargestScaledPixels;
}
} // namespace

QImage NearestStretch(const QImage& source, QSize size) {
    if (!CanBeMade(source, size))
        return QImage();
    QImage target(size, QImage::Format_RGB32);
    if (target.isNull())
        return target;
    const std::vector<int> xs = NearestIndices(source.width(), size.width());
    const std::vector<int> ys = NearestIndices(source.height(), size.height());
    TRowSource rows(source);
    const int width = size.width();
    for (int y = 0; y < size.height(); ++y) {
        const quint32* from = rows.Row(ys[std::size_t(y)]);
        auto* to = reinterpret_cast<quint32*>(target.scanLine(y));
        if (y > 0 && ys[std::size_t(y)] == ys[std::size_t(y - 1)]) {
            std::copy_n(reinterpret_cast<const quint32*>(target.constScanLine(y - 1)), width, to);
            continue;
        }
        for (int x = 0; x < width; ++x)
            to[x] = from[xs[std::size_t(x)]] | 0xff000000u;
    }
    return target;
}

QImage AveragingStretch(const QImage& source, QSize size) {
    if (!CanBeMade(source, size))
        return QImage();
    QImage target(size, QImage::Format_RGB32);
    if (target.isNull())
        return target;
    const int sw = source.width();
    const int sh = source.height();
    const int width = size.width();
    const int height = size.height();
    // Each target pixel covers the source pixels [start, end) in each direction, at least one.
    auto span = [](int i, int source, int target) {
        int start = int((std::int64_t(i) * source) / target);
        int end = int((std::int64_t(i + 1) * source) / target);
        return std::pair<int, int>(start, end > start ? end : start + 1);
    };
    std::vector<std::pair<int, int>> xSpans(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        xSpans[std::size_t(x)] = span(x, sw, width);
    TRowSource rows(source);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const auto [y0, y1] = span(y, sh, height);
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = y0; sy < y1; ++sy) {
            const quint32* from = rows.Row(sy);
            for (int x = 0; x < width; ++x) {
                const auto [x0, x1] = xSpans[std::size_t(x)];
                std::uint64_t r = 0, g = 0, b = 0;
                for (int sx = x0; sx < x1; ++sx) {
                    r += qRed(from[sx]);
                    g += qGreen(from[sx]);
                    b += qBlue(from[sx]);
                }
                sums[std::size_t(x) * 3] += r;
                sums[std::size_t(x) * 3 + 1] += g;
                sums[std::size_t(x) * 3 + 2] += b;
            }
        }
        auto* to = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto [x0, x1] = xSpans[std::size_t(x)];
            const std::uint64_t count = std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0);
            const auto mean = [&](int channel) {
                return int((sums[std::size_t(x) * 3 + std::size_t(channel)] + count / 2) / count);
            };
            to[x] = qRgb(mean(0), mean(1), mean(2));
        }
    }
    return target;
}

bool NeedsAveragingStretch(int displayDepth, const QImage& source) {
    // A monochrome source is copied pixel by pixel whatever the display.
    if (source.depth() == 1)
        return false;
    return displayDepth <= 8 && displayDepth < source.depth();
}

QImage StretchInto(const QImage& source, QSize requested, bool keepAspect, bool expand,
                   bool averaging) {
    const QSize size = StretchSize(requested, source.size(), keepAspect, expand);
    return averaging ? AveragingStretch(source, size) : NearestStretch(source, size);
}
