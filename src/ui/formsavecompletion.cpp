// What happens on the GUI thread around each save: the JPEG settings it takes along, and the
// bookkeeping when it has completed.
#include "capture/stowthread.h"
#include "codecs/jpegimage.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>

void TSVXForm::ApplyJPEGSettings(TJPEGImage& jpeg) {
    jpeg.CompressionQuality = JPEGQuality->value();
    jpeg.Grayscale = JPEGGray->isChecked();
    jpeg.ProgressiveEncoding = JPEGProgressive->isChecked();
    jpeg.PixelFormat =
        JPEG24bit->isChecked() ? TJPEGPixelFormat::jf24Bit : TJPEGPixelFormat::jf8Bit;
}

void TSVXForm::ThreadDone(TStowThread* sender) {
    FRunningThreads.remove(sender);
    --RunningSaves;
    ++SavedCount;
    StatCount->setText(QString::number(SavedCount));
    // The bytes the finishing save wrote, as it counted them. The file is never opened by name
    // here: whatever has that name by now (another save's file, a FIFO that never answers) is
    // not this save's business.
    if (sender != nullptr) {
        SavedBytes += sender->BytesWritten();
        Reoffers.SaveEnded(TReofferMemory::TSaveId(sender), sender->BytesWritten() > 0,
                           sender->WrittenFileName(), sender->WrittenVersion());
        SaveBudget.Release(sender->MemoryEstimate());
        StatBytes->setText(QLocale().toString(SavedBytes));
    }
    if (RunningSaves == 0)
        StopBusyIcon();
    PlayFeedbackSound(TFeedbackEvent::SaveFinished);
}

void TSVXForm::WaitForRunningSaves() {
    QEventLoop loop;
    while (!FRunningThreads.isEmpty())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}
