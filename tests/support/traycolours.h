#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

// Which of the tray's colours covers most of a picture of the icon: "green", "red", "yellow",
// or "none" when no colour clearly does.
inline QString TrayColourOf(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int green = 0, red = 0, yellow = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
            if (qAlpha(pixel) < 128)
                continue;
            if (r > 150 && g > 150 && b < 100)
                ++yellow;
            else if (g > 120 && g > r + 60 && g > b + 60)
                ++green;
            else if (r > 150 && r > g + 80 && r > b + 80)
                ++red;
        }
    }
    const int most = qMax(green, qMax(red, yellow));
    const int second = green + red + yellow - most - qMin(green, qMin(red, yellow));
    // An eighth of the picture at least, and clearly ahead of the others.
    if (most * 8 < image.width() * image.height() || most < 2 * second)
        return QStringLiteral("none");
    return most == green ? QStringLiteral("green")
           : most == red ? QStringLiteral("red")
                         : QStringLiteral("yellow");
}
