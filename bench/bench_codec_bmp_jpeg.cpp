// Writing speed of the BMP writer and the JPEG encoder against their natural baselines:
//   BMP:  saving a picture vs. writing the same number of bytes to a file with one write;
//   JPEG: TJPEGImage::SaveToFile vs. libjpeg driven the way cjpeg drives it (RGB rows, a stdio
//         destination), plus one real cjpeg process on the same picture as a PPM file.
// The ratios are printed after the usual table, from wall-clock times and, where both sides run
// in this thread, from CPU times too (a cjpeg process's CPU time is its own, not ours). Files go
// to /tmp and are removed at the end.

#include "codecs/bmpwriter.h"
#include "codecs/filestream.h"
#include "codecs/jpegimage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

const QString TargetFile =
    QStringLiteral("/tmp/bench_codec_bmp_jpeg_%1.out").arg(QCoreApplication::applicationPid());
const QString PpmFile =
    QStringLiteral("/tmp/bench_codec_bmp_jpeg_%1.ppm").arg(QCoreApplication::applicationPid());

// Windows on a desktop: title bars, flat panels, lines of small dark strokes (text), a few
// coloured icons.
QImage MakeScreenshot(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(0, 90, 140)); // desktop
    std::mt19937 random(7);
    for (int window = 0; window < 6; ++window) {
        const int left = int(random() % unsigned(width / 2)),
                  top = int(random() % unsigned(height / 2));
        const int right = std::min(width, left + width / 3 + int(random() % unsigned(width / 3)));
        const int bottom =
            std::min(height, top + height / 3 + int(random() % unsigned(height / 3)));
        for (int y = top; y < bottom; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const bool titleBar = y < top + 24;
            const bool textLine = !titleBar && (y - top) % 18 >= 6 && (y - top) % 18 < 15;
            for (int x = left; x < right; ++x) {
                QRgb color = titleBar ? qRgb(50, 70, 150) : qRgb(246, 246, 246);
                if (textLine && x > left + 8 && (random() & 3) == 0)
                    color = qRgb(30, 30, 30);
                else if (!titleBar && (x - left) % 200 < 32 && (y - top) % 120 < 32)
                    color = qRgb((x * 7) & 255, (y * 5) & 255, 128); // icon
                line[x] = color;
            }
        }
    }
    return image;
}

// Smooth shapes with sensor noise: little that compresses away.
QImage MakePhoto(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(11);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random() % 17) - 8;
            const double fx = double(x) / width, fy = double(y) / height;
            const int r = int(128 + 100 * std::sin(6 * fx + 2 * fy)) + noise;
            const int g = int(128 + 90 * std::cos(4 * fy - 3 * fx)) + noise;
            const int b = int(128 + 80 * std::sin(9 * fx * fy)) + noise;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

const QImage& Picture(bool photo, int width, int height, QImage::Format format) {
    static std::map<std::tuple<bool, int, int, int>, QImage> cache;
    QImage& image = cache[{photo, width, height, int(format)}];
    if (image.isNull())
        image = (photo ? MakePhoto(width, height) : MakeScreenshot(width, height))
                    .convertToFormat(format);
    return image;
}

// The program writes every capture to a new file, never over an old one: the previous output is
// removed untimed, so no iteration pays for truncating the one before.
void StartWithoutTarget(benchmark::State& state) {
    state.PauseTiming();
    QFile::remove(TargetFile);
    state.ResumeTiming();
}

// ---- BMP -----------------------------------------------------------------------------------

void BmpSave(benchmark::State& state) {
    const auto format = state.range(2) == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    const QImage& image = Picture(false, int(state.range(0)), int(state.range(1)), format);
    for (auto _ : state) {
        StartWithoutTarget(state);
        SaveBitmapToFile(image, TargetFile);
    }
    state.SetBytesProcessed(state.iterations() * EncodeBitmap(image).size());
}

