// Our PNG writer against ImageMagick's convert on screenshot-like pictures.
//
// For each picture: TPNGImage::SavePNGFile to a file, and /usr/bin/convert turning the same
// picture (as a PPM file) into a PNG file. convert's time includes its process start-up, so its
// time on a 1x1 picture is measured too. At the end the ratios ours / convert are printed, by
// elapsed time and by CPU time (ours: this process; convert: the child's user + system time),
// which stays comparable when other work shares the machine.

#include "codecs/ngimage.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

void FillRect(QImage& image, int left, int top, int width, int height, QRgb color) {
    const int right = std::min(image.width(), left + width);
    const int bottom = std::min(image.height(), top + height);
    for (int y = std::max(0, top); y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = std::max(0, left); x < right; ++x)
            line[x] = color;
    }
}

// Lines of glyph-like marks: each glyph cell gets a few short strokes, words are separated by
// blank cells.
void DrawText(QImage& image, int left, int top, int width, int height, QRgb ink,
              std::mt19937& random) {
    constexpr int CellWidth = 7;
    constexpr int CellHeight = 13;
    for (int y = top + 3; y + CellHeight <= top + height; y += CellHeight + 4) {
        int x = left + 4;
        const int lineEnd = left + width - 4 - int(random() % std::max(1, width / 3));
        while (x + CellWidth <= lineEnd) {
            const int word = 2 + int(random() % 8);
            for (int c = 0; c < word && x + CellWidth <= lineEnd; ++c, x += CellWidth) {
                const int strokes = 2 + int(random() % 3);
                for (int s = 0; s < strokes; ++s) {
                    if (random() % 2)
                        FillRect(image, x + int(random() % 5), y + 2 + int(random() % 3), 1,
                                 5 + int(random() % 5), ink);
                    else
                        FillRect(image, x + int(random() % 2), y + 3 + int(random() % 8),
                                 2 + int(random() % 4), 1, ink);
                }
            }
            x += CellWidth;
        }
    }
}

// Desktop with windows: title bars, borders, buttons, text. `colors` distinct colours in all.
QImage ScreenImage(int width, int height, int colors, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<QRgb> palette;
    while (int(palette.size()) < colors) {
        const QRgb c = qRgb(int(random() % 256), int(random() % 256), int(random() % 256));
        if (std::find(palette.begin(), palette.end(), c) == palette.end())
            palette.push_back(c);
    }
    auto pick = [&] { return palette[random() % palette.size()]; };
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(palette[0]);
    // Use every colour at least once, in a strip along the bottom.
    for (int i = 0; i < colors; ++i)
        FillRect(image, (i * 4) % width, height - 4 - 4 * ((i * 4) / width), 4, 4,
                 palette[std::size_t(i)]);
    const int windows = 6 + width / 400;
    for (int w = 0; w < windows; ++w) {
        const int ww = width / 4 + int(random() % (width / 3));
        const int wh = height / 4 + int(random() % (height / 3));
        const int wx = int(random() % (width - ww));
        const int wy = int(random() % (height - wh - 8));
        const QRgb face = pick();
        FillRect(image, wx, wy, ww, wh, pick());               // border
        FillRect(image, wx + 1, wy + 1, ww - 2, wh - 2, face); // client area
        FillRect(image, wx + 1, wy + 1, ww - 2, 22, pick());   // title bar
        DrawText(image, wx + 4, wy + 4, ww / 2, 16, pick(), random);
        for (int b = 0; b < 3; ++b) // caption buttons
            FillRect(image, wx + ww - 20 * (b + 1), wy + 4, 16, 14, pick());
        FillRect(image, wx + 1, wy + 24, ww - 2, 20, pick()); // menu / tool bar
        DrawText(image, wx + 6, wy + 50, ww - 12, wh - 60, pick(), random);
        for (int b = 0; b < 2; ++b) // dialog buttons
            FillRect(image, wx + ww - 90 * (b + 1), wy + wh - 30, 80, 22, pick());
    }
    return image;
}

