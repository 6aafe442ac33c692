#pragma once

// Small helpers shared by the encoder tests: little- and big-endian fields and deterministic
// pictures.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <optional>

#include "testfiles.h"

namespace CodecTest {

// The message of the `TError` that `act` throws; none when it throws nothing (any other exception
// fails the test).
template <typename TError, typename TAct> std::optional<QString> ErrorMessage(TAct act) {
    try {
        act();
    } catch (const TError& error) {
        return error.Message();
    }
    return std::nullopt;
}

inline quint16 Le16(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}
inline quint32 Le32(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}
inline quint16 Be16(const QByteArray& bytes, qsizetype offset) {
    return qFromBigEndian<quint16>(bytes.constData() + offset);
}

// A screenshot-like picture: flat panels, a smooth gradient, and fine pseudo-random detail
// (text-like), the same on every run. Made at 32 bits and converted to the format asked for.
inline QImage MakeScreenshot(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            QRgb color;
            if (y < height / 4)
                color = qRgb(40, 60, 120); // title bar
            else if (x < width / 3)
                color = qRgb(x * 255 / width, y * 255 / height, 128); // gradient
            else if ((seed >> 24) < 40)
                color = qRgb(int(seed >> 8) & 255, int(seed >> 16) & 255, int(seed) & 255);
            else
                color = qRgb(240, 240, 240); // window background
            line[x] = color;
        }
    }
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

// A smooth photo-like picture (no hard edges), for comparing decoded pixels closely.
inline QImage MakePhoto(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) * 127 / (width + height)));
    return image;
}

} // namespace CodecTest
