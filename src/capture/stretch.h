#pragma once

#include <QImage>
#include <QSize>

// The size a picture of `source` size gets when stretched into `requested`, keeping the aspect
// ratio when asked: expanding covers the requested size, shrinking fits inside it; at most one
// side changes. The factors are doubles and the products are taken in extended precision and
// truncated, so that 420x700 into 320x200, shrinking, gives 119x200.
QSize StretchSize(QSize requested, QSize source, bool keepAspect, bool expand);

// Stretches the whole picture onto a new one of StretchSize(...); a null picture when that
// size cannot be made. Each target pixel takes the
// colour of one source pixel; with `averaging` (displays of 256 colours or fewer showing a
// richer source) it takes the average of the source pixels it covers. The result is RGB32.
QImage StretchInto(const QImage& source, QSize requested, bool keepAspect, bool expand,
                   bool averaging = false);

// The most pixels a scaled picture may have: twice an 8K screen. Beyond that the scaling makes
// no sense for a screenshot and would tie up gigabytes on the GUI thread.
constexpr qint64 LargestScaledPixels = qint64(1) << 26;

// Nearest-pixel stretch of the whole picture to exactly `size` (RGB32).
QImage NearestStretch(const QImage& source, QSize size);
// Area-averaging stretch of the whole picture to exactly `size` (RGB32).
QImage AveragingStretch(const QImage& source, QSize size);

// Whether the display calls for the averaging stretch of a source of this format.
bool NeedsAveragingStretch(int displayDepth, const QImage& source);
