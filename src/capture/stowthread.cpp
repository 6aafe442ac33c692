#include "capture/stowthread.h"

#include "capture/displayformat.h"
#include "capture/filenaming.h"
#include "codecs/bmpwriter.h"
#include "codecs/filestream.h"
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

namespace {

// Names tried after the chosen one was taken, before the save gives up: plenty for names taken
// in the moment between choosing and creating, few enough that a folder full of planted names
// cannot keep a save busy.
constexpr int MaxRenumbering = 1000;

std::unique_ptr<TFileStream> CreateSaveFile(TSaveJob& job) {
    for (int attempt = 0;; ++attempt) {
        try {
            return std::make_unique<TFileStream>(job.FileName, TFileStream::TCreation::New);
        } catch (const EFileExists&) {
            if (job.NumberLength <= 0 || attempt >= MaxRenumbering)
                throw;
            job.FileName = FollowingNumberedPath(job.FileName, job.NumberStart, job.NumberLength);
        }
    }
}

qint64 Finish(TFileStream& file, TSaveJob& job) {
    file.Commit();
    job.WrittenVersion = file.Version();
    return file.Size();
}

} // namespace

qint64 SaveImage(TSaveJob& job) {
    TJobRelease release(job);
    // The display's pixel format is made a band of rows at a time while the encoder goes
    // through them, on this thread: a whole-picture copy would cost the memory of a second
    // picture, and converting a large screenshot costs time the GUI thread needs.
    const int depth = job.DisplayDepth;
    TRowConversion toDisplay;
    if (!InDisplayFormat(job.Bitmap, depth))
        toDisplay = [depth](const QImage& rows) { return ToDisplayFormat(rows, depth); };
    switch (job.Format) {
    case TSaveFormat::sfBMP: {
        const auto file = CreateSaveFile(job);
        SaveBitmapToStream(job.Bitmap, *file, toDisplay);
        return Finish(*file, job);
    }
    case TSaveFormat::sfJPEG: {
        if (!job.JPEG)
            break;
        const QImage bitmap = toDisplay ? ToDisplayFormat(job.Bitmap, depth) : job.Bitmap;
        if (bitmap.isNull())
            throw std::bad_alloc();
        job.Bitmap = QImage();
        job.JPEG->Assign(bitmap);
        const QByteArray& data = job.JPEG->EncodedData();
        const auto file = CreateSaveFile(job);
        file->WriteBuffer(data.constData(), std::size_t(data.size()));
        return Finish(*file, job);
    }
    case TSaveFormat::sfPNG: {
        TPNGImage png;
        png.Assign(job.Bitmap);
        png.Bitmap().RowConversion = toDisplay;
        job.Bitmap = QImage();
        png.PreparePNG();
        const auto file = CreateSaveFile(job);
        png.Bitmap().SaveToStream(*file);
        return Finish(*file, job);
    }
    }
    throw EFrameworkError(QStringLiteral("Error creating image object"));
}

TStowThread::TStowThread(TSaveJob job, int priority, QObject* parent)
    : QThread(parent), FFileName(job.FileName), FJob(std::move(job)), FPriority(priority),
      FMemoryEstimate(FJob.MemoryEstimate) {}

TStowThread::~TStowThread() {
    wait();
}

void TStowThread::run() {
    ApplyThreadPriority(FPriority);
    // The box's caption tells what the system said about this save, nothing earlier.
    ClearLastError();
    try {
        FBytesWritten = SaveImage(FJob);
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
