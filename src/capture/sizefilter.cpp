#include "capture/sizefilter.h"

#include <array>

namespace {

struct TSizeEntry {
    int Width;
    int Height;
};

constexpr std::array<TSizeEntry, 6> MinImageSizes{
    {{-1, -1}, {320, 200}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}}};
constexpr std::array<TSizeEntry, 6> ResizeSizes{
    {{320, 200}, {640, 480}, {800, 600}, {960, 720}, {1024, 768}, {1280, 1024}}};

} // namespace

bool PassesSizeFilter(QSize captured, int minImageSizeIndex) {
    if (minImageSizeIndex <= 0 || minImageSizeIndex >= int(MinImageSizes.size()))
        return true;
    const TSizeEntry& minimum = MinImageSizes[std::size_t(minImageSizeIndex)];
    return captured.width() >= minimum.Width && captured.height() >= minimum.Height;
}

bool ResizeSizeAt(int resizeIndex, QSize& size) {
    if (resizeIndex < 0 || resizeIndex >= int(ResizeSizes.size()))
        return false;
    const TSizeEntry& entry = ResizeSizes[std::size_t(resizeIndex)];
    size = QSize(entry.Width, entry.Height);
    return true;
}

TScaleDecision DecideScaling(QSize captured, int resizeIndex, bool resizeUp, bool resizeDown) {
    TScaleDecision decision;
    if (!ResizeSizeAt(resizeIndex, decision.Target))
        return decision;
    const int w = captured.width();
    const int h = captured.height();
    const int tw = decision.Target.width();
    const int th = decision.Target.height();
    decision.Scale = (resizeUp && (w < tw || h < th)) || (resizeDown && (w > tw || h > th));
    return decision;
}
