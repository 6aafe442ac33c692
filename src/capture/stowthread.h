#pragma once

#include "capture/saveformat.h"
#include "codecs/jpegimage.h"
#include "platform/files/newfile.h"

#include <QImage>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <memory>

// Everything one save needs, handed over whole before the save starts.
struct TSaveJob {
    QString FileName;
    TSaveFormat Format = TSaveFormat::sfBMP;
    QImage Bitmap;
    std::unique_ptr<TJPEGImage> JPEG; // the capture's JPEG settings, whatever the format
    int DisplayDepth = 24;            // the pixel format the picture is written in
    // Where the number sits in FileName (length 0: nowhere). When another program has taken
    // the name since it was chosen, the save moves on to the next number instead.
    int NumberStart = 0;
    int NumberLength = 0;
    qint64 MemoryEstimate = 0; // the most memory the save may take, held against the budget
    // Filled in by the save: what its file is once written whole.
    std::optional<TFileVersion> WrittenVersion;
};

// Encodes and writes one job on the calling thread into a file it creates: never over anything
// that is at the name already, and never through a link. Returns the bytes written; the job's
// FileName is then the name used. Raises the encoder's error (an EFrameworkError) or
// std::bad_alloc when it fails; the job's picture is released on every way out.
qint64 SaveImage(TSaveJob& job);

// One save on a worker thread of its own. It encodes and writes its job, has a failure shown
// (and waits until the user has closed the box), then has its completion run on the GUI thread
// while it waits, and finally deletes itself.
class TStowThread : public QThread {
    Q_OBJECT
public:
    // `priority` is the position 0..6 of the priority track bar.
    TStowThread(TSaveJob job, int priority, QObject* parent = nullptr);
    ~TStowThread() override;

    const QString& FileName() const { return FFileName; }
    // The name the file was written under (the next number's when the chosen one was taken by
    // then). Read in the completion.
    const QString& WrittenFileName() const { return FJob.FileName; }
    const std::optional<TFileVersion>& WrittenVersion() const { return FJob.WrittenVersion; }
    int Priority() const { return FPriority; }
    qint64 MemoryEstimate() const { return FMemoryEstimate; }
    // The size of the file written; 0 until the save has succeeded. Read in the completion.
    qint64 BytesWritten() const { return FBytesWritten; }

signals:
    // Connected with a blocking queued connection: the worker waits until it has returned.
    void Completed(TStowThread* sender);

protected:
    void run() override;

private:
    // Shows the error on the GUI thread and waits until it has been answered. The caption is
    // the system's text for the error code.
    void ShowSaveError(const QString& text, int errorCode);

    QString FFileName;
    TSaveJob FJob;
    int FPriority;
    qint64 FMemoryEstimate;
    qint64 FBytesWritten = 0;
    QSemaphore FErrorAnswered;
};
