#include "codecs/bmpwriter.h"

#include "codecs/bmpfile.h"
#include "codecs/filestream.h"
#include "platform/files/gatheredwrite.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Rows are gathered into blocks of about this size before each write. The file system takes a
// few large writes much faster than many small ones (measured: 64 KiB blocks cost twice as much
// as one write of the whole file, 2 MiB blocks about 1.2 times), while a block still fits in the
// processor's cache between being filled and being written.
constexpr qint64 WriteBlockSize = 2 * 1024 * 1024;

} // namespace

QByteArray EncodeBitmap(const QImage& bitmap, const TRowConversion& conversion) {
    const TBmpFile file(bitmap, conversion);
    if (file.IsEmpty())
        return {};
    QByteArray content(file.FileSize(), Qt::Uninitialized);
    auto* target = reinterpret_cast<uchar*>(content.data());
    std::memcpy(target, file.Headers().constData(), size_t(file.HeaderSize()));
    target += file.HeaderSize();
    for (int row = 0; row < file.Height(); ++row, target += file.RowSize())
        file.FillRow(row, target);
    return content;
}

void SaveBitmapToStream(const QImage& bitmap, TFileStream& stream,
                        const TRowConversion& conversion) {
    const TBmpFile file(bitmap, conversion);
    if (file.IsEmpty())
        return;

    // Rows the picture already holds as the file does go out straight from its memory.
    if (file.RowInPlace(0) != nullptr) {
        std::vector<TWriteSpan> spans;
        spans.reserve(size_t(file.Height()) + 1);
        spans.push_back({file.Headers().constData(), size_t(file.HeaderSize())});
        for (int row = 0; row < file.Height(); ++row)
            spans.push_back({file.RowInPlace(row), size_t(file.RowSize())});
        stream.WriteSpans(spans.data(), spans.size());
        return;
    }

    const auto blockSize = size_t(std::max(WriteBlockSize, file.HeaderSize() + file.RowSize()));
    // Every byte of a block is filled before it is written: no need to clear it first.
    const auto block = std::make_unique_for_overwrite<uchar[]>(blockSize);
    std::memcpy(block.get(), file.Headers().constData(), size_t(file.HeaderSize()));
    size_t used = size_t(file.HeaderSize());
    const auto rowSize = size_t(file.RowSize());
    for (int row = 0; row < file.Height(); ++row) {
        if (used + rowSize > blockSize) {
            stream.WriteBuffer(block.get(), used);
            used = 0;
        }
        file.FillRow(row, block.get() + used);
        used += rowSize;
    }
    stream.WriteBuffer(block.get(), used);
}

void SaveBitmapToFile(const QImage& bitmap, const QString& fileName) {
    TFileStream stream(fileName);
    SaveBitmapToStream(bitmap, stream);
    stream.Commit();
}
