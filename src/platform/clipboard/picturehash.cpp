#include "platform/clipboard/picturehash.h"

#include <memory>
#include <xxhash.h>

namespace {

struct TStateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

std::optional<quint64> PictureHash(const QImage& image) {
    if (image.isNull())
        return std::nullopt;
    const std::unique_ptr<XXH3_state_t, TStateDeleter> state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) == XXH_ERROR)
        return std::nullopt;
    const qint32 header[] = {image.width(), image.height(), qint32(image.format())};
    XXH3_64bits_update(state.get(), header, sizeof header);
    const QList<QRgb> colours = image.colorTable();
    XXH3_64bits_update(state.get(), colours.constData(), size_t(colours.size()) * sizeof(QRgb));
    const size_t rowBytes = (size_t(image.width()) * size_t(image.depth()) + 7) / 8;
    for (int y = 0; y < image.height(); ++y)
        XXH3_64bits_update(state.get(), image.constScanLine(y), rowBytes);
    return XXH3_64bits_digest(state.get());
}

TSelectionChange WithHash(TSelectionChange change) {
    if (change.Image && change.Image->isNull())
        change.Image.reset();
    change.Hash = change.Image ? PictureHash(*change.Image) : std::nullopt;
    return change;
}
