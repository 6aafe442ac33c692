// One clipboard picture, from the copy to the save thread that writes it.
#include "capture/capturedecision.h"
#include "capture/filenaming.h"
#include "capture/singlebox.h"
#include "capture/stowthread.h"
#include "capture/stretch.h"
#include "capture/thumbnail.h"
#include "codecs/graphicerrors.h"
#include "codecs/jpegimage.h"
#include "platform/clipboard/clipboardchain.h"
#include "platform/messagebox.h"
#include "platform/files/newfile.h"
#include "platform/platform.h"
#include "platform/session/programinfo.h"
#include "platform/reporterror.h"
#include "platform/systemerror.h"
#include "platform/threadstarter.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QComboBox>
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
    if (Reoffers.IsReoffer(picture, options, FileVersionAt))
        return;

    // Too small to be a screenshot: dropped before anything shows. A save that would take the
    // pending saves past their memory budget is refused as the transfer it cannot become,
    // before anything shows; the saves already pending go on.
    const TCaptureDecision decision =
        DecideCapture(captured, bitmap.depth(), options, SaveBudget.Room());
    if (decision.Outcome == TCaptureDecision::TOutcome::TooSmall)
        return;
    if (decision.Outcome == TCaptureDecision::TOutcome::OverBudget) {
        ReportTransferError();
        return;
    }
    ShowCaptured(bitmap, decision);

    const int displayDepth = DisplayDepth();
    if (decision.Scale) {
        QImage scaled =
            StretchInto(bitmap, decision.Target, options.KeepAspect, options.ExpandToKeepAspect,
                        NeedsAveragingStretch(displayDepth, bitmap));
        // A size no picture can have (a thin strip expanded to keep its proportions) is no
        // reason to lose the screenshot: it is saved as captured.
        if (!scaled.isNull())
            bitmap = std::move(scaled);
    }

    TSaveJob job;
    try {
        job.FileName = NextFilePath();
    } catch (const ENamingError& error) {
        ShowNamingError(error);
        return;
    }
    // Where the number sits, so the save can take the next one if the name is taken by the
    // time its file is created.
    job.NumberStart = decision.NumberStart;
    job.NumberLength = int(job.FileName.size()) - decision.NumberStart - decision.ExtensionLength;
    StatFilename->setText(job.FileName);
    job.Format = decision.Format;
    job.Bitmap = std::move(bitmap);
    job.DisplayDepth = displayDepth;
    job.MemoryEstimate = decision.Memory;
    StartSave(std::move(job), picture, options);
}

// What was captured, before any scaling.
void TSVXForm::ShowCaptured(const QImage& bitmap, const TCaptureDecision& decision) {
    Thumbnail->setPixmap(QPixmap::fromImage(MakeThumbnail(bitmap, Thumbnail->size())));
    StatX->setText(QString::number(bitmap.width()));
    StatY->setText(QString::number(bitmap.height()));
    StatForm->setText(decision.FormatText);
}

void TSVXForm::StartSave(TSaveJob&& job, const TPictureFingerprint& picture,
                         const TCaptureOptions& options) {
    job.JPEG = std::make_unique<TJPEGImage>();
    ApplyJPEGSettings(*job.JPEG);
    SaveFormat = job.Format;

    if (RunningSaves == 0)
        StartBusyIcon();
    PlayFeedbackSound(TFeedbackEvent::SaveStarted);

    const QString fileName = job.FileName;
    const qint64 memory = job.MemoryEstimate;
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
    SaveBudget.Reserve(memory);
    LastFileName = fileName;
    Reoffers.SaveStarted(TReofferMemory::TSaveId(thread), picture, options, fileName);
}
