#pragma once

#include <QImage>
#include <QSize>

// The largest picture with the captured proportions that fits the thumbnail control, from the
// picture as captured; small pictures are enlarged to it as well.
QImage MakeThumbnail(const QImage& captured, QSize control);
