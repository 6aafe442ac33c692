#include "capture/stowthread.h"

#include "capture/displayformat.h"
#include "codecs/bmpwriter.h"
#include "codecs/graphicerrors.h"
#include "codecs/ngimage.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/systemerror.h"
#include "platform/threadpriority.h"

#include <QCoreApplication>
#include <exception>

namespace {

// Releases the job's objects on every way out of a save.
class TJobRelease {
public:
    explicit TJobRelease(TSaveJob& job) : FJob(job) {}
    ~TJobRelease() {
        FJob.Bitmap = QImage();
        FJob.JPEG.reset();
    }
    TJobRelease(const TJobRelease&) = delete;
    TJobRelease& operator=(const TJobRelease&) = delete;

private:
    TSaveJob& FJob;
};

} // namespace

void SaveImage(TSaveJob& job) {
    TJobRelease release(job);
    // The display-format copy is made here rather than on the GUI thread: converting a large
    // screenshot costs time the GUI thread needs for the next capture.
    const QImage bitmap = ToDisplayFormat(job.Bitmap, job.DisplayDepth);
    if (bitmap.isNull() && !job.Bitmap.isNull())
        throw EFrameworkError(QStringLiteral("Not enough memory to save %1").arg(job.FileName));
    job.Bitmap = QImage();
    switch (job.Format) {
    case TSaveFormat::sfBMP:
        SaveBitmapToFile(bitmap, job.FileName);
        return;
    case TSaveFormat::sfJPEG:
        if (!job.JPEG)
            break;
        job.JPEG->Assign(bitmap);
        job.JPEG->SaveToFile(job.FileName);
        return;
    case TSaveFormat::sfPNG: {
        TPNGImage png;
        png.Assign(bitmap);
        png.SavePNGFile(job.FileName);
        return;
    }
    }
    throw EFrameworkError(QStringLiteral("Error creating image object"));
}

TStowThread::TStowThread(TSaveJob job, int priority, QObject* parent)
    : QThread(parent), FFileName(job.FileName), FJob(std::move(job)), FPriority(priority) {}

TStowThread::~TStowThread() {
    wait();
}

void TStowThread::run() {
    ApplyThreadPriority(FPriority);
    // The box's caption tells what the system said about this save, nothing earlier.
    ClearLastError();
    try {
        SaveImage(FJob);
    } catch (const EFrameworkError& error) {
        ShowSaveError(error.Message(), error.ErrorCode());
    } catch (const std::bad_alloc&) {
        ShowSaveError(QStringLiteral("Not enough memory to save %1").arg(FFileName),
                      LastErrorCode());
    } catch (const std::exception& error) {
        ShowSaveError(QString::fromLocal8Bit(error.what()), LastErrorCode());
    }
    emit Completed(this);
}

void TStowThread::ShowSaveError(const QString& text, int errorCode) {
    TBoxRequest request;
    request.Caption = ErrorCaption(errorCode);
    request.Text = text;
    request.Icon = TBoxIcon::Information;
    // Widgets live on the GUI thread: it shows the box without waiting for it, so capturing goes
    // on, and this save waits until the user has closed it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, request] {
            Platform().Boxes->ShowAsync(request, [this](TBoxResult) { FErrorAnswered.release(); });
        },
        Qt::QueuedConnection);
    FErrorAnswered.acquire();
}
