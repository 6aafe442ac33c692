// One clipboard picture, from the copy to the save thread that writes it.
#include "platform/reporterror.h"
#include "capture/filenaming.h"
#include "capture/savebudget.h"
#include "capture/singlebox.h"
#include "capture/sizefilter.h"
#include "capture/stowthread.h"
#include "capture/stretch.h"
#include "capture/thumbnail.h"
#include "codecs/graphicerrors.h"
#include "codecs/jpegimage.h"
#include "platform/clipboardchain.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/programinfo.h"
#include "platform/systemerror.h"
#include "platform/threadstarter.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace {

void ReportTransferError() {
    static TSingleBox box;
    box.Show([] { ReportError(QStringLiteral("Error transferring data from clipboard")); });
}

} // namespace

TCaptureOptions TSVXForm::ReadCaptureOptions() const {
    TCaptureOptions options;
    options.MinImageSize = OptMinImageSize->currentIndex();
    options.ResizeTo = OptResizeTo->currentIndex();
    options.ResizeUp = OptResizeUp->isChecked();
    options.ResizeDown = OptResizeDown->isChecked();
    options.KeepAspect = OptAR->isChecked();
    options.ExpandToKeepAspect = OptARExp->isChecked();
    options.Folder = OutputDirEdit->text();
    options.BaseName = NameEdit->text();
    options.Digits = DigitsUD->Position();
    options.NumberFromStart = OptDigit->isChecked();
    options.StartNumber = OptDigitFrom->text();
    options.Format = BitmapOut->isChecked() ? TSaveFormat::sfBMP
                     : JpgOut->isChecked()  ? TSaveFormat::sfJPEG
                     : PngOut->isChecked()  ? TSaveFormat::sfPNG
                                            : SaveFormat;
    options.JPEGQuality = JPEGQuality->value();
    options.JPEGGray = JPEGGray->isChecked();
    options.JPEGProgressive = JPEGProgressive->isChecked();
    options.JPEG24Bit = JPEG24bit->isChecked();
    return options;
}

void TSVXForm::CaptureClipboardImage() {
    // Copy the picture out. What the failure box tells comes from this transfer alone.
    ClearLastError();
    std::optional<QImage> copied = Platform().Clipboard->CopyImage();
    if (!copied || copied->isNull()) {
        ReportTransferError();
        return;
    }
    QImage bitmap = std::move(*copied);
    const QSize captured = bitmap.size();

    // The desktop offering the last file's picture again is no new copy: nothing happens.
    const TCaptureOptions options = ReadCaptureOptions();
    const TPictureFingerprint picture{captured, Platform().Clipboard->ImageHash()};
    if (Reoffers.IsReoffer(picture, options,
                           [](const QString& fileName) { return QFileInfo::exists(fileName); }))
        return;

    // Too small to be a screenshot: dropped before anything shows.
    if (!PassesSizeFilter(captured, OptMinImageSize->currentIndex()))
        return;
    const TScaleDecision scaling =
        DecideScaling(captured, OptResizeTo->currentIndex(), OptResizeUp->isChecked(),
                      OptResizeDown->isChecked());

    // A save that would take the pending saves past their memory budget is refused as the
    // transfer it cannot become, before anything shows; the saves already pending go on.
    QSize saved = captured;
    int savedBits = bitmap.depth();
    if (scaling.Scale) {
        const QSize scaled =
            StretchSize(scaling.Target, captured, OptAR->isChecked(), OptARExp->isChecked());
        if (!scaled.isEmpty() && qint64(scaled.width()) * scaled.height() <= LargestScaledPixels) {
            saved = scaled;
            savedBits = 32;
        }
    }
    const TSaveFormat format = options.Format;
    const qint64 memory = SaveMemoryEstimate(saved, savedBits, format);
    if (memory > SaveMemoryBudget - PendingSaveMemory) {
        ReportTransferError();
        return;
    }

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
    int numberStart = 0;
    int numberLength = 0;
    try {
        fileName = NextFilePath();
        // Where the number sits, so the save can take the next one if the name is taken by the
        // time its file is created.
        numberStart = int(DirectoryPart(OutputDirEdit->text()).size() + NameEdit->text().size());
        numberLength = int(fileName.size()) - numberStart -
                       int(ExtensionFor(BitmapOut->isChecked(), JpgOut->isChecked()).size());
    } catch (const ENamingError& error) {
        ShowNamingError(error);
        return;
    }
    StatFilename->setText(fileName);

    auto jpeg = std::make_unique<TJPEGImage>();
    ApplyJPEGSettings(*jpeg);
    SaveFormat = format;

    if (RunningSaves == 0)
        StartBusyIcon();
    PlayFeedbackSound(TFeedbackEvent::SaveStarted);

    TSaveJob job;
    job.FileName = fileName;
    job.Format = SaveFormat;
    job.Bitmap = std::move(bitmap);
    job.JPEG = std::move(jpeg);
    job.DisplayDepth = displayDepth;
    job.NumberStart = numberStart;
    job.NumberLength = numberLength;
    job.MemoryEstimate = memory;
    // Owned by the window until it has completed; then it deletes itself.
    auto* thread = new TStowThread(std::move(job), ThreadPriority->value(), this);
    connect(thread, &TStowThread::Completed, this, &TSVXForm::ThreadDone,
            Qt::BlockingQueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    FRunningThreads.insert(thread);
    if (const int refusal = Platform().Threads->Start(*thread); refusal != 0) {
        // No thread, no save: nothing of it may stay counted, reserved or busy.
        FRunningThreads.remove(thread);
        delete thread;
        if (RunningSaves == 0)
            StopBusyIcon();
        TBoxRequest request;
        request.Text = EFCreateError(fileName).Message();
        request.Caption = ErrorCaption(refusal);
        request.Icon = TBoxIcon::Information;
        Platform().Boxes->ShowAsync(request, {});
        return;
    }
    ++RunningSaves;
    PendingSaveMemory += memory;
    LastFileName = fileName;
    Reoffers.SaveStarted(TReofferMemory::TSaveId(thread), picture, options, fileName);
}
