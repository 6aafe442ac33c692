#include "imagechecks.h"

#include <algorithm>

namespace {

quint16 BigEndian16(const QByteArray& data, qsizetype at) {
    return quint16((quint8(data[at]) << 8) | quint8(data[at + 1]));
}

} // namespace

QImage PatternImage(int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int red = (x * 255 / std::max(1, width - 1) + seed * 37) & 0xFF;
            const int green = (y * 255 / std::max(1, height - 1) + seed * 91) & 0xFF;
            const int blue = ((x * 7) ^ (y * 13) ^ (seed * 29)) & 0xFF;
            row[x] = qRgb(red, green, blue);
        }
    }
    return image;
}

::testing::AssertionResult SamePixels(const QImage& expected, const QImage& actual) {
    if (actual.isNull())
        return ::testing::AssertionFailure() << "the image does not decode";
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << ", expected "
               << expected.width() << "x" << expected.height();
    }
    const QImage want = expected.convertToFormat(QImage::Format_RGB32);
    const QImage got = actual.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < want.height(); ++y) {
        const auto* wantRow = reinterpret_cast<const QRgb*>(want.constScanLine(y));
        const auto* gotRow = reinterpret_cast<const QRgb*>(got.constScanLine(y));
        for (int x = 0; x < want.width(); ++x) {
            if ((wantRow[x] & 0xFFFFFF) != (gotRow[x] & 0xFFFFFF)) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex
                       << (gotRow[x] & 0xFFFFFF) << ", expected " << (wantRow[x] & 0xFFFFFF);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

bool LooksComplete(const QByteArray& file) {
    if (file.startsWith("BM") && file.size() >= 6) {
        const quint32 announced = quint8(file[2]) | (quint8(file[3]) << 8) |
                                  (quint8(file[4]) << 16) | (quint32(quint8(file[5])) << 24);
        return quint64(file.size()) >= announced;
    }
    if (file.startsWith("\xFF\xD8"))
        return file.endsWith("\xFF\xD9");
    if (file.startsWith("\x89PNG\r\n\x1A\n"))
        return file.size() >= 12 && file.mid(file.size() - 8, 4) == "IEND";
    return false;
}

std::optional<int> BmpBitsPerPixel(const QByteArray& file) {
    // File header (14 bytes), then the info header whose bit count sits at offset 14 of it.
    if (file.size() < 30 || !file.startsWith("BM"))
        return std::nullopt;
    return quint8(file[28]) | (quint8(file[29]) << 8);
}

std::optional<TJpegFrame> ReadJpegFrame(const QByteArray& file) {
    if (file.size() < 4 || quint8(file[0]) != 0xFF || quint8(file[1]) != 0xD8)
        return std::nullopt;
    qsizetype at = 2;
    while (at + 4 <= file.size()) {
        if (quint8(file[at]) != 0xFF)
            return std::nullopt;
        const quint8 marker = quint8(file[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const quint16 length = BigEndian16(file, at + 2);
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 10 > file.size())
                return std::nullopt;
            TJpegFrame frame;
            frame.Marker = marker;
            frame.Height = BigEndian16(file, at + 5);
            frame.Width = BigEndian16(file, at + 7);
            frame.Components = quint8(file[at + 9]);
            return frame;
        }
        if (marker == 0xDA) // image data before any frame header
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}
