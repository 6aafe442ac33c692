#include "codecs/bmpwriter.h"

#include "codecs/bmpfile.h"
#include "codecs/filestream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Rows are gathered into blocks of about this size before each write: few system calls, and a
// block small enough to stay in the processor's cache between being filled and being written.
constexpr qint64 WriteBlockSize = 256 * 1024;

} // namespace

QByteArray EncodeBitmap(const QImage& bitmap) {
    const TBmpFile file(bitmap);
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

void SaveBitmapToStream(const QImage& bitmap, TFileStream& stream) {
    const TBmpFile file(bitmap);
    if (file.IsEmpty())
        return;

    std::vector<uchar> block(size_t(std::max(WriteBlockSize, file.HeaderSize() + file.RowSize())));
    std::memcpy(block.data(), file.Headers().constData(), size_t(file.HeaderSize()));
    size_t used = size_t(file.HeaderSize());
    const auto rowSize = size_t(file.RowSize());
    for (int row = 0; row < file.Height(); ++row) {
        if (used + rowSize > block.size()) {
            stream.WriteBuffer(block.data(), used);
            used = 0;
        }
        file.FillRow(row, block.data() + used);
        used += rowSize;
    }
    stream.WriteBuffer(block.data(), used);
}

void SaveBitmapToFile(const QImage& bitmap, const QString& fileName) {
    TFileStream stream(fileName);
    SaveBitmapToStream(bitmap, stream);
    stream.Commit();
}
