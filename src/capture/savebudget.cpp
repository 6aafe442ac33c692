#include "capture/savebudget.h"

namespace {
constexpr qint64 MiB = 1024 * 1024;
}

qint64 MemoryBudgetFor(qint64 physicalMemory) {
    return physicalMemory > 0 ? physicalMemory / 2 : 1024 * MiB;
}

qint64 SaveMemoryEstimate(QSize size, int bitsPerPixel, TSaveFormat format) {
    const qint64 pixels = qint64(qMax(size.width(), 0)) * qMax(size.height(), 0);
    const qint64 held =
        (qint64(qMax(size.width(), 0)) * bitsPerPixel + 31) / 32 * 4 * qMax(size.height(), 0);
    qint64 working = 0;
    switch (format) {
    case TSaveFormat::sfBMP:
        working = 4 * MiB; // a band of rows and the write block
        break;
    case TSaveFormat::sfJPEG:
        working = 4 * pixels + 3 * pixels; // 32-bit copy, output at the best quality
        break;
    case TSaveFormat::sfPNG:
        working =
            pixels + 4 * pixels + 5 * pixels; // palette rows, colour rows, deflate and candidates
        break;
    }
    return held + working;
}
