#include "tray/trayartwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace {

const QColor Green(46, 184, 60);
const QColor Red(214, 40, 40);
const QColor Yellow(244, 204, 30);

// The glyph on a grid of 16 units; every edge lands on a whole pixel at each size, and lines
// are at least one pixel wide, so small sizes stay sharp instead of blurred.
QPixmap DrawGlyph(int size, const QColor& colour, bool marked) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto at = [size](double units) { return std::round(units * size / 16.0); };
    const double line = std::max(1.0, at(1.0));
    const QColor outline = colour.darker(260);
    const auto box = [&](double left, double top, double right, double bottom) {
        // Inset by half a line, so the outline covers whole pixels.
        return QRectF(at(left), at(top), at(right) - at(left), at(bottom) - at(top))
            .adjusted(line / 2, line / 2, -line / 2, -line / 2);
    };

    painter.setPen(QPen(outline, line));
    painter.setBrush(colour);
    painter.drawRect(box(5, 2, 11, 5));                                 // viewfinder
    painter.drawRoundedRect(box(1, 4, 16, 15), line * 1.5, line * 1.5); // body
    painter.setBrush(colour.lighter(170));
    painter.drawEllipse(box(4.5, 6, 12.5, 14)); // lens
    painter.setBrush(outline);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(box(7, 8.5, 10, 11.5).adjusted(-line / 2, -line / 2, line / 2, line / 2));
    if (marked) {
        painter.setBrush(Red);
        painter.drawRect(QRectF(0, at(2), std::max(2.0, at(2)), at(14) - at(2)));
    }
    return pixmap;
}

} // namespace

namespace TrayArtwork {

const QList<int>& Sizes() {
    static const QList<int> sizes{16, 20, 22, 24, 32, 40, 48};
    return sizes;
}

QIcon Glyph(const QColor& colour, bool marked) {
    QIcon icon;
    for (int size : Sizes())
        icon.addPixmap(DrawGlyph(size, colour, marked));
    return icon;
}

TImageList StateImages() {
    return {Glyph(Green), Glyph(Red)};
}

TImageList BusyImages() {
    return {Glyph(Yellow, true), Glyph(Yellow)};
}

} // namespace TrayArtwork