void RawWrite(benchmark::State& state) {
    const qint64 rowSize = (state.range(0) * state.range(2) + 31) / 32 * 4;
    const qint64 headers = 54;
    const std::vector<char> bytes(size_t(headers + rowSize * state.range(1)), 'x');
    for (auto _ : state) {
        StartWithoutTarget(state);
        TFileStream stream(TargetFile);
        stream.WriteBuffer(bytes.data(), bytes.size());
        stream.Commit();
    }
    state.SetBytesProcessed(state.iterations() * qint64(bytes.size()));
}

// ---- JPEG ----------------------------------------------------------------------------------

// The display formats a capture arrives in: 32 and 24 bits are fed to libjpeg as they are,
// 16 bits (5-5-5) are converted a band of rows at a time.
QImage::Format HeldFormat(int64_t bits) {
    return bits == 24   ? QImage::Format_BGR888
           : bits == 16 ? QImage::Format_RGB555
                        : QImage::Format_RGB32;
}

struct TJpegCase {
    bool Photo;
    int Quality;
    bool Progressive;
};

TJpegCase JpegCase(const benchmark::State& state) {
    return {state.range(0) != 0, int(state.range(1)), state.range(2) != 0};
}

void JpegOurs(benchmark::State& state) {
    const TJpegCase c = JpegCase(state);
    const QImage& image = Picture(c.Photo, 1920, 1080, HeldFormat(state.range(3)));
    for (auto _ : state) {
        StartWithoutTarget(state);
        TJPEGImage jpeg;
        jpeg.CompressionQuality = c.Quality;
        jpeg.ProgressiveEncoding = c.Progressive;
        jpeg.Assign(image);
        jpeg.SaveToFile(TargetFile);
    }
}

// libjpeg as cjpeg uses it: red-green-blue rows, libjpeg's own error handler, a stdio file.
void JpegLikeCjpeg(benchmark::State& state) {
    const TJpegCase c = JpegCase(state);
    const QImage& rgb = Picture(c.Photo, 1920, 1080, QImage::Format_RGB888);
    const QByteArray target = TargetFile.toLocal8Bit();
    for (auto _ : state) {
        StartWithoutTarget(state);
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_compress(&cinfo);
        FILE* file = std::fopen(target.constData(), "wb");
        jpeg_stdio_dest(&cinfo, file);
        cinfo.image_width = JDIMENSION(rgb.width());
        cinfo.image_height = JDIMENSION(rgb.height());
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, c.Quality, FALSE);
        if (c.Progressive)
            jpeg_simple_progression(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
    }
}

