// What other programs on the desktop and other users of a shared folder can do to the program:
// offer garbage without end, or put links, FIFOs and files at the name a save is about to take.
#include "e2efixture.h"
#include "formlayout.h"
#include "imagechecks.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Noise compresses slowly and hardly at all: a PNG save of it takes long enough for another
// program to act between the choice of the name and the creation of the file.
QImage SlowToCompress(int width, int height, unsigned seed) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

} // namespace

class HostileTest : public TE2ETest {};

// Each kind of thing is planted at the name of the save that is compressing, after the name was
// chosen: the save takes the next number, writes through no link, does not hang on the FIFO and
// overwrites nothing.
TEST_F(HostileTest, ThingsPlantedAtTheChosenNameAreLeftAloneAndTheNextNumberTaken) {
    const TWindow window = StartWithWindow().Window;
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("PngOut")));
    // The start sound is a FIFO: opening it holds the program between the choice of the name and
    // the start of the save until this test has planted its thing.
    const QString gate = Sandbox().PathOf(QStringLiteral("gate.wav"));
    ASSERT_EQ(mkfifo(QFile::encodeName(gate).constData(), 0600), 0);
    ASSERT_TRUE(SetChecked(window, QStringLiteral("BeepWav"), true));
    ASSERT_TRUE(SetChecked(window, QStringLiteral("OptBeep1"), true));
    ASSERT_TRUE(TypeInto(window, QStringLiteral("Beep1FileName"), gate));
    ASSERT_TRUE(SetActive(window, true));
    const QString victim = Sandbox().PathOf(QStringLiteral("victim.txt"));
    ASSERT_TRUE(WriteAll(victim, "the victim's own"));
    struct TCase {
        const char* Kind;
        std::function<bool(const QString&)> Plant;
        std::function<bool(const QString&)> Intact;
    };
    const QList<TCase> cases{
        {"symlink", [&](const QString& at) { return QFile::link(victim, at); },
         [&](const QString& at) {
             return QFileInfo(at).isSymLink() && ReadAll(victim) == "the victim's own";
         }},
        {"fifo",
         [](const QString& at) { return mkfifo(QFile::encodeName(at).constData(), 0600) == 0; },
         [](const QString& at) {
             struct stat info {};
             return lstat(QFile::encodeName(at).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
         }},
        {"file",
         [](const QString& at) {
             QFile file(at);
             return file.open(QIODevice::NewOnly) && file.write("theirs") == 6;
         },
         [](const QString& at) { return ReadAll(at) == "theirs"; }}};
    for (int i = 0; i < cases.size(); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(c.Kind);
        const QImage copied = SlowToCompress(2400, 2000, unsigned(i + 1));
        ASSERT_TRUE(CopyImage(copied));
        // The program opens its start sound once the name is chosen; the file is made only after
        // the compression. Planted in that gap, the thing is found only by the file's creation.
        int writer = -1;
        ASSERT_TRUE(WaitUntil(
            [&] {
                writer = ::open(QFile::encodeName(gate).constData(), O_WRONLY | O_NONBLOCK);
                return writer >= 0;
            },
            30000))
            << "the program never opened its start sound";
        const QString planted = Home() + QStringLiteral("/SV%1.png").arg(2 * i, 4, 10, QChar('0'));
        const bool plantedOk = c.Plant(planted);
        // Not a sound: the program goes on with the system sound instead.
        ::close(writer);
        ASSERT_TRUE(plantedOk);
        const QString next = Home() + QStringLiteral("/SV%1.png").arg(2 * i + 1, 4, 10, QChar('0'));
        const QImage saved = WaitForImageFile(next, 30000);
        EXPECT_TRUE(SamePixels(copied, saved));
        EXPECT_TRUE(c.Intact(planted));
    }
}

// A loop of garbage offers while the first error box is open: one box, and a good copy among
// them is still saved.
TEST_F(HostileTest, FloodOfGarbageOffersOpensOneBox) {
    const auto [program, window] = StartWithWindow();
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
    ASSERT_TRUE(SetActive(window, true));
    const QString garbage = Sandbox().PathOf(QStringLiteral("garbage.png"));
    ASSERT_TRUE(WriteAll(garbage, QByteArray(4096, '\x5A')));
    const QSize formSize = TFormLayout::Get().FormSize();
    auto boxes = [&] {
        int count = 0;
        for (const TWindow& shown : Desktop().WindowsOf(program->Pid()))
            count += shown.Geometry.size() != formSize ? 1 : 0;
        return count;
    };
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(Clipboard().CopyImageAndWaitForFetch(garbage)) << i;
    const QImage good = PatternImage(90, 70, 5);
    ASSERT_TRUE(CopyImage(good));
    EXPECT_TRUE(SamePixels(good, WaitForImageFile(Home() + QStringLiteral("/SV0000.bmp"))));
    ASSERT_TRUE(WaitUntil([&] { return boxes() >= 1; }, 5000));
    // A second box, had one been opened, has been shown by the time a further copy is saved.
    ASSERT_TRUE(CopyImage(PatternImage(90, 70, 6)));
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0001.bmp")).isNull());
    EXPECT_EQ(boxes(), 1);
}
