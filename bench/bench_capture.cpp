// What a capture costs the GUI thread, and the scaling it does there. Everything after the
// clipboard transfer runs on the GUI thread until the save thread takes the job; while it runs,
// the next clipboard change waits.
#include "capture/stowthread.h"
#include "capture/stretch.h"
#include "capture/thumbnail.h"
#include "fakeplatform.h"
#include "ui/svxform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A desktop-like screenshot: panels, text-like strokes, a gradient.
QImage Screenshot(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, w, h);
    gradient.setColorAt(0, QColor(30, 60, 110));
    gradient.setColorAt(1, QColor(200, 210, 230));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 12; ++i) {
        const QRect window(i * w / 16, i * h / 20, w / 3, h / 3);
        painter.fillRect(window, QColor(240, 240, 240));
        painter.fillRect(window.adjusted(0, 0, 0, -window.height() + 24), QColor(50, 90, 160));
        for (int line = 40; line < window.height() - 10; line += 18)
            painter.fillRect(window.left() + 10, window.top() + line,
                             window.width() / 2 + line % 97, 3, QColor(20, 20, 20));
    }
    return image;
}

void RunUntilSavesComplete(TSVXForm& form) {
    while (form.RunningSaves > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

// From the change notice to the started save, for BMP output without scaling and with the
// window's scaling to 1280x1024 (shrinking, keeping the aspect ratio).
void CaptureOnGuiThread(benchmark::State& state) {
    const bool scale = state.range(0) != 0;
    TFakePlatform platform;
    QTemporaryDir output;
    TSVXForm form({});
    form.OutputDirEdit->setText(output.path());
    form.BitmapOut->setChecked(true);
    form.OptActivate->setChecked(true);
    if (scale) {
        form.OptResizeTo->setCurrentIndex(5);
        form.OptResizeDown->setChecked(true);
        form.OptAR->setChecked(true);
        form.OptARShr->setChecked(true);
    }
    const QImage shot = Screenshot(3840, 2160);
    platform.Clipboard.OfferImage = true;
    platform.Clipboard.Image = shot;
    for (auto _ : state) {
        emit platform.Clipboard.DrawClipboard(); // the capture runs inside this call
        state.PauseTiming();
        RunUntilSavesComplete(form);
        for (const QString& name : QDir(output.path()).entryList(QDir::Files))
            QFile::remove(output.filePath(name));
        state.ResumeTiming();
    }
}
BENCHMARK(CaptureOnGuiThread)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void Stretch3840x2160To1280x1024(benchmark::State& state) {
    const QImage shot = Screenshot(3840, 2160);
    for (auto _ : state)
        benchmark::DoNotOptimize(StretchInto(shot, {1280, 1024}, false, false));
}
BENCHMARK(Stretch3840x2160To1280x1024)->Unit(benchmark::kMillisecond);

void Thumbnail3840x2160(benchmark::State& state) {
    const QImage shot = Screenshot(3840, 2160);
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeThumbnail(shot, {209, 161}));
}
BENCHMARK(Thumbnail3840x2160)->Unit(benchmark::kMillisecond);

// The save thread's work for one 3840x2160 capture: the conversion to the display's pixel format
// and the encoder, for BMP and PNG output on displays of 32, 24 and 16 bits.
void SaveCaptured(benchmark::State& state) {
    const QImage shot = Screenshot(3840, 2160);
    QTemporaryDir output;
    const QString path = output.filePath(QStringLiteral("shot"));
    for (auto _ : state) {
        TSaveJob job;
        job.FileName = path;
        job.Format = state.range(0) == 0 ? TSaveFormat::sfBMP : TSaveFormat::sfPNG;
        job.Bitmap = shot;
        job.JPEG = std::make_unique<TJPEGImage>();
        job.DisplayDepth = int(state.range(1));
        SaveImage(job);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(SaveCaptured)
    ->ArgsProduct({{0, 1}, {32, 24, 16}})
    ->ArgNames({"png", "bits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
