#include "capture/thumbnail.h"

#include "capture/stretch.h"

QImage MakeThumbnail(const QImage& captured, QSize control) {
    return StretchInto(captured, control, true, false);
}
