// Damaged and hostile settings files against the real reader: every input ends fully read or on
// the first-run path with the factory values, never in a crash, a hang or a huge allocation.
// Built as a libFuzzer target where the compiler has it; otherwise main() below mutates valid
// files deterministically for a bounded time.
#include "formfixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

const QString FirstRunText =
    QStringLiteral("Looks like the first run. Assuming default settings; please check.");

struct TTarget {
    TFormUnderTest Window{TFormUnderTest::TStart::AsFirstRun};
};

TTarget& Target() {
    static TTarget* target = [] {
        static int argc = 1;
        static char name[] = "settings_fuzz";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv); // lives for the whole run
        return new TTarget;
    }();
    return *target;
}

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "settings_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTarget& target = Target();
    TSVXForm& form = *target.Window.Form;
    TFormUnderTest::StoreSettings(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QList<TBoxRequest>& boxes = target.Window.Platform.Boxes.Shown;
    boxes.clear();
    form.FirstRun = 0;
    form.ReadSettings();
    // Values read may make the window speak up on their own (an empty output folder, say); what
    // counts is that the greeting comes exactly when the file was refused.
    const bool greeted =
        std::ranges::any_of(boxes, [](const TBoxRequest& box) { return box.Text == FirstRunText; });
    Check(greeted == (form.FirstRun == 1), "greeting and first run disagree");
    if (greeted) {
        Check(form.NameEdit->text() == QStringLiteral("SVX") && form.JpgOut->isChecked() &&
                  form.OptDigitAuto->isChecked(),
              "factory values not in force after a damaged file");
    }
    return 0;
}

#ifndef SVX_LIBFUZZER
namespace {

// Valid files to start from: the factory values, and a window with every box checked, other
// choices, long texts and the ends of every range.
QList<QByteArray> Seeds() {
    TSVXForm& form = *Target().Window.Form;
    QList<QByteArray> seeds{form.SettingsBytes()};
    form.PngOut->setChecked(true);
    form.OptDigit->setChecked(true);
    form.OutputDirEdit->setText(QString(300, QLatin1Char('o')));
    form.Beep1FileName->setText(QString());
    seeds.append(form.SettingsBytes());
    return seeds;
}

QByteArray Mutate(QByteArray bytes, std::mt19937& random) {
    static const char interesting[] = {0,  1,  2,  3,    4,          6,          7,         9,
                                       12, 14, 18, 0x7F, char(0x80), char(0xF2), char(0xFF)};
    const int steps = 1 + int(random() % 4);
    for (int step = 0; step < steps && !bytes.isEmpty(); ++step) {
        const qsizetype at = qsizetype(random() % quint32(bytes.size()));
        switch (random() % 6) {
        case 0:
            bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
            break;
        case 1:
            bytes[at] = interesting[random() % sizeof interesting];
            break;
        case 2:
            bytes.truncate(at);
            break;
        case 3:
            bytes.remove(at, qsizetype(1 + random() % 16));
            break;
        case 4:
            bytes.insert(at, bytes.mid(qsizetype(random() % quint32(bytes.size())), 8));
            break;
        default:
            bytes.insert(at, char(random()));
            break;
        }
    }
    return bytes;
}

} // namespace

// Usage: settings_fuzz [seconds]  (default 30)
int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const QList<QByteArray> seeds = Seeds();
    std::mt19937 random(20261207);
    QElapsedTimer clock;
    clock.start();
    long inputs = 0;
    long damaged = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const QByteArray input = Mutate(seeds[inputs % seeds.size()], random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               size_t(input.size()));
        damaged += Target().Window.Form->FirstRun;
        ++inputs;
    }
    std::printf("settings_fuzz: %ld inputs in %d s, %ld taken as damaged\n", inputs, seconds,
                damaged);
    std::fflush(stdout);
    // The window's own teardown is not under test; end without it.
    std::_Exit(inputs > 0 ? 0 : 1);
}
#endif
