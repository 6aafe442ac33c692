// What happens on the GUI thread around each save: the JPEG settings it takes along, and the
// bookkeeping when it has completed.
#include "capture/stowthread.h"
#include "codecs/jpegimage.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
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
    // The finishing save's own file: with overlapping saves the latest capture's name may
    // belong to a save that is still writing.
    QFile file(sender != nullptr ? sender->FileName() : LastFileName);
    if (file.open(QIODevice::ReadOnly)) {
        SavedBytes += file.size();
        file.close();
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
