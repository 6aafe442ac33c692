// Sounds at the start and end of every save, with a sound server and without one: captures go
// on, no box appears, and the window keeps answering.
#include "e2efixture.h"
#include "formlayout.h"
#include "imagechecks.h"
#include "privatesoundserver.h"
#include "toolrun.h"
#include "wavefiles.h"

#include <QFile>

namespace {

class SoundTest : public TE2ETest {
protected:
    // Captures three images with wave sounds on both events and tries the finish sound out.
    void CaptureWithSounds(const QString& serverAddress) {
        Sandbox().SetVariable(QStringLiteral("PULSE_SERVER"), serverAddress);
        const auto [program, window] = StartWithWindow();
        ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
        ASSERT_TRUE(SetChecked(window, QStringLiteral("BeepWav"), true));
        ASSERT_TRUE(SetChecked(window, QStringLiteral("OptBeep1"), true));
        ASSERT_TRUE(SetChecked(window, QStringLiteral("OptBeep2"), true));
        // Names without a folder: the files next to the program.
        ASSERT_TRUE(TypeInto(window, QStringLiteral("Beep1FileName"), QStringLiteral("beep.wav")));
        ASSERT_TRUE(TypeInto(window, QStringLiteral("Beep2FileName"), QStringLiteral("click.wav")));
        ASSERT_TRUE(ClickControl(window, QStringLiteral("Play2")));
        ASSERT_TRUE(SetActive(window, true));

        const QList<QImage> images{PatternImage(90, 60, 1), PatternImage(91, 61, 2),
                                   PatternImage(92, 62, 3)};
        for (const QImage& image : images)
            ASSERT_TRUE(CopyImage(image));
        for (int i = 0; i < images.size(); ++i) {
            const QString path = Home() + QStringLiteral("/SV%1.bmp").arg(i, 4, 10, QChar('0'));
            EXPECT_TRUE(SamePixels(images[i], WaitForImageFile(path))) << path.toStdString();
        }
        // The window still answers, and it is the program's only window: no box on the way.
        EXPECT_TRUE(SetActive(window, false));
        const QSize formSize = TFormLayout::Get().FormSize();
        for (const TWindow& shown : Desktop().WindowsOf(program->Pid()))
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

// A sound server that stalls in the middle of a sound: the window goes on answering and
// capturing, and a `-terminate` still ends the program the orderly way. A generous wait tells a
// hang from a slow machine.
TEST_F(SoundTest, AStalledServerHoldsUpNeitherTheWindowNorTheEnd) {
    const QString tone = Home() + QStringLiteral("/tone.wav");
    ASSERT_TRUE(WriteToneFile(tone, 3));
    const QString settings = Sandbox().PathOf(QStringLiteral("bin/SVX.dat"));
    const struct {
        const char* Name;
        const char* Source; // the radio button of the sound source
        bool (TPrivateSoundServer::*Stall)(bool);
    } cases[] = {
        {"daemon stopped, wave files", "BeepWav", &TPrivateSoundServer::Freeze},
        {"daemon stopped, standard sounds", "BeepStd", &TPrivateSoundServer::Freeze},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(settings);
        for (const QString& name : ImageFilesIn(Home()))
            QFile::remove(Home() + QLatin1Char('/') + name);
        TPrivateSoundServer server;
        ASSERT_TRUE(server.Ok()) << server.Problem().toStdString();
        ASSERT_TRUE(server.StartRecording());
        Sandbox().SetVariable(QStringLiteral("PULSE_SERVER"), server.Address());
        const auto [program, window] = StartWithWindow();
        ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
        ASSERT_TRUE(SetChecked(window, QStringLiteral("OptBeep1"), true));
        ASSERT_TRUE(SetChecked(window, QStringLiteral("OptBeep2"), true));
        ASSERT_TRUE(SetChecked(window, QString::fromLatin1(c.Source), true));
        if (QLatin1String(c.Source) == QLatin1String("BeepWav")) {
            ASSERT_TRUE(TypeInto(window, QStringLiteral("Beep1FileName"), tone));
            ASSERT_TRUE(TypeInto(window, QStringLiteral("Beep2FileName"), tone));
        }
        ASSERT_TRUE(SetActive(window, true));
        ASSERT_TRUE(CopyImage(PatternImage(90, 60, 1)));
        ASSERT_TRUE(server.WaitForSound(10000));
        ASSERT_TRUE((server.*c.Stall)(true));

        // Two more sounds asked for while the server stalls.
        const QImage image = PatternImage(91, 61, 2);
        ASSERT_TRUE(CopyImage(image));
        EXPECT_TRUE(SamePixels(image, WaitForImageFile(Home() + QStringLiteral("/SV0001.bmp"))));
        EXPECT_TRUE(SetActive(window, false)) << "the window does not answer";
        EXPECT_EQ(RunTerminate(60000), 0);
        EXPECT_EQ(program->ExitCodeWithin(60000), 0) << "the program does not end";
        EXPECT_TRUE(QFile::exists(settings)) << "the settings were not written";
        (server.*c.Stall)(false);
    }
}

} // namespace
