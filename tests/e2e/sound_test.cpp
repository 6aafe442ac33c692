// Sounds at the start and end of every save, with a sound server and without one: captures go
// on, no box appears, and the window keeps answering.
#include "e2efixture.h"
#include "formlayout.h"
#include "imagechecks.h"
#include "privatesoundserver.h"
#include "toolrun.h"

namespace {

class SoundTest : public TE2ETest {
protected:
    // Captures three images with wave sounds on both events and tries the finish sound out.
    void CaptureWithSounds(const QString& serverAddress) {
        Sandbox().SetVariable(QStringLiteral("PULSE_SERVER"), serverAddress);
        QProcess* program = nullptr;
        const std::optional<TWindow> window = StartAndWaitForWindow(&program);
        ASSERT_TRUE(window);
        ASSERT_TRUE(PrepareCapture(*window, QStringLiteral("BitmapOut")));
        ASSERT_TRUE(SetChecked(*window, QStringLiteral("BeepWav"), true));
        ASSERT_TRUE(SetChecked(*window, QStringLiteral("OptBeep1"), true));
        ASSERT_TRUE(SetChecked(*window, QStringLiteral("OptBeep2"), true));
        // Names without a folder: the files next to the program.
        ASSERT_TRUE(TypeInto(*window, QStringLiteral("Beep1FileName"), QStringLiteral("beep.wav")));
        ASSERT_TRUE(
            TypeInto(*window, QStringLiteral("Beep2FileName"), QStringLiteral("click.wav")));
        ASSERT_TRUE(ClickControl(*window, QStringLiteral("Play2")));
        ASSERT_TRUE(SetActive(*window, true));

        const QList<QImage> images{PatternImage(90, 60, 1), PatternImage(91, 61, 2),
                                   PatternImage(92, 62, 3)};
        for (const QImage& image : images)
            ASSERT_TRUE(CopyImage(image));
        for (int i = 0; i < images.size(); ++i) {
            const QString path = Home() + QStringLiteral("/SV%1.bmp").arg(i, 4, 10, QChar('0'));
            EXPECT_TRUE(SamePixels(images[i], WaitForImageFile(path))) << path.toStdString();
        }
        // The window still answers, and it is the program's only window: no box on the way.
        EXPECT_TRUE(SetActive(*window, false));
        const QSize formSize = TFormLayout::Get().FormSize();
        for (const TWindow& shown : Desktop().WindowsOf(program->processId()))
            EXPECT_EQ(shown.Geometry.size(), formSize) << shown.Describe().toStdString();
    }
};

TEST_F(SoundTest, CapturesGoOnWhileTheSoundsReachTheServer) {
    TPrivateSoundServer server;
    ASSERT_TRUE(server.Ok()) << server.Problem().toStdString();
    ASSERT_TRUE(server.StartRecording());
    CaptureWithSounds(server.Address());
    EXPECT_TRUE(server.WaitForSound(10000)) << "nothing reached the sound server";
}

TEST_F(SoundTest, CapturesGoOnWithoutASoundServer) {
    CaptureWithSounds(QStringLiteral("unix:") + Sandbox().PathOf(QStringLiteral("nobody-listens")));
}

} // namespace
