#pragma once

#include "platform/files/newfile.h"
#include "platform/files/newfile.h"

#include <QFile>
#include <QString>
#include <cstddef>

struct TWriteSpan;

// A file created (or truncated) for writing one picture. Every write must be taken in full or
// raises EWriteError. A stream that is destroyed without Commit() removes its file again, so a
// save that fails part way never leaves a truncated picture under a screenshot's name; it
// removes only the file it created, never one that has taken the name since.
class TFileStream {
public:
    enum class TCreation {
        Replace, // create, or truncate a file of that name
        New      // only a name nobody has taken: raises EFileExists when something is there
    };

    // Raises EFCreateError with the file name when the file cannot be created.
    explicit TFileStream(const QString& fileName, TCreation creation = TCreation::Replace);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Writes all bytes or raises EWriteError.
    void WriteBuffer(const void* data, std::size_t count);
    // Writes what it can and returns the count taken (for callers that report short writes
    // themselves, such as libmng's write callback). Never raises.
    std::size_t Write(const void* data, std::size_t count);
    // Writes all pieces, in order, without copying them together; raises EWriteError when the
    // file takes less.
    void WriteSpans(const TWriteSpan* spans, std::size_t count);
    // Closes the file for good; raises EWriteError when the data could not be flushed.
    void Commit();

    const QString& FileName() const { return FFileName; }
    qint64 Size() const { return FWritten; }
    // What the file is once committed; none before, or when the system could not tell.
    const std::optional<TFileVersion>& Version() const { return FVersion; }

private:
    QString FFileName;
    QFile FFile;
    TFileIdentity FIdentity;
    qint64 FWritten = 0;
    std::optional<TFileVersion> FVersion;
    bool FCommitted = false;
};
