#include "codecs/filestream.h"

#include "codecs/graphicerrors.h"
#include "platform/files/gatheredwrite.h"

TFileStream::TFileStream(const QString& fileName, TCreation creation) : FFileName(fileName) {
    const int descriptor = creation == TCreation::New ? CreateNewFile(fileName, FIdentity)
                                                      : CreateOrTruncateFile(fileName, FIdentity);
    if (descriptor < 0) {
        if (errno == EEXIST && creation == TCreation::New)
            throw EFileExists(fileName);
        throw EFCreateError(fileName);
    }
    // Unbuffered: a full disk must show up at the write that hits it, not at some later flush.
    if (!FFile.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        RemoveIfSameFile(fileName, FIdentity);
        throw EFCreateError(fileName);
    }
}

TFileStream::~TFileStream() {
    if (FCommitted)
        return;
    FFile.close();
    RemoveIfSameFile(FFileName, FIdentity);
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

void TFileStream::WriteSpans(const TWriteSpan* spans, std::size_t count) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i)
        total += spans[i].Size;
    // The file is unbuffered, so nothing of ours is pending in QFile ahead of these bytes.
    const std::size_t written = GatheredWrite(FFile.handle(), spans, count);
    FWritten += qint64(written);
    if (written != total)
        throw EWriteError();
}

void TFileStream::Commit() {
    if (!FFile.flush())
        throw EWriteError();
    // Taken after the last write: closing changes nothing the version holds.
    FVersion = FileVersionOf(FFile.handle());
    FFile.close();
    if (FFile.error() != QFileDevice::NoError)
        throw EWriteError();
    FCommitted = true;
}
