#pragma once

#include "capture/saveformat.h"

#include <QSize>
#include <QtGlobal>

// The memory all pending saves together may hold: half the machine's memory, so that a few
// huge captures cannot bring in the out-of-memory killer and lose every pending screenshot.
// `physicalMemory` 0 (unknown) gives 1 GiB.
qint64 MemoryBudgetFor(qint64 physicalMemory);

// The most memory a pending save of a picture of `size`, held at `bitsPerPixel`, may take: the
// picture and the encoder's working memory (BMP converts a band of rows at a time; JPEG holds
// the display-format copy and its output; PNG its rows in palette and colour form and the
// compressed data).
qint64 SaveMemoryEstimate(QSize size, int bitsPerPixel, TSaveFormat format);

// What the pending saves hold of their budget. A save is let in only while its estimate fits
// the room left, and holds it from its start to its completion.
struct TSaveBudget {
    qint64 Limit = 0;
    qint64 Pending = 0;

    qint64 Room() const { return Limit - Pending; }
    void Reserve(qint64 memory) { Pending += memory; }
    void Release(qint64 memory) { Pending -= memory; }
};