void WritePpm(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QFile file(PpmFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(QStringLiteral("P6\n%1 %2\n255\n").arg(rgb.width()).arg(rgb.height()).toLatin1());
    for (int y = 0; y < rgb.height(); ++y)
        file.write(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
}

// The real program, start-up and PPM reading included.
void JpegCjpegProcess(benchmark::State& state) {
    const TJpegCase c = JpegCase(state);
    WritePpm(Picture(c.Photo, 1920, 1080, QImage::Format_RGB32));
    QStringList arguments = {"-quality", QString::number(c.Quality)};
    if (c.Progressive)
        arguments << "-progressive";
    arguments << "-outfile" << TargetFile << PpmFile;
    for (auto _ : state) {
        StartWithoutTarget(state);
        QProcess process;
        process.start(QStringLiteral("/usr/bin/cjpeg"), arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("cjpeg failed");
            break;
        }
    }
}

void JpegArguments(benchmark::internal::Benchmark* b, bool withFormat) {
    for (const int photo : {0, 1})
        for (const int quality : {90, 100})
            for (const int progressive : {0, 1}) {
                if (!withFormat) {
                    b->Args({photo, quality, progressive});
                    continue;
                }
                b->Args({photo, quality, progressive, 32});
                if (quality == 90 && progressive == 0)
                    b->Args({photo, quality, progressive, 24})
                        ->Args({photo, quality, progressive, 16});
            }
    b->ArgNames(withFormat ? std::vector<std::string>{"photo", "q", "prog", "bits"}
                           : std::vector<std::string>{"photo", "q", "prog"});
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
}

void BmpArguments(benchmark::internal::Benchmark* b) {
    for (const auto& size : {std::pair{1920, 1080}, std::pair{3840, 2160}})
        for (const int bits : {24, 32})
            b->Args({size.first, size.second, bits});
    b->ArgNames({"w", "h", "bits"})->Unit(benchmark::kMillisecond)->UseRealTime();
    // Writing into the page cache varies a lot from run to run on a busy machine.
    b->Repetitions(7)->ReportAggregatesOnly(true);
}

BENCHMARK(BmpSave)->Apply(BmpArguments);
BENCHMARK(RawWrite)->Apply(BmpArguments);
BENCHMARK(JpegOurs)->Apply([](auto* b) { JpegArguments(b, true); });
BENCHMARK(JpegLikeCjpeg)->Apply([](auto* b) { JpegArguments(b, false); });
BENCHMARK(JpegCjpegProcess)->Apply([](auto* b) { JpegArguments(b, false); }) -> Iterations(5);

// The parts of a run's name that identify the picture and settings: "photo:1/q:90/prog:0".
// Run options (real time, iteration count) are left out, and so is the input format when
// dropBits is set, so runs of different benchmarks on the same case share a key.
std::string CaseKey(const std::string& name, bool dropBits) {
    std::string key;
    size_t start = name.find('/');
    while (start != std::string::npos) {
        const size_t end = name.find('/', start + 1);
        const std::string part = name.substr(start + 1, end - start - 1);
        const bool option = part == "real_time" || part.rfind("iterations:", 0) == 0 ||
                            part.rfind("repeats:", 0) == 0 ||
                            (dropBits && part.rfind("bits:", 0) == 0);
        if (!option)
            key += (key.empty() ? "" : "/") + part;
        start = end;
    }
    return key;
}

// Keeps every run's time per iteration, by benchmark and case, for the ratios.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    struct TResult {
        std::string Family, Case;
        double Time;    // wall clock
        double CpuTime; // this thread's, kernel time included: steadier on a busy machine
    };
    std::vector<TResult> Results;

    // With repetitions, the median stands for the case; otherwise the single run does, unless it
    // stopped with an error: such a run is reported without any measured time.
    void ReportRuns(const std::vector<Run>& runs) override {
        const bool repeated = std::any_of(runs.begin(), runs.end(), [](const Run& run) {
            return run.run_type == Run::RT_Aggregate;
        });
        for (const Run& run : runs) {
            const bool wanted =
                repeated ? run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"
                         : run.real_accumulated_time > 0;
            if (wanted) {
                const std::string name = run.run_name.str();
                Results.push_back({name.substr(0, name.find('/')), name, run.GetAdjustedRealTime(),
                                   run.GetAdjustedCPUTime()});
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const TResult* Find(const std::string& family, const std::string& key, bool dropBits) const {
        for (const TResult& result : Results)
            if (result.Family == family && CaseKey(result.Case, dropBits) == key)
                return &result;
        return nullptr;
    }

    void PrintRatios() const {
        std::printf("\nRatios (lower is better):\n");
        for (const TResult& result : Results) {
            if (result.Family == "BmpSave") {
                const std::string key = CaseKey(result.Case, false);
                if (const TResult* raw = Find("RawWrite", key, false))
                    std::printf("  BMP  %-28s save / one raw write of the same size = %.2f"
                                " (CPU time %.2f)\n",
                                key.c_str(), result.Time / raw->Time,
                                result.CpuTime / raw->CpuTime);
            } else if (result.Family == "JpegOurs") {
                const std::string key = CaseKey(result.Case, true);
                std::printf("  JPEG %-28s", CaseKey(result.Case, false).c_str());
                if (const TResult* like = Find("JpegLikeCjpeg", key, true))
                    std::printf("  ours / libjpeg as cjpeg uses it = %.2f (CPU time %.2f)",
                                result.Time / like->Time, result.CpuTime / like->CpuTime);
                if (const TResult* process = Find("JpegCjpegProcess", key, true))
                    std::printf("  ours / cjpeg process = %.2f", result.Time / process->Time);
                std::printf("\n");
            }
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    QFile::remove(TargetFile);
    QFile::remove(PpmFile);
    reporter.PrintRatios();
    return 0;
}