// Smooth gradients with sensor-like noise: thousands of colours.
QImage PhotoImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            const double v = double(y) / height;
            auto channel = [&](double base) {
                return std::clamp(int(base) + int(random() % 7) - 3, 0, 255);
            };
            line[x] = qRgb(channel(128 + 100 * std::sin(3 * u + 2 * v)),
                           channel(128 + 90 * std::cos(2 * u - 4 * v)),
                           channel(100 + 80 * std::sin(5 * u * v + 1)));
        }
    }
    return image;
}

// Black text on a white page.
QImage DocumentImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    DrawText(image, width / 8, height / 12, width * 3 / 4, height * 5 / 6, qRgb(0, 0, 0), random);
    return image;
}

struct TPicture {
    std::string Name;
    QImage Image;
};

const std::vector<TPicture>& Pictures() {
    static const std::vector<TPicture> pictures = {
        {"document_1920x1080_2colors", DocumentImage(1920, 1080, 4)},
        {"screen_1920x1080_4colors", ScreenImage(1920, 1080, 4, 5)},
        {"screen_1920x1080_16colors", ScreenImage(1920, 1080, 16, 6)},
        {"screen_1920x1080_40colors", ScreenImage(1920, 1080, 40, 1)},
        {"screen_3840x2160_300colors", ScreenImage(3840, 2160, 300, 2)},
        {"photo_1920x1080", PhotoImage(1920, 1080, 3)},
    };
    return pictures;
}

QTemporaryDir& WorkDir() {
    static QTemporaryDir dir;
    return dir;
}

QString PPMFile(const TPicture& picture) {
    const QString path = WorkDir().filePath(QString::fromStdString(picture.Name) + ".ppm");
    if (!QFile::exists(path))
        picture.Image.convertToFormat(QImage::Format_RGB888).save(path, "PPM");
    return path;
}

struct TTimes {
    double Elapsed = 0; // seconds per iteration
    double CPU = 0;
};

// Mean times per iteration, by benchmark name.
std::map<std::string, TTimes>& Times() {
    static std::map<std::string, TTimes> times;
    return times;
}

double ProcessCPU() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double ChildrenCPU() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Sums elapsed and CPU time over the timed sections of a benchmark.
class TStopwatch {
public:
    explicit TStopwatch(double (*cpuClock)()) : FCPUClock(cpuClock) {}
    void Start() {
        FStart = std::chrono::steady_clock::now();
        FCPUStart = FCPUClock();
    }
    void Stop() {
        FElapsed +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
        FCPU += FCPUClock() - FCPUStart;
    }
    void Record(const std::string& name, const benchmark::State& state) const {
        const double n = double(std::max<benchmark::IterationCount>(1, state.iterations()));
        Times()[name] = {FElapsed / n, FCPU / n};
    }

private:
    double (*FCPUClock)();
    std::chrono::steady_clock::time_point FStart;
    double FCPUStart = 0;
    double FElapsed = 0;
    double FCPU = 0;
};

void BM_OurWriter(benchmark::State& state, std::size_t index) {
    const TPicture& picture = Pictures()[index];
    const QString target = WorkDir().filePath(QString::fromStdString(picture.Name) + "_ours.png");
    TStopwatch watch(ProcessCPU);
    for (auto _ : state) {
        watch.Start();
        TPNGImage png;
        png.Assign(picture.Image);
        png.SavePNGFile(target);
        watch.Stop();
    }
    state.counters["bytes"] = double(QFileInfo(target).size());
    watch.Record("ours/" + picture.Name, state);
}

bool RunConvert(const QString& input, const QString& output, const QStringList& options = {}) {
    QProcess convert;
    convert.start(QStringLiteral("/usr/bin/convert"),
                  QStringList{input} + options + QStringList{output});
    return convert.waitForFinished(-1) && convert.exitCode() == 0;
}

// convert with its defaults (zlib level 7 and its own filter choice), or with `options`.
void BM_Convert(benchmark::State& state, std::size_t index, const char* key,
                const QStringList& options) {
    const TPicture& picture = Pictures()[index];
    const QString input = PPMFile(picture);
    const QString target =
        WorkDir().filePath(QString::fromStdString(picture.Name) + "_" + key + ".png");
    TStopwatch watch(ChildrenCPU);
    for (auto _ : state) {
        watch.Start();
        const bool ok = RunConvert(input, target, options);
        watch.Stop();
        if (!ok) {
            state.SkipWithError("convert failed");
            return;
        }
    }
    state.counters["bytes"] = double(QFileInfo(target).size());
    watch.Record(std::string(key) + "/" + picture.Name, state);
}

