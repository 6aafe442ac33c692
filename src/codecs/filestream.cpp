#include "codecs/filestream.h"

#include "codecs/graphicerrors.h"

TFileStream::TFileStream(const QString& fileName) : FFileName(fileName), FFile(fileName) {
    // Unbuffered: a full disk must show up at the write that hits it, not at some later flush.
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw EFCreateError(fileName);
}

TFileStream::~TFileStream() {
    if (FCommitted)
        return;
    FFile.close();
    FFile.remove();
}

std::size_t TFileStream::Write(const void* data, std::size_t count) {
    if (count == 0)
        return 0;
    const qint64 taken = FFile.write(static_cast<const char*>(data), qint64(count));
    if (taken <= 0)
        return 0;
    FWritten += taken;
    return std::size_t(taken);
}

void TFileStream::WriteBuffer(const void* data, std::size_t count) {
    if (Write(data, count) != count)
        throw EWriteError();
}

void TFileStream::Commit() {
    if (!FFile.flush())
        throw EWriteError();
    FFile.close();
    if (FFile.error() != QFileDevice::NoError)
        throw EWriteError();
    FCommitted = true;
}
