// What choosing the next file name costs the GUI thread, against the number of numbered files
// already in the output folder, beside the search that probed every number from the start.
#include "capture/filenaming.h"
#include "platform/files/fileprobe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

// 7 digits, the widest the window offers: no widening in the way.
constexpr int Digits = 7;

// A folder holding SVX0000001.jpg up to the count, made once per count for every benchmark.
const QTemporaryDir& FolderWith(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        for (int i = 1; i <= count; ++i) {
            const QString name = "SVX" + FormatNumber(i, Digits) + ".jpg";
            const int file = ::open(QFile::encodeName(folder->filePath(name)).constData(),
                                    O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (file >= 0)
                ::close(file);
        }
    }
    return *folder;
}

TNameSearch SearchIn(const QTemporaryDir& folder) {
    TNameSearch search;
    search.Directory = folder.path() + '/';
    search.BaseName = QStringLiteral("SVX");
    search.Extension = QStringLiteral(".jpg");
    search.Digits = Digits;
    search.Automatic = true;
    search.Taken = [](const QString& path) { return FileProbe(path); };
    return search;
}

void Check(benchmark::State& state, const QString& name) {
    if (name != "SVX" + FormatNumber(state.range(0) + 1, Digits) + ".jpg")
        state.SkipWithError("wrong name");
}

// The search as it was: one probe per number from the start until one is free.
void NamingProbingEveryNumber(benchmark::State& state) {
    const TNameSearch search = SearchIn(FolderWith(int(state.range(0))));
    QString name;
    for (auto _ : state) {
        for (qint64 k = 1;; ++k) {
            name = search.BaseName + FormatNumber(k, Digits) + search.Extension;
            if (!search.Taken(search.Directory + name))
                break;
        }
        benchmark::DoNotOptimize(name);
    }
    Check(state, name);
}
BENCHMARK(NamingProbingEveryNumber)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

void NamingSearch(benchmark::State& state) {
    const TNameSearch search = SearchIn(FolderWith(int(state.range(0))));
    QString name;
    for (auto _ : state) {
        name = SearchFileName(search).FileName;
        benchmark::DoNotOptimize(name);
    }
    Check(state, name);
}
BENCHMARK(NamingSearch)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
