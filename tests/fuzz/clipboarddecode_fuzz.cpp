// Arbitrary bytes from the clipboard, read by the reader their signature names: decoding must
// neither crash, hang nor allocate beyond its bounds. Built for libFuzzer when the compiler has
// it; otherwise a deterministic mutation loop over the seed files stands in.
#include "platform/clipboard/clipboarddecode.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)DecodeClipboardImage(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}

#ifdef SVX_FUZZ_MUTATION_LOOP
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <random>

// clipboarddecode_fuzz [-max_total_time=SECONDS] SEED_DIRECTORY...
int main(int argc, char** argv) {
    int seconds = 60;
    QList<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) {
            seconds = std::atoi(argv[i] + 16);
            continue;
        }
        const QDir folder(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : folder.entryList(QDir::Files)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                seeds << file.readAll();
        }
    }
    if (seeds.isEmpty())
        seeds << QByteArray(64, '\0');
    std::mt19937 random(12345); // the same run every time
    QElapsedTimer clock;
    clock.start();
    long runs = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        QByteArray input = seeds[random() % seeds.size()];
        // A few changes of the kinds that trip decoders: flipped bytes, sizes in headers made
        // large, a file cut short.
        for (int changes = 1 + random() % 4; changes > 0 && !input.isEmpty(); --changes) {
            const qsizetype at = random() % input.size();
            switch (random() % 4) {
            case 0:
                input[at] = char(input[at] ^ (1 << (random() % 8)));
                break;
            case 1:
                if (at + 4 <= input.size())
                    qToBigEndian<quint32>(quint32(random()), input.data() + at);
                break;
            case 2:
                input.truncate(at);
                break;
            default:
                input[at] = char(0xff);
                break;
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
        ++runs;
    }
    std::printf("clipboard decoding: %ld inputs in %d s, no fault\n", runs, seconds);
    return 0;
}
#endif
