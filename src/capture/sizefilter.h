#pragma once

#include <QSize>

// The minimum sizes of the "Save only if image is … or larger" list, by item index.
// Index 0 is "any size"; an index outside 1..5 (no selection) lets everything pass.
bool PassesSizeFilter(QSize captured, int minImageSizeIndex);

// The target sizes of the scaling list, by item index (0..5); nothing for other indices.
bool ResizeSizeAt(int resizeIndex, QSize& size);

struct TScaleDecision {
    bool Scale = false;
    QSize Target;
};
// Whether a captured picture is to be scaled, decided on the size as captured: when expanding
// is on and a side is short of the target, or shrinking is on and a side is over it.
// No selection in the target list means no scaling.
TScaleDecision DecideScaling(QSize captured, int resizeIndex, bool resizeUp, bool resizeDown);
