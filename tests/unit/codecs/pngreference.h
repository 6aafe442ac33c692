#pragma once

// The plain PNG writing algorithm, kept as the yardstick of the fast route: 24-bit pixels read
// one by one, linear palette search, the swap sort, every candidate packed by the same search and
// compressed in full into a buffer of input + 1000 bytes (grown by 1000 and started over until
// deflate finishes), the choice rule depth by depth, and the chunks framed by hand.

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

namespace pngtest {

struct TReferenceOptions {
    qint32 TransparentColor = -1;
    QImage MaskBitmap;
    qint32 MaxIDATSize = 65536;
    int ZLIBLevel = 9;
};

// The complete file; empty when the zlib data came out empty.
QByteArray ReferencePNG(const QImage& picture, const TReferenceOptions& options = {});

// The compression step alone: the zlib stream, empty when zlib fails. `retries` counts the
// restarts with a larger buffer.
QByteArray ReferenceCompress(const QByteArray& input, int level, int* retries = nullptr);

} // namespace pngtest
