// One clipboard picture, from the copy to the save thread that writes it.
#include "app/reporterror.h"
#include "capture/filenaming.h"
#include "capture/sizefilter.h"
#include "capture/stowthread.h"
#include "capture/stretch.h"
#include "capture/thumbnail.h"
#include "codecs/jpegimage.h"
#include "platform/clipboardchain.h"
#include "platform/platform.h"
#include "platform/programinfo.h"
#include "platform/systemerror.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

void TSVXForm::CaptureClipboardImage() {
    // Copy the picture out. What the failure box tells comes from this transfer alone.
    ClearLastError();
    std::optional<QImage> copied = Platform().Clipboard->CopyImage();
    if (!copied || copied->isNull()) {
        ReportError(QStringLiteral("Error transferring data from clipboard"));
        return;
    }
    QImage bitmap = std::move(*copied);
    const QSize captured = bitmap.size();

    // Too small to be a screenshot: dropped before anything shows.
    if (!PassesSizeFilter(captured, OptMinImageSize->currentIndex()))
        return;
    const TScaleDecision scaling =
        DecideScaling(captured, OptResizeTo->currentIndex(), OptResizeUp->isChecked(),
                      OptResizeDown->isChecked());

    // What was captured, before any scaling.
    Thumbnail->setPixmap(QPixmap::fromImage(MakeThumbnail(bitmap, Thumbnail->size())));
    StatX->setText(QString::number(captured.width()));
    StatY->setText(QString::number(captured.height()));
    if (BitmapOut->isChecked())
        StatForm->setText(QStringLiteral("Windows Bitmap (.bmp)"));
    else if (JpgOut->isChecked())
        StatForm->setText(QStringLiteral("JPEG (.jpg)"));
    else if (PngOut->isChecked())
        StatForm->setText(QStringLiteral("Portable Network Graphivs (.png)"));

    const int displayDepth = DisplayDepth();
    if (scaling.Scale) {
        QImage scaled =
            StretchInto(bitmap, scaling.Target, OptAR->isChecked(), OptARExp->isChecked(),
                        NeedsAveragingStretch(displayDepth, bitmap));
        // A size no picture can have (a thin strip expanded to keep its proportions) is no
        // reason to lose the screenshot: it is saved as captured.
        if (!scaled.isNull())
            bitmap = std::move(scaled);
    }

    QString fileName;
    try {
        fileName = NextFilePath();
    } catch (const ENamingError& error) {
        ShowNamingError(error);
        return;
    }
    StatFilename->setText(fileName);

    auto jpeg = std::make_unique<TJPEGImage>();
    ApplyJPEGSettings(*jpeg);
    if (BitmapOut->isChecked())
        SaveFormat = TSaveFormat::sfBMP;
    else if (JpgOut->isChecked())
        SaveFormat = TSaveFormat::sfJPEG;
    else if (PngOut->isChecked())
        SaveFormat = TSaveFormat::sfPNG;

    if (RunningSaves == 0)
        StartBusyIcon();
    PlayFeedbackSound(TFeedbackEvent::SaveStarted);

    TSaveJob job;
    job.FileName = fileName;
    job.Format = SaveFormat;
    job.Bitmap = std::move(bitmap);
    job.JPEG = std::move(jpeg);
    job.DisplayDepth = displayDepth;
    // Owned by the window until it has completed; then it deletes itself.
    auto* thread = new TStowThread(std::move(job), ThreadPriority->value(), this);
    connect(thread, &TStowThread::Completed, this, &TSVXForm::ThreadDone,
            Qt::BlockingQueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    FRunningThreads.insert(thread);
    thread->start();
    ++RunningSaves;
    LastFileName = fileName;
}
