#pragma once

#include "capture/saveformat.h"
#include "codecs/jpegimage.h"

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
};

// Encodes and writes one job on the calling thread. Raises the encoder's error (an
// EFrameworkError) when it fails; the job's picture is released on every way out.
void SaveImage(TSaveJob& job);

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
    int Priority() const { return FPriority; }

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
    QSemaphore FErrorAnswered;
};