// convert on a 1x1 picture: mostly process start-up.
void BM_ConvertStartUp(benchmark::State& state) {
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(qRgb(10, 20, 30));
    const TPicture tiny{"tiny_1x1", pixel};
    const QString input = PPMFile(tiny);
    const QString target = WorkDir().filePath(QStringLiteral("tiny_convert.png"));
    TStopwatch watch(ChildrenCPU);
    for (auto _ : state) {
        watch.Start();
        const bool ok = RunConvert(input, target);
        watch.Stop();
        if (!ok) {
            state.SkipWithError("convert failed");
            return;
        }
    }
    watch.Record("convert/startup", state);
}

void RegisterAll() {
    for (std::size_t i = 0; i < Pictures().size(); ++i) {
        const std::string& name = Pictures()[i].Name;
        benchmark::RegisterBenchmark(("Ours/" + name).c_str(), BM_OurWriter, i)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("Convert/" + name).c_str(), BM_Convert, i, "convert",
                                     QStringList())
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        // The same compression effort as ours: zlib level 9, no row filter.
        benchmark::RegisterBenchmark(("ConvertLevel9/" + name).c_str(), BM_Convert, i, "convert9",
                                     QStringList{"-quality", "90"})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("Convert/startup_1x1", BM_ConvertStartUp)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

void PrintRatios() {
    const TTimes startUp = Times().count("convert/startup") ? Times()["convert/startup"] : TTimes{};
    std::printf("\nconvert start-up (1x1 picture): %.1f ms elapsed, %.1f ms CPU\n",
                startUp.Elapsed * 1000, startUp.CPU * 1000);
    std::printf("%-28s %21s %21s %15s %15s\n", "", "ours ms", "convert ms", "ratio",
                "ratio w/o start");
    std::printf("%-28s %10s %10s %10s %10s %7s %7s %7s %7s\n", "picture", "elapsed", "CPU",
                "elapsed", "CPU", "elapsed", "CPU", "elapsed", "CPU");
    for (const TPicture& picture : Pictures()) {
        const auto ours = Times().find("ours/" + picture.Name);
        const auto theirs = Times().find("convert/" + picture.Name);
        if (ours == Times().end() || theirs == Times().end())
            continue;
        const TTimes& a = ours->second;
        const TTimes& b = theirs->second;
        std::printf("%-28s %10.1f %10.1f %10.1f %10.1f %7.2f %7.2f %7.2f %7.2f\n",
                    picture.Name.c_str(), a.Elapsed * 1000, a.CPU * 1000, b.Elapsed * 1000,
                    b.CPU * 1000, a.Elapsed / b.Elapsed, a.CPU / std::max(1e-9, b.CPU),
                    a.Elapsed / std::max(1e-9, b.Elapsed - startUp.Elapsed),
                    a.CPU / std::max(1e-9, b.CPU - startUp.CPU));
    }
    std::printf("\nagainst convert -quality 90 (zlib level 9, no filter, as ours)\n");
    std::printf("%-28s %21s %21s %15s\n", "", "ours ms", "convert ms", "ratio");
    std::printf("%-28s %10s %10s %10s %10s %7s %7s\n", "picture", "elapsed", "CPU", "elapsed",
                "CPU", "elapsed", "CPU");
    for (const TPicture& picture : Pictures()) {
        const auto ours = Times().find("ours/" + picture.Name);
        const auto theirs = Times().find("convert9/" + picture.Name);
        if (ours == Times().end() || theirs == Times().end())
            continue;
        const TTimes& a = ours->second;
        const TTimes& b = theirs->second;
        std::printf("%-28s %10.1f %10.1f %10.1f %10.1f %7.2f %7.2f\n", picture.Name.c_str(),
                    a.Elapsed * 1000, a.CPU * 1000, b.Elapsed * 1000, b.CPU * 1000,
                    a.Elapsed / b.Elapsed, a.CPU / std::max(1e-9, b.CPU));
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
